// The bundled sample played end to end, as CI plays it: the built program
// on a copy of the sample's folder (the build places it in Resources/),
// headless under SDL's offscreen video driver (Mesa llvmpipe) and disk
// audio driver, driven by an input recording in the engine's own format
// that main.js plays when started with "+play=FILE". The checks read what a
// user would see: the applet's own log lines, the preferences and score
// table it stores, a picture it takes of itself at a fixed frame, and the
// sound the audio driver wrote. The same sample packed into a ".applet"
// container starts and draws too.
//
// CORVANE_UPDATE_EXPECTED=1 also puts the picture of the recorded game in
// docs/screenshot.png, the README's screenshot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/lists/wide_string_list.h"
#include "base/streams/file_stream.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "tests/base/temp_dir.h"
#include "tests/platform_sdl/png_picture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/program_run.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

// What a run leaves beside the applet; never copied from the build's
// folder, where a developer's own runs leave them.
const std::set<std::string> kRunFiles = {".log", ".run", ".prefs", ".score", ".bin", ".jsbin"};

const std::vector<std::string> kHeadless = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=disk",
                                            "SDL_DISKAUDIOFILE=audio.raw", "DISPLAY", "WAYLAND_DISPLAY"};

constexpr std::uint32_t kBackground = 0x203040;

// Input as the engine records it, "time:event": a key is "type,key,char,"
// (type 0 down, 1 up), the mouse "type,button,x,y,dx,dy," (type 2 down, 3
// up, 4 a move; button 1 the left one; x and y in window pixels). The start
// form first (at 20, 20): a click at the end of the name, six Backspaces
// over "Player", "Ada" typed; the music drop-down opened and its second
// item, the tracker tune, chosen; the music check box off and on again; the
// volume's thumb dragged from 100 to the middle; Inspect, and the
// inspector's close button; Play. Then the game: two presses of Space, M,
// the console opened by its key, "points()" typed and run, the console
// closed, E for the floor's burst once the crates have landed (within
// three seconds of the start), and Escape, late enough that frame 120 (two
// seconds at 60 frames a second, after the one-second fade-in) comes before
// it on a loaded machine too; one too slow for that has the sample take the
// picture as Escape ends it.
std::vector<std::u16string> Recording() {
  std::vector<std::u16string> lines = {u"0"};
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
  click(200, 112);  // the name's end
  for (int i = 0; i < 6; ++i) key(8, 0);
  type("Ada");
  click(100, 144);  // the drop-down opens its list below it
  click(100, 179);  // its second item
  click(40, 175);   // the check box, off
  click(40, 175);   // and on
  mouse(2, 195, 226);  // the volume's thumb, at 100
  mouse(4, 119, 226);
  mouse(3, 119, 226);
  click(255, 144);  // Inspect
  click(790, 50);   // the inspector's close button (the sample puts it at 600, 40)
  click(255, 112);  // Play
  t += 0.3f;
  key(32, 32);
  key(32, 32);
  key(77, 109);
  t += 0.3f;
  key(192, '`');  // the console
  t += 0.8f;      // as it fades in
  type("points()");
  key(13, 13);
  key(192, '`');
  t = 7.0f;
  key(69, 101);
  t = 8.5f;
  key(27, 27);
  return lines;
}

class SamplePlayTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return folder_ / name; }

  void SetUp() override {
#ifndef CORVANE_SAMPLE_SCRIPTED
    GTEST_SKIP() << "built without the JavaScript engine, which plays the sample's game";
#endif
  }

  // The sample's folder as the build placed it, without any run's files:
  // its folders (the engine's cache) empty.
  bool CopySample() const {
    if (!fs::exists(CORVANE_SAMPLE_DIR "/main.object")) return false;
    for (const fs::directory_entry& entry : fs::directory_iterator(CORVANE_SAMPLE_DIR)) {
      const std::string name = entry.path().filename().string();
      if (entry.is_directory()) fs::create_directory(PathOf(name));
      else if (entry.is_regular_file() && !kRunFiles.contains(entry.path().extension().string()))
        fs::copy_file(entry.path(), PathOf(name));
    }
    return true;
  }

  void WriteRecording(const std::string& name) const {
    TOwned<TWideStringList> lines(Create<TWideStringList>());
    for (const std::u16string& line : Recording()) lines->Add(line);
    ASSERT_TRUE(lines->SaveToFile(PathOf(name)));
  }

  test::TProgramRun Run(const std::vector<std::string>& arguments, const std::string& until = {}) const {
    return test::RunProgram({.program = CORVANE_PROGRAM,
                             .arguments = arguments,
                             .environment = kHeadless,
                             .folder = folder_.Path(),
                             .until = until,
                             .polls = 2400});
  }

  // A stored list as the applet wrote it (ciphered), one line each.
  std::vector<std::string> StoredLines(const std::string& name) const {
    std::vector<std::string> lines;
    std::unique_ptr<TFileStream> stream = TFileStream::Open(PathOf(name), fmOpenRead);
    TOwned<TWideStringList> list(Create<TWideStringList>());
    if (!stream || !list->LoadFromStreamEncrypt(*stream)) return lines;
    for (std::int32_t i = 0; i < list->Count(); ++i) lines.push_back(Utf16ToUtf8(list->Strings(i)));
    return lines;
  }

  test::TTempDir folder_;
};

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

std::vector<std::string> ErrorLines(const std::string& output) {
  std::vector<std::string> errors;
  std::size_t at = 0;
  while ((at = output.find("(e) ", at)) != std::string::npos) {
    errors.push_back(output.substr(at, output.find('\n', at) - at));
    at += 4;
  }
  return errors;
}

bool HasLineEndingWith(const std::vector<std::string>& lines, const std::string& end) {
  return std::ranges::any_of(lines, [&](const std::string& line) { return line.ends_with(end); });
}

// The number a stored line holds after the given key; none without one.
std::optional<double> StoredNumber(const std::vector<std::string>& lines, const std::string& key) {
  for (const std::string& line : lines)
    if (const std::size_t at = line.find(key); at != std::string::npos)
      return TryStrToDouble(line.substr(at + key.size()));
  return std::nullopt;
}

// The picture is the applet's size and shows the scene: the sky's
// background at the top corners, and a fair share of pixels that are not
// the background, in more than a handful of colours.
void ExpectAScene(const std::string& path) {
  const test::TPngPicture picture = test::ReadPng(path);
  ASSERT_EQ(picture.Width, 800) << path;
  ASSERT_EQ(picture.Height, 600);
  EXPECT_EQ(picture.Pixel(0, 0), kBackground) << path;
  EXPECT_EQ(picture.Pixel(799, 0), kBackground) << path;
  std::set<std::uint32_t> colours;
  std::int64_t drawn = 0;
  for (int y = 0; y < picture.Height; ++y)
    for (int x = 0; x < picture.Width; ++x) {
      const std::uint32_t pixel = picture.Pixel(x, y);
      colours.insert(pixel);
      drawn += pixel != kBackground ? 1 : 0;
    }
  EXPECT_GT(drawn, 800 * 600 / 5) << path;
  EXPECT_GT(colours.size(), 20u) << path;
}

// The disk audio driver's file holds sound: the music plays from the start.
void ExpectSound(const std::string& path) {
  const std::string bytes = test::ReadFileBytes(path).value_or("");
  ASSERT_GT(bytes.size(), 4096u) << "no audio written to " << path;
  EXPECT_TRUE(std::ranges::any_of(bytes, [](char b) { return b != 0; })) << "only silence in " << path;
}

