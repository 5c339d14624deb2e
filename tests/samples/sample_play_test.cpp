// The bundled sample played end to end, as CI plays it: the built program
// on a copy of the sample's folder (the build places it in Resources/),
// headless under SDL's offscreen video driver (Mesa llvmpipe) and disk
// audio driver, driven by the input the engine recorded while a player
// played the sample through the X server (sample_live_test.cpp), which
// main.js plays when started with "+play=FILE". With "-fixedstep" the
// engine's clock advances one frame period a frame, so a play is the same
// every time. The checks read what a user would see: the applet's own log
// lines, the preferences and score table it stores, the pictures it takes
// of itself against the README's screenshots, and the sound the audio
// driver wrote. The same sample packed into a ".applet" container starts
// and draws too.
//
// CORVANE_UPDATE_EXPECTED=1 makes this play's pictures the expected ones:
// docs/screenshots/, which the README shows.
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
#include "tests/samples/sample_folder.h"
#include "tests/samples/sample_recording.h"
#include "tests/samples/sound_track.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::Holds;
using test::LinesAfter;
using test::TSampleFolder;

constexpr std::uint32_t kBackground = 0x203040;
constexpr int kMixRate = 44100;
// Sound is a peak of -40 dB and more; silence stays below -80 dB.
constexpr float kSound = 0.01f;
constexpr float kSilence = 0.0001f;
// Pictures on another machine's llvmpipe may round a few edges otherwise.
constexpr int kPixelTolerance = 24;
constexpr double kShareAlike = 0.99;

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
// background along the top (but at the top left corner, where the cursor
// stands until the pointer moves), and a fair share of pixels that are not
// the background, in more than a handful of colours.
void ExpectAScene(const std::string& path) {
  const test::TPngPicture picture = test::ReadPng(path);
  ASSERT_EQ(picture.Width, 800) << path;
  ASSERT_EQ(picture.Height, 600);
  EXPECT_EQ(picture.Pixel(60, 0), kBackground) << path;
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

// The shot's rows that are compared.
test::TPngPicture ComparedPart(const std::string& path, const test::TSampleShot& shot) {
  test::TPngPicture picture = test::ReadPng(path);
  const auto skipped = static_cast<std::size_t>(std::clamp(shot.firstRow, 0, picture.Height));
  picture.Rgb.erase(picture.Rgb.begin(), picture.Rgb.begin() + static_cast<std::ptrdiff_t>(skipped * picture.Width * 3));
  picture.Height -= static_cast<std::int32_t>(skipped);
  return picture;
}

bool UpdatingExpected() {
  const char* update = std::getenv("CORVANE_UPDATE_EXPECTED");
  return update && std::string(update) == "1";
}

class SamplePlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef CORVANE_SAMPLE_SCRIPTED
    GTEST_SKIP() << "built without the JavaScript engine, which plays the sample's game";
#endif
  }

  test::TTempDir temp_;
};

// The sound follows the game: music from the start until the check box
// turns it off, then silence but for the two clicks of Space, then the
// tracker tune from M to the end; nothing else sounds between them. The
// engine keeps to the real clock only as well as the machine's speed
// allows (late frames are caught up, up to a second), and the audio
// driver's file counts the buffers it wrote, which a starved audio thread
// writes late: so a gap of the file can be shorter or longer than the
// game's by as much as the machine was stalled. What is checked is the
// order of the sounds, with silence between them, and that they do not
// come at once; never a bound on the length of a gap.
void ExpectGap(double heard, double played, const char* what) {
  ASSERT_GT(played, 0.5) << what << ": the recording's own gap";
  EXPECT_GT(heard, 0.1) << what;
}

void ExpectSoundFollowsTheGame(const test::TSoundTrack& track, const test::TSampleRecording& recording) {
  const std::vector<test::TSoundSpan> spans = track.Sounding(kSound, 0.2);
  std::string heard;
  for (const test::TSoundSpan& span : spans) heard += " " + std::to_string(span.start) + "-" + std::to_string(span.end);
  SCOPED_TRACE("sound at" + heard);
  ASSERT_GE(spans.size(), 4u) << "the music, two clicks, the tune";
  EXPECT_LT(spans[0].start, 1.0) << "the music plays from the start";
  for (int i : {1, 2}) EXPECT_LT(spans[i].Length(), 0.5) << "the click " << i;
  ExpectGap(spans[1].start - spans[0].end, recording.clicks[0] - recording.musicOff, "music off to the first click");
  ExpectGap(spans[2].start - spans[1].start, recording.clicks[1] - recording.clicks[0], "from click to click");
  ExpectGap(spans[3].start - spans[2].start, recording.musicOn - recording.clicks[1], "the second click to the tune");
  for (int i : {0, 1, 2})
    EXPECT_LT(track.Peak(spans[i].end + 0.05, spans[i + 1].start - 0.05), kSilence) << "after the sound " << i;
}

