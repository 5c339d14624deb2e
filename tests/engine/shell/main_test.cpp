// The program as a user runs it: the built executable, headless (SDL's
// offscreen video driver, or no display at all), one process per case. Its
// exit status tells whether an applet ran; a running one is ended with
// SIGTERM, as a terminal's Ctrl+C or a session manager ends it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/base/temp_dir.h"
#include "tests/engine/shell/program_folder_fixture.h"
#include "tests/support/program_run.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class ProgramTest : public test::TProgramFolderTest {
 protected:
  // Runs the program on the argument in the test's folder with the
  // environment changed as given ("NAME=value" sets, "NAME" removes). With
  // `until`, the program is sent SIGTERM once its output holds that text.
  // A program still running after the bound is killed, and the run fails.
  test::TProgramRun Run(const std::string& argument, const std::vector<std::string>& environment,
                        const std::string& until = {}) const {
    return test::RunProgram({.program = CORVANE_PROGRAM,
                             .arguments = {argument},
                             .environment = environment,
                             .folder = folder_.Path(),
                             .until = until});
  }
};

const std::vector<std::string> kOffscreen = {"SDL_VIDEODRIVER=offscreen", "DISPLAY", "WAYLAND_DISPLAY"};
const char kApplet[] = "object game: Applet\n  width = 320\n  height = 240\nend\n";
constexpr char kRunning[] = "(i) End of the root object creation";

TEST_F(ProgramTest, EveryFailedLaunchEndsWithStatusOne) {
  Put("noapplet/main.object", "object box: Dummy\nend\n");
  Put("damaged.applet", "no container at all, only text");
  Put("shown/main.object", kApplet);
  struct TCase {
    const char* what;
    std::string argument;
    std::vector<std::string> environment;
    std::string error;
  };
  const TCase cases[] = {
      {"missing path", "nowhere/main.object", kOffscreen, "(e) Resource manager not actived"},
      {"no applet in the file", "noapplet/main.object", kOffscreen, "(e) Applet noapplet/main.object can't loaded."},
      {"damaged container", "damaged.applet", kOffscreen, "(e) Resource manager not actived"},
      {"unsupported kind", "notes.txt", kOffscreen, "(e) Unsupported Applet type :notes.txt"},
      // Not among the embedded containers: taken as a path, and said so.
      {"no such embedded applet", "game_applet", kOffscreen, "(e) Unsupported Applet type :game_applet"},
      {"no display", "shown/main.object", {"SDL_VIDEODRIVER=x11", "DISPLAY", "WAYLAND_DISPLAY"},
       "(e) SDL could not start: "},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    const test::TProgramRun run = Run(c.argument, c.environment);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(c.error), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("(i) === Corvane engine 2.0 finished ==="), std::string::npos) << run.output;
  }
}

// An applet that ran ends with 0, and a close request ends the program
// whatever its tree holds: an applet nested in the root opens a window of
// its own and is the one the host's events go to.
TEST_F(ProgramTest, AnAppletThatRanEndsWithStatusZeroWhenAskedToClose) {
  struct TCase {
    const char* what;
    std::string text;
    int windows;
  };
  const TCase cases[] = {
      {"single", kApplet, 1},
      {"nested",
       "object outer: Applet\n  width = 320\n  height = 240\n"
       "  object inner: Applet\n    width = 200\n    height = 150\n  end\nend\n",
       2},
      // A folder whose name holds "_applet" is no embedded container.
      {"my_applets", kApplet, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = c.what;
    Put(name + "/main.object", c.text);
    const test::TProgramRun run = Run(name + "/main.object", kOffscreen, kRunning);
    EXPECT_EQ(run.status, 0) << run.output;
    int destroyed = 0;
    for (std::size_t at = 0; (at = run.output.find("(i) Window destroyed", at)) != std::string::npos; ++at)
      ++destroyed;
    EXPECT_EQ(destroyed, c.windows) << run.output;
    EXPECT_FALSE(fs::exists(PathOf(name + "/main.run")));  // the running marker went with the program
  }
}

// A close request while a large tree loads is heard between its objects:
// the load stops there, and the program ends as asked rather than after
// the whole file (which would take far longer than the run's bound).
TEST_F(ProgramTest, ACloseRequestDuringALoadEndsTheProgram) {
  std::string text = "object game: Applet\n  width = 320\n  height = 240\n";
  for (int i = 0; i < 300000; ++i) text += "  object Dummy\n  end\n";
  Put("big/main.object", text + "end\n");
  const test::TProgramRun run = Run("big/main.object", kOffscreen, "(i) Main window created");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("(i) Loading of main.object stopped: the program is closing"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("(i) Window destroyed"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace corvane