TEST_F(SamplePlayTest, ARecordedGameScoresStoresAndPictures) {
  if (!CopySample()) GTEST_SKIP() << "no sample in " << CORVANE_SAMPLE_DIR;
  WriteRecording("input.rec");
  const test::TProgramRun run = Run({PathOf("main.object"), "+play=input.rec", "+shot=120:frame120.png"});
  ASSERT_EQ(run.status, 0) << run.output;

  // The applet's own account of the game, in order.
  std::size_t at = 0;
  for (const char* line :
       {"(i) sample: hello Player, run 1", "(i) sample: music choice Tracker tune", "(i) sample: music off",
        "(i) sample: music on", "(i) sample: sound volume 50", "(i) sample: inspector shown",
        "(i) sample: playing as Ada, inspector closed", "(i) sample: streamed music", "(i) sample: points ",
        "(i) sample: explosion", "(i) sample: final score 30 for Ada"}) {
    const std::size_t found = run.output.find(line, at);
    ASSERT_NE(found, std::string::npos) << "no '" << line << "' after the lines before it:\n" << run.output;
    at = found;
  }
  // On the real clock, where these fall among the keys depends on the
  // machine's speed: the timer's first beat, the picture, the two Spaces
  // and the crates, which fall onto the floor under the physics engine and
  // land once each, worth 5 points.
  EXPECT_TRUE(Holds(run.output, "(i) sample: timer running")) << run.output;
  EXPECT_TRUE(Holds(run.output, "(i) sample: picture frame120.png")) << run.output;
  EXPECT_EQ(Count(run.output, "(i) sample: click, score "), 2) << run.output;
  EXPECT_TRUE(Holds(run.output, "(i) Newton Game Dynamics engine started")) << run.output;
  EXPECT_EQ(Count(run.output, "(i) sample: redCrate landed"), 1) << run.output;
  EXPECT_EQ(Count(run.output, "(i) sample: tealCrate landed"), 1) << run.output;
  EXPECT_EQ(ErrorLines(run.output), std::vector<std::string>{}) << run.output;

  const std::vector<std::string> prefs = StoredLines("main.prefs");
  // The name typed is the player's.
  EXPECT_TRUE(HasLineEndingWith(prefs, "currentuser=Ada")) << ::testing::PrintToString(prefs);
  EXPECT_TRUE(HasLineEndingWith(prefs, "user1=Ada")) << ::testing::PrintToString(prefs);
  EXPECT_TRUE(HasLineEndingWith(prefs, ".runs=1")) << ::testing::PrintToString(prefs);
  EXPECT_TRUE(HasLineEndingWith(prefs, ".lastScore=30")) << ::testing::PrintToString(prefs);
  // The volume set on the track bar, kept by the applet as it ends.
  EXPECT_EQ(StoredNumber(prefs, ".soundvolume="), 0.5) << ::testing::PrintToString(prefs);
  EXPECT_EQ(StoredLines("main.score"), std::vector<std::string>{"Ada=30"});
  ExpectAScene(PathOf("frame120.png"));
  if (const char* update = std::getenv("CORVANE_UPDATE_EXPECTED"); update && std::string(update) == "1")
    fs::copy_file(PathOf("frame120.png"), CORVANE_DOCS_DIR "/screenshot.png", fs::copy_options::overwrite_existing);
  ExpectSound(PathOf("audio.raw"));

  // Played again, the preferences count the second run, and the table
  // keeps both games.
  const test::TProgramRun again = Run({PathOf("main.object"), "+play=input.rec"});
  ASSERT_EQ(again.status, 0) << again.output;
  EXPECT_TRUE(Holds(again.output, "(i) sample: hello Ada, run 2")) << again.output;
  EXPECT_EQ(StoredLines("main.score"), (std::vector<std::string>{"Ada=30", "Ada=30"}));
}

TEST_F(SamplePlayTest, TheContainerStartsAndDraws) {
  if (!fs::exists(CORVANE_SAMPLE_APPLET)) GTEST_SKIP() << "no " << CORVANE_SAMPLE_APPLET;
  fs::copy_file(CORVANE_SAMPLE_APPLET, PathOf("sample.applet"));
  // Nothing beside the container: whatever it plays comes from inside. It
  // runs until it has pictured itself after the fade-in, and is then ended
  // as a terminal ends it.
  const test::TProgramRun run =
      Run({PathOf("sample.applet"), "+shot=120:" + PathOf("frame120.png")}, "(i) sample: picture");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(Holds(run.output, "(i) sample: hello Player, run 1")) << run.output;
  EXPECT_EQ(ErrorLines(run.output), std::vector<std::string>{}) << run.output;
  ExpectAScene(PathOf("frame120.png"));
}

}  // namespace
}  // namespace corvane
