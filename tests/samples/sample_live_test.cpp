// The bundled sample played as a person plays it: the built program on
// SDL's X11 driver, on an X server of the test's own (Xvfb), with every
// keystroke and click synthesised through the server's XTest extension
// (xdotool), so that they take the path a keyboard and a mouse take: X
// events, SDL, the host layer, the event queue. The player types a name,
// uses the drop-down, the track bar and the wheel, the inspector, the
// check box, starts the game, presses Space, types a line into the
// console and closes it with Escape, presses E and M, and ends with
// Escape. What the player sees is read from the window through the X
// server: the cursor's tip on the pointer, the console's text legible. The engine records that input (event.recordEvent, which
// main.js starts for "+record=FILE"); played back offscreen the recording
// gives the same game. CORVANE_UPDATE_EXPECTED=1 keeps it as the recording
// the offscreen test plays (tests/samples/fixtures/sample_play.rec).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/lists/wide_string_list.h"
#include "base/system/file_utils.h"
#include "platform/low_event.h"
#include "tests/base/temp_dir.h"
#include "tests/samples/sample_folder.h"
#include "tests/support/xvfb_server.h"

// Last: Xlib's macros stay out of the headers above.
#include "tests/platform_sdl/x_window_picture.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using test::LinesAfter;
using test::TSampleFolder;

constexpr const char* kXdotool = "/usr/bin/xdotool";

// xdotool on the test's server. Only commands that synthesise input
// through XTest are used for input: no --window, which would send the
// events to the window directly rather than through the server's devices.
class TXdo {
 public:
  explicit TXdo(std::string display) : display_(std::move(display)) {}

  // The command's standard output; empty when it fails.
  std::string operator()(const std::vector<std::string>& arguments) const {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      dup2(fds[1], STDOUT_FILENO);
      setenv("DISPLAY", display_.c_str(), 1);
      std::vector<char*> argv = {const_cast<char*>(kXdotool)};
      for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      execv(kXdotool, argv.data());
      _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "xdotool " << arguments.front();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? out : std::string();
  }

 private:
  std::string display_;
};

// The player at the window: positions are the window's pixels.
class TPlayer {
 public:
  TPlayer(const TXdo& xdo, test::TProgramSession& program, std::string display)
      : xdo_(xdo), program_(program), display_(std::move(display)) {}

  // The program's window, found by its process, focused as a click on it
  // would focus it; false when it has none.
  bool FindWindow() {
    const std::string found = xdo_({"search", "--pid", std::to_string(program_.Pid())});
    std::istringstream ids(found);
    if (!(ids >> window_)) return false;
    std::istringstream shell(xdo_({"getwindowgeometry", "--shell", window_}));
    for (std::string line; std::getline(shell, line);) {
      if (line.starts_with("X=")) left_ = std::stoi(line.substr(2));
      if (line.starts_with("Y=")) top_ = std::stoi(line.substr(2));
    }
    // No --sync: it waits without end for a focus that never comes.
    xdo_({"windowfocus", window_});
    Pause(0.3);
    return true;
  }

  // --sync waits until the pointer is there, so the press after lands
  // where it should; on the spot where it already is it would wait
  // without end.
  void MoveTo(int x, int y) {
    if (x == x_ && y == y_) return;
    xdo_({"mousemove", "--sync", Screen(x, left_), Screen(y, top_)});
    x_ = x;
    y_ = y;
  }
  void Press() const { xdo_({"mousedown", "1"}); }
  void Release() const { xdo_({"mouseup", "1"}); }
  void Click(int x, int y) {
    MoveTo(x, y);
    Pause(0.1);
    Press();
    Pause(0.1);
    Release();
    Pause(0.2);
  }
  // From one point to the other in that many moves.
  void Drag(int fromX, int fromY, int toX, int toY, int moves) {
    MoveTo(fromX, fromY);
    Pause(0.1);
    Press();
    Pause(0.1);
    for (int step = 1; step <= moves; ++step)
      MoveTo(fromX + (toX - fromX) * step / moves, fromY + (toY - fromY) * step / moves);
    Pause(0.1);
    Release();
    Pause(0.2);
  }
  // Keys by their X names ("space", "shift+Left"), and text as typed.
  // Notches of the wheel where the pointer is: down when negative.
  void Wheel(int notches) const {
    for (int i = 0; i < (notches < 0 ? -notches : notches); ++i) {
      xdo_({"click", notches < 0 ? "5" : "4"});
      Pause(0.2);
    }
  }
  void Key(const std::string& keys) const {
    xdo_({"key", "--delay", "60", keys});
    Pause(0.2);
  }
  void Type(const std::string& text) const {
    xdo_({"type", "--delay", "60", text});
    Pause(0.2);
  }
  static void Pause(double seconds) { usleep(static_cast<useconds_t>(seconds * 1e6)); }