TEST_F(SamplePlayTest, ARecordedGamePlaysTheSameEveryTime) {
  const test::TSampleRecording recording = test::ReadSampleRecording(CORVANE_SAMPLE_RECORDING);
  ASSERT_EQ(recording.error, "");
  const TSampleFolder first(temp_ / "first");
  if (!first.CopySample()) GTEST_SKIP() << "no sample in " << CORVANE_SAMPLE_DIR;
  const test::TProgramRun run = first.Play(recording);
  ASSERT_EQ(run.status, 0) << run.output;

  EXPECT_EQ(LinesAfter(run.output, "(i) sample: "), test::kSampleGameLines) << run.output;
  EXPECT_TRUE(Holds(run.output, "(i) Newton Game Dynamics engine started")) << run.output;
  EXPECT_EQ(LinesAfter(run.output, "(e) "), std::vector<std::string>{}) << run.output;
  // Sanitizers (a sanitized build's run checks leaks at exit too).
  EXPECT_FALSE(Holds(run.output, "runtime error:")) << run.output;

  const std::vector<std::string> prefs = first.StoredLines("main.prefs");
  // The name typed is the player's.
  EXPECT_TRUE(HasLineEndingWith(prefs, "currentuser=Ada")) << ::testing::PrintToString(prefs);
  EXPECT_TRUE(HasLineEndingWith(prefs, "user1=Ada")) << ::testing::PrintToString(prefs);
  EXPECT_TRUE(HasLineEndingWith(prefs, ".runs=1")) << ::testing::PrintToString(prefs);
  EXPECT_TRUE(HasLineEndingWith(prefs, ".lastScore=30")) << ::testing::PrintToString(prefs);
  // The volume set on the track bar, then turned down by the wheel, kept
  // by the applet as it ends.
  EXPECT_NEAR(StoredNumber(prefs, ".soundvolume=").value_or(-1), 0.4, 1e-6) << ::testing::PrintToString(prefs);
  EXPECT_EQ(first.StoredLines("main.score"), std::vector<std::string>{"Ada=30"});

  for (const test::TSampleShot& shot : recording.shots) {
    SCOPED_TRACE(shot.name);
    const std::string taken = first / (shot.name + ".png");
    const std::string expected = CORVANE_DOCS_DIR "/screenshots/" + shot.name + ".png";
    if (UpdatingExpected()) fs::copy_file(taken, expected, fs::copy_options::overwrite_existing);
    EXPECT_GE(test::ShareAlike(ComparedPart(taken, shot), ComparedPart(expected, shot), kPixelTolerance), kShareAlike)
        << taken << " differs from " << expected;
  }
  ExpectSoundFollowsTheGame(test::TSoundTrack::Read(first / "audio.raw", kMixRate), recording);

  // Played again in a new copy, the game is the same: its account and its
  // pictures.
  const TSampleFolder second(temp_ / "second");
  ASSERT_TRUE(second.CopySample());
  const test::TProgramRun again = second.Play(recording);
  ASSERT_EQ(again.status, 0) << again.output;
  EXPECT_EQ(LinesAfter(again.output, "(i) sample: "), LinesAfter(run.output, "(i) sample: "));
  for (const test::TSampleShot& shot : recording.shots)
    EXPECT_EQ(test::ShareAlike(ComparedPart(first / (shot.name + ".png"), shot),
                               ComparedPart(second / (shot.name + ".png"), shot), 0),
              1.0)
        << shot.name;

  // Played once more where it was played first, the preferences count the
  // second run, and the table keeps both games.
  const test::TProgramRun third = first.Play(recording);
  ASSERT_EQ(third.status, 0) << third.output;
  EXPECT_TRUE(Holds(third.output, "(i) sample: hello Ada, run 2")) << third.output;
  EXPECT_EQ(first.StoredLines("main.score"), (std::vector<std::string>{"Ada=30", "Ada=30"}));
}

TEST_F(SamplePlayTest, TheContainerStartsAndDraws) {
  if (!fs::exists(CORVANE_SAMPLE_APPLET)) GTEST_SKIP() << "no " << CORVANE_SAMPLE_APPLET;
  const TSampleFolder folder(temp_.Path());
  fs::copy_file(CORVANE_SAMPLE_APPLET, folder / "sample.applet");
  // Nothing beside the container: whatever it plays comes from inside. It
  // runs until it has pictured itself after the fade-in, and is then ended
  // as a terminal ends it.
  const test::TProgramRun run =
      folder.Run({folder / "sample.applet", "+shot=120:" + folder / "frame120.png"}, "(i) sample: picture");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(Holds(run.output, "(i) sample: hello Player, run 1")) << run.output;
  EXPECT_EQ(LinesAfter(run.output, "(e) "), std::vector<std::string>{}) << run.output;
  ExpectAScene(folder / "frame120.png");
}

}  // namespace
}  // namespace corvane
