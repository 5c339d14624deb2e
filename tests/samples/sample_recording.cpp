// Input as the engine records it, "time:event": a key is "type,key,char,"
// (type 0 down, 1 up), the mouse "type,button,x,y,dx,dy," (type 2 down, 3
// up, 4 a move; button 1 the left one; x and y in window pixels).
//
// The start form first (at 20, 20): a click at the end of the name, six
// Backspaces over "Player", "Ada" typed; the music drop-down opened and its
// second item, the tracker tune, chosen; the volume's thumb dragged from
// 100 to the middle; Inspect, and the inspector's close button; the music
// check box off; Play. Then the game, without music: two presses of Space,
// the console opened by its key, "points()" typed and run, the console
// closed, E for the floor's burst, M for the tracker tune, and Escape.
#include "tests/samples/sample_recording.h"

#include <cmath>

#include "base/text/number_text.h"

namespace corvane::test {

TSampleRecording SampleRecording() {
  TSampleRecording recording;
  std::vector<std::u16string>& lines = recording.lines;
  lines.push_back(u"0");
  float t = 0.5f;
  auto add = [&](const std::u16string& event) { lines.push_back(FloatToStr(t) + u":" + event); };
  auto key = [&](int code, int ch) {
    add(u"0," + IntToStr(code) + u"," + IntToStr(ch) + u",");
    t += 0.02f;
    add(u"1," + IntToStr(code) + u"," + IntToStr(ch) + u",");
    t += 0.03f;
  };
  auto mouse = [&](int type, int x, int y) {
    add(IntToStr(type) + u",1," + IntToStr(x) + u"," + IntToStr(y) + u",0,0,");
    t += 0.1f;
  };
  // The pointer moves onto the widget first, as a hand's does: a check box
  // counts a release only while the pointer hovers it.
  auto click = [&](int x, int y) {
    mouse(4, x, y);
    mouse(2, x, y);
    mouse(3, x, y);
    t += 0.1f;
  };
  auto type = [&](const std::string& text) {
    for (char c : text) {
      const bool letter = c >= 'a' && c <= 'z';
      const int code = letter ? c - 'a' + 'A' : c == '(' ? '9' : c == ')' ? '0' : c;
      key(code, c);
    }
  };
  auto shot = [&](const std::string& name, int firstRow = 0) {
    recording.shots.push_back({static_cast<int>(std::lround(t * 60)), name, firstRow});
    t += 0.2f;
  };

  click(200, 112);  // the name's end
  for (int i = 0; i < 6; ++i) key(8, 0);
  type("Ada");
  click(100, 144);  // the drop-down opens its list below it
  click(100, 179);  // its second item
  mouse(2, 195, 226);  // the volume's thumb, at 100
  mouse(4, 119, 226);
  mouse(3, 119, 226);
  shot("form");
  click(255, 144);  // Inspect
  t += 0.4f;
  shot("inspector");
  click(790, 50);  // the inspector's close button (the sample puts it at 600, 40)
  // The crates have landed by now, so that only Space clicks in the
  // silence.
  recording.musicOff = t + 0.1f;  // as the button is pressed
  click(40, 175);                 // the check box, off
  click(255, 112);                // Play
  t += 0.3f;
  for (int i = 0; i < 2; ++i) {
    recording.clicks.push_back(t);
    key(32, 32);
    t += 0.75f;
  }
  key(192, '`');  // the console
  t += 0.8f;      // as it fades in
  type("points()");
  key(13, 13);
  t += 0.3f;
  shot("console", 300);  // below its lines and its input line
  key(192, '`');
  t += 0.5f;
  key(69, 101);
  t += 0.9f;  // the crates high in the air
  shot("scene");
  recording.musicOn = t;
  key(77, 109);
  t += 1.2f;
  key(27, 27);
  return recording;
}

}  // namespace corvane::test
