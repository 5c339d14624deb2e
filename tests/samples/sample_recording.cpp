// Lines of a record file are "time:type,...": a key "type,key,char,shift,"
// (type 0 down, 1 up), the mouse "type,button,x,y,dx,dy,shift," (2 down,
// 3 up, 4 a move), the wheel "5,delta,shift,".
#include "tests/samples/sample_recording.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "base/lists/wide_string_list.h"
#include "base/system/file_utils.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/key_constants.h"
#include "platform/low_event.h"

namespace corvane::test {

namespace {

struct TPlayed {
  float time = 0;
  std::unique_ptr<TLowEvent> event;
};

// The n-th event (from 0) of the type for which the test holds, of those
// after the given one; none past the last.
template <typename Test>
const TPlayed* Nth(const std::vector<TPlayed>& played, TLowEventType type, int n, Test test,
                   const TPlayed* after = nullptr) {
  for (const TPlayed& p : played)
    if (after && &p <= after) continue;
    else if (p.event->EventType == type && test(*p.event) && n-- == 0) return &p;
  return nullptr;
}

const TPlayed* NthPress(const std::vector<TPlayed>& played, int n) {
  return Nth(played, evMouseDown, n, [](const TLowEvent&) { return true; });
}
const TPlayed* NthRelease(const std::vector<TPlayed>& played, int n) {
  return Nth(played, evMouseUp, n, [](const TLowEvent&) { return true; });
}
const TPlayed* NthChar(const std::vector<TPlayed>& played, char16_t ch, int n, const TPlayed* after = nullptr) {
  return Nth(
      played, evKeyDown, n,
      [ch](const TLowEvent& e) {
        const auto& key = static_cast<const TKeyEvent&>(e);
        return key.Char == ch || (ch >= u'a' && ch <= u'z' && key.Char == ch - u'a' + u'A');
      },
      after);
}

const TPlayed* NthKey(const std::vector<TPlayed>& played, std::uint16_t key, int n, const TPlayed* after) {
  return Nth(
      played, evKeyDown, n, [key](const TLowEvent& e) { return static_cast<const TKeyEvent&>(e).Key == key; },
      after);
}

}  // namespace

TSampleRecording ReadSampleRecording(const std::string& file) {
  TSampleRecording recording;
  recording.file = file;
  TOwned<TWideStringList> lines(Create<TWideStringList>());
  if (!lines->LoadFromFile(file) || lines->Count() < 2) {
    recording.error = "no recording in " + file;
    return recording;
  }
  const std::optional<double> start = TryStrToDouble(Utf16ToUtf8(lines->Strings(0)));
  std::vector<TPlayed> played;
  for (std::int32_t i = 1; i < lines->Count(); ++i) {
    std::u16string text = lines->Strings(i);
    const std::optional<double> time = TryStrToDouble(Utf16ToUtf8(GetToken(text, u":")));
    if (std::unique_ptr<TLowEvent> event = StrToEvent(text); event && time && start)
      played.push_back({static_cast<float>(*time - *start), std::move(event)});
  }
  // Presses: the name's drag, the drop-down, its item, the volume's thumb,
  // Inspect, a row of the inspector, its close button, the check box, Play.
  const TPlayed* inspect = NthPress(played, 4);
  const TPlayed* close = NthPress(played, 6);
  const TPlayed* musicOff = NthRelease(played, 7);
  // The console closes with Escape.
  const TPlayed* opened = NthChar(played, u'`', 0);
  const TPlayed* console = opened ? NthKey(played, kKeyEscape, 0, opened) : nullptr;
  // The letters typed into the console are not the game's.
  const TPlayed* burst = console ? NthChar(played, u'e', 0, console) : nullptr;
  const TPlayed* tune = console ? NthChar(played, u'm', 0, console) : nullptr;
  const TPlayed* firstClick = NthChar(played, u' ', 0);
  const TPlayed* secondClick = NthChar(played, u' ', 1);
  if (!inspect || !close || !musicOff || !console || !burst || !tune || !firstClick || !secondClick) {
    recording.error = "the recording in " + file + " is not the game the live test plays";
    return recording;
  }
  // Each picture a little before what ends the view it shows.
  auto shot = [&](float time, const std::string& name, int firstRow = 0) {
    recording.shots.push_back({static_cast<int>(std::lround(time * 60)), name, firstRow});
  };
  shot(inspect->time - 0.1f, "form");
  shot(close->time - 0.1f, "inspector");
  shot(console->time - 0.1f, "console", 300);  // below its lines and its input line
  // Just after the burst, its sparks in the air.
  shot(std::min(burst->time + 0.5f, tune->time - 0.1f), "scene");
  recording.musicOff = musicOff->time;
  recording.clicks = {firstClick->time, secondClick->time};
  recording.musicOn = tune->time;
  return recording;
}

}  // namespace corvane::test
