// The script heap's cap as a user sets it: "-scriptheap=<MiB>" on the
// program's command line. A handler that passes it fails with "out of
// memory" and the applet goes on: the next handler runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/base/temp_dir.h"
#include "tests/support/program_run.h"

namespace corvane {
namespace {

TEST(ScriptHeapProgramTest, AHandlerPastTheCapFailsAndTheAppletGoesOn) {
  test::TTempDir folder;
  std::filesystem::create_directories(folder / "game");
  std::ofstream(folder / "game/main.object") << "object game: Applet\n"
                                                "  width = 320\n"
                                                "  height = 240\n"
                                                "  onLoad = 'grow()'\n"
                                                "  object tick: Timer\n"
                                                "    interval = 0.1\n"
                                                "    enabled = True\n"
                                                "    onTimer = 'after()'\n"
                                                "  end\n"
                                                "end\n";
  // Far more than 32 MiB of live objects, were there no cap.
  std::ofstream(folder / "game/main.js")
      << "function grow() { var a = []; for (var i = 0; i < 20000000; ++i) a.push([i]); engine.log('grown'); }\n"
         "function after() { engine.log('still running ' + [1, 2, 3].join()); applet.terminate(); }\n";
  const test::TProgramRun run =
      test::RunProgram({.program = CORVANE_PROGRAM,
                        .arguments = {"-scriptheap=lots", "-scriptheap=32", "game/main.object", "-nostorelog"},
                        .environment = {"SDL_VIDEODRIVER=offscreen", "DISPLAY", "WAYLAND_DISPLAY"},
                        .folder = folder.Path()});
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
  test::TTempDir folder;
  std::filesystem::create_directories(folder / "game");
  std::ofstream(folder / "game/main.object") << "object game: Applet\n"
                                                "  width = 320\n"
                                                "  height = 240\n"
                                                "  object tick: Timer\n"
                                                "    interval = 0.02\n"
                                                "    enabled = True\n"
                                                "    onTimer = 'grow()'\n"
                                                "  end\n"
                                                "end\n";
  // 16 MiB of characters a frame, 4 GiB in 256 frames were there no cap.
  std::ofstream(folder / "game/main.js")
      << "var kept = [];\n"
         "function grow() { kept.push(('x'.repeat(16 * 1024 * 1024) + kept.length).toUpperCase()); }\n";
  const test::TProgramRun run =
      test::RunProgram({.program = CORVANE_PROGRAM,
                        .arguments = {"-scriptheap=64", "game/main.object", "-nostorelog"},
                        .environment = {"SDL_VIDEODRIVER=offscreen", "DISPLAY", "WAYLAND_DISPLAY"},
                        .folder = folder.Path(),
                        .until = "script stopped: out of memory"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_LT(run.peakBytes, std::int64_t{1} << 30) << run.output;
}

}  // namespace
}  // namespace corvane