  // The window as the X server shows it, its pixels from its top left.
  test::TPngPicture Picture() const {
    return window_.empty() ? test::TPngPicture{} : test::XWindowPicture(display_, std::stoul(window_));
  }

  // Until the applet logs the line (after what it logged before).
  bool Sees(const std::string& line) {
    const bool seen = program_.WaitFor("(i) sample: " + line, 1200, seen_);
    if (seen) seen_ = program_.Output().find("(i) sample: " + line, seen_) + 1;
    EXPECT_TRUE(seen) << "never saw \"" << line << "\"\n" << program_.Output();
    return seen;
  }

 private:
  static std::string Screen(int at, int origin) { return std::to_string(origin + at); }

  const TXdo& xdo_;
  test::TProgramSession& program_;
  std::string display_;
  std::string window_;
  int left_ = 0;
  int top_ = 0;
  int x_ = -1;
  int y_ = -1;
  std::size_t seen_ = 0;
};

// The arrow's tip where the pointer is, over the sky at the top right:
// the first row the cursor draws on, at its leftmost pixel.
void ExpectTheCursorsTipAt(TPlayer& player, int x, int y) {
  player.MoveTo(x, y);
  TPlayer::Pause(0.3);
  const test::TPngPicture picture = player.Picture();
  ASSERT_EQ(picture.Width, 800);
  constexpr std::uint32_t kSky = 0x203040;
  for (int row = y - 20; row < y + 40; ++row)
    for (int column = x - 40; column < x + 40; ++column)
      if (test::ChannelDistance(picture.Pixel(column, row), kSky) > 12) {
        EXPECT_NEAR(column, x, 1);
        EXPECT_NEAR(row, y, 1);
        return;
      }
  ADD_FAILURE() << "no cursor near " << x << ", " << y;
}

// The console's input line, along its bottom, and the log's lines above
// it: each stands out from what it is drawn on.
void ExpectTheConsoleLegible(const TPlayer& player) {
  const test::TPngPicture picture = player.Picture();
  ASSERT_EQ(picture.Width, 800);
  EXPECT_GE(test::TextContrast(picture, 4, 286, 400, 298), 4.5) << "the input line";
  EXPECT_GE(test::TextContrast(picture, 4, 150, 400, 270), 4.5) << "the log's lines";
}

// The game as the player plays it; the presses, characters and pauses are
// those the recording is read by (sample_recording.cpp).
void PlayTheGame(TPlayer& player) {
  // Only Space clicks in the silence after the music: both crates are
  // down before the player starts.
  ASSERT_TRUE(player.Sees("redCrate landed"));
  ASSERT_TRUE(player.Sees("tealCrate landed"));
  ExpectTheCursorsTipAt(player, 720, 30);
  // The name: "Player" dragged over from its end to its start and typed
  // over, a slip mended with Shift+Left.
  player.Drag(200, 112, 34, 112, 4);
  player.Type("Adx");
  player.Key("shift+Left");
  player.Type("a");
  player.Click(100, 144);  // the drop-down opens its list below it
  player.Click(100, 179);  // its second item
  ASSERT_TRUE(player.Sees("music choice Tracker tune"));
  player.Drag(195, 226, 119, 226, 1);  // the volume's thumb, from 100 to the middle
  ASSERT_TRUE(player.Sees("sound volume 50"));
  player.Wheel(-2);  // and down a little
  ASSERT_TRUE(player.Sees("sound volume 45"));
  ASSERT_TRUE(player.Sees("sound volume 40"));
  TPlayer::Pause(0.3);
  player.Click(255, 144);  // Inspect
  ASSERT_TRUE(player.Sees("inspector shown"));
  TPlayer::Pause(0.5);
  player.Click(650, 200);  // a row of the inspector's list
  TPlayer::Pause(0.5);
  player.Click(790, 50);  // the inspector's close button
  TPlayer::Pause(0.3);
  player.Click(40, 175);  // the check box, off
  ASSERT_TRUE(player.Sees("music off"));
  TPlayer::Pause(0.3);
  player.Click(255, 112);  // Play
  ASSERT_TRUE(player.Sees("playing as Ada"));
  TPlayer::Pause(0.3);
  player.Key("space");
  ASSERT_TRUE(player.Sees("click, score 20"));
  TPlayer::Pause(0.75);
  player.Key("space");
  ASSERT_TRUE(player.Sees("click, score 30"));
  TPlayer::Pause(0.75);
  // The console: a line with a space and the game's letters runs there
  // and nowhere else; its Escape closes it and ends nothing else.
  player.Key("grave");
  TPlayer::Pause(1.0);  // as it fades in
  player.Type("Math.max(score, 0); points()");
  ExpectTheConsoleLegible(player);
  player.Key("Return");
  ASSERT_TRUE(player.Sees("points 30"));
  TPlayer::Pause(0.5);
  player.Key("Escape");
  TPlayer::Pause(0.7);
  player.Key("e");
  ASSERT_TRUE(player.Sees("explosion"));
  TPlayer::Pause(1.0);  // the crates high in the air
  player.Key("m");
  ASSERT_TRUE(player.Sees("tracker tune"));
  TPlayer::Pause(1.2);
  player.Key("Escape");
}

