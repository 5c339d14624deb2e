// The program as a user runs it: the built executable, headless (SDL's
// offscreen video driver, or no display at all), one process per case. Its
// exit status tells whether an applet ran; a running one is ended with
// SIGTERM, as a terminal's Ctrl+C or a session manager ends it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/streams/memory_stream.h"
#include "base/streams/object_text.h"
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

// A close request is heard while one very large object is read, from its
// text (while it compiles) or from its compiled form alone: the load stops
// there, and the program ends as asked rather than after the whole object.
TEST_F(ProgramTest, ACloseRequestDuringOneLargeObjectEndsTheLoad) {
  std::string text = "object game: Applet\n  width = 320\n  height = 240\n";
  for (int i = 0; i < 300'000; ++i) text += "  tagInt = 1\n";
  text += "end\n";
  Put("text/main.object", text);
  // The compiled form alone, as the engine compiles it.
  TMemoryStream source(std::span<const char>(text.data(), text.size()));
  TMemoryStream compiled;
  ASSERT_TRUE(ObjectTextToBinary(source, compiled));
  Put("compiled/main.bin", std::string(compiled.Memory(), compiled.Size()));
  struct TCase {
    const char* folder;
    const char* until;
    int status;  // the text stops before an applet stands
  };
  for (const TCase& c : {TCase{"text", "(i) Set external resource path to text/", 1},
                         TCase{"compiled", "(i) Main window created", 0}}) {
    SCOPED_TRACE(c.folder);
    const test::TProgramRun run = Run(std::string(c.folder) + "/main.object", kOffscreen, c.until);
    EXPECT_EQ(run.status, c.status) << run.output;
    EXPECT_NE(run.output.find("(i) Loading of main.object stopped: the program is closing"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("(i) === Corvane engine 2.0 finished ==="), std::string::npos) << run.output;
  }
}

// A script that nests objects deeper than a tree holds is refused at its
// last level, as an object file is: one line, and the applet goes on,
// draws and ends as asked.
TEST_F(ProgramTest, AScriptNestingDeeperThanATreeHoldsIsRefused) {
  Put("deep/main.object",
      "object game: Applet\n  width = 320\n  height = 240\n"
      "  onLoad = 'var p = applet; var i = 0; for (; i < 3000; ++i) { var q = applet.new(\"Rect\", p); "
      "if (!q) break; p = q; } engine.log(\"levels below the applet: \" + i)'\n"
      "  onTick = 'if (typeof drawn == \"undefined\") { drawn = 1; engine.log(\"drawn\") }'\nend\n");
  const test::TProgramRun run = Run("deep/main.object", kOffscreen, "(i) drawn");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("(i) levels below the applet: 255"), std::string::npos) << run.output;
  EXPECT_EQ(Count(run.output, ": a tree holds at most 256 levels"), 1) << run.output;
}

}  // namespace
}  // namespace corvane
