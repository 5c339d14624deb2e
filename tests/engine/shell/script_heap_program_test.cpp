// The script heap's cap as a user sets it: "-scriptheap=<MiB>" on the
// program's command line. A handler that passes it fails with "out of
// memory" and the applet goes on: the next handler runs.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/base/temp_dir.h"
#include "tests/support/program_run.h"

namespace corvane {
namespace {

// An applet of a 320 x 240 window whose timer runs `onTimer` every
// `interval` seconds, with `script` as its main.js, played with the switches.
test::TProgramRun PlayTimedGame(const std::string& extra, const std::string& interval, const std::string& onTimer,
                                const std::string& script, std::vector<std::string> switches,
                                const std::string& until = {}) {
  test::TTempDir folder;
  std::filesystem::create_directories(folder / "game");
  std::ofstream(folder / "game/main.object") << "object game: Applet\n  width = 320\n  height = 240\n" << extra
                                             << "  object tick: Timer\n    interval = " << interval
                                             << "\n    enabled = True\n    onTimer = '" << onTimer << "'\n  end\nend\n";
  std::ofstream(folder / "game/main.js") << script;
  switches.insert(switches.end(), {"game/main.object", "-nostorelog"});
  return test::RunProgram({.program = CORVANE_PROGRAM,
                           .arguments = switches,
                           .environment = {"SDL_VIDEODRIVER=offscreen", "DISPLAY", "WAYLAND_DISPLAY"},
                           .folder = folder.Path(),
                           .until = until});
}

TEST(ScriptHeapProgramTest, AHandlerPastTheCapFailsAndTheAppletGoesOn) {
  // Far more than 32 MiB of live objects, were there no cap.
  const test::TProgramRun run = PlayTimedGame(
      "  onLoad = 'grow()'\n", "0.1", "after()",
      "function grow() { var a = []; for (var i = 0; i < 20000000; ++i) a.push([i]); engine.log('grown'); }\n"
      "function after() { engine.log('still running ' + [1, 2, 3].join()); applet.terminate(); }\n",
      {"-scriptheap=lots", "-scriptheap=32"});
  EXPECT_EQ(run.status, 0) << run.output;
  for (const char* line : {"(e) Switch -scriptheap=lots ignored: it takes a whole number from 16 to 4095",
                           "out of memory", "(i) still running 1,2,3"})
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
  EXPECT_EQ(run.output.find("(i) grown"), std::string::npos) << run.output;
}

// Long strings keep their characters beside the collected heap: a script
// that keeps one every frame is stopped once both together pass the cap,
// and so is every later script while they stay past it.
TEST(ScriptHeapProgramTest, StringsKeptFrameAfterFrameMeetTheCap) {
  // 16 MiB of characters a frame, 4 GiB in 256 frames were there no cap.
  const test::TProgramRun run = PlayTimedGame(
      "", "0.02", "grow()",
      "var kept = [];\n"
      "function grow() { kept.push(('x'.repeat(16 * 1024 * 1024) + kept.length).toUpperCase()); }\n",
      {"-scriptheap=64"}, "script stopped: out of memory");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_LT(run.peakBytes, std::int64_t{1} << 30) << run.output;
}

}  // namespace
}  // namespace corvane