std::vector<std::string> WithoutPictures(std::vector<std::string> lines) {
  std::erase_if(lines, [](const std::string& line) { return line.starts_with("picture "); });
  return lines;
}

bool UpdatingExpected() {
  const char* update = std::getenv("CORVANE_UPDATE_EXPECTED");
  return update && std::string(update) == "1";
}

TEST(SampleLiveTest, APlayerPlaysTheSampleThroughTheXServerAndItsRecordingPlaysTheSameGame) {
#ifndef CORVANE_SAMPLE_SCRIPTED
  GTEST_SKIP() << "built without the JavaScript engine, which plays the sample's game";
#endif
  test::TXvfbServer server;
  server.Start("1024x768x24");
  if (!server.Installed() || access(kXdotool, X_OK) != 0)
    GTEST_SKIP() << "no Xvfb or xdotool (scripts/setup.sh installs both)";
  ASSERT_TRUE(server.Running()) << server.Error();
  test::TTempDir temp;
  const TSampleFolder live(temp / "live");
  if (!live.CopySample()) GTEST_SKIP() << "no sample in " << CORVANE_SAMPLE_DIR;

  test::TProgramSession program(live.Launch(
      {live / "main.object", "-fixedstep", "+record=live.rec"},
      {"SDL_VIDEODRIVER=x11", "DISPLAY=" + server.Display(),
       // The server has no session bus: without an address libdbus would
       // try to autolaunch one for its display.
       "DBUS_SESSION_BUS_ADDRESS=unix:path=/dev/null/no-session-bus"}));
  const TXdo xdo(server.Display());
  TPlayer player(xdo, program, server.Display());
  ASSERT_TRUE(player.Sees("timer running"));
  ASSERT_TRUE(player.FindWindow()) << program.Output();
  PlayTheGame(player);
  if (HasFatalFailure()) return;  // the session ends the program
  const test::TProgramRun run = program.Finish();
  ASSERT_EQ(run.status, 0) << run.output;

  const std::vector<std::string> game = WithoutPictures(test::kSampleGameLines);
  EXPECT_EQ(LinesAfter(run.output, "(i) sample: "), game) << run.output;
  EXPECT_EQ(LinesAfter(run.output, "(e) "), std::vector<std::string>{}) << run.output;
  EXPECT_FALSE(test::Holds(run.output, "runtime error:")) << run.output;
  EXPECT_EQ(live.StoredLines("main.score"), std::vector<std::string>{"Ada=30"});

  // The recording holds what the keyboard and mouse gave: letters as
  // characters, and the button held through the drags.
  TOwned<TWideStringList> lines(Create<TWideStringList>());
  ASSERT_TRUE(lines->LoadFromFile(live / "live.rec"));
  bool letterAsCharacter = false;
  bool dragHeld = false;
  for (std::int32_t i = 1; i < lines->Count(); ++i) {
    std::u16string text = lines->Strings(i);
    GetToken(text, u":");
    const std::unique_ptr<TLowEvent> event = StrToEvent(text);
    ASSERT_NE(event, nullptr) << i;
    if (const auto* key = dynamic_cast<const TKeyEvent*>(event.get()))
      letterAsCharacter = letterAsCharacter || (key->Key == 0 && key->Char == u'e');
    if (const auto* mouse = dynamic_cast<const TMouseEvent*>(event.get()))
      dragHeld = dragHeld || (mouse->EventType == evMouseMove && mouse->Shift.Contains(ssLeft));
  }
  EXPECT_TRUE(letterAsCharacter);
  EXPECT_TRUE(dragHeld);

  // Played back offscreen in a fresh copy, the recording is the same game.
  const test::TSampleRecording recording = test::ReadSampleRecording(live / "live.rec");
  ASSERT_EQ(recording.error, "");
  const TSampleFolder replay(temp / "replay");
  ASSERT_TRUE(replay.CopySample());
  const test::TProgramRun again = replay.Play(recording);
  ASSERT_EQ(again.status, 0) << again.output;
  EXPECT_EQ(WithoutPictures(LinesAfter(again.output, "(i) sample: ")), game) << again.output;
  EXPECT_EQ(replay.StoredLines("main.score"), std::vector<std::string>{"Ada=30"});
  if (UpdatingExpected() && !HasFailure())
    fs::copy_file(live / "live.rec", CORVANE_SAMPLE_RECORDING, fs::copy_options::overwrite_existing);
}

}  // namespace
}  // namespace corvane
