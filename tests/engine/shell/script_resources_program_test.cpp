// What a script can make the engine hold, in the real program: streams it
// opens and drops, streams it keeps, and tree objects it makes in a loop.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <string>

#include "tests/engine/shell/program_folder_fixture.h"

namespace corvane {
namespace {

class ScriptResourcesProgramTest : public test::TProgramFolderTest {
 protected:
  test::TProgramRun Play(const std::string& script, const std::vector<std::string>& switches = {}) const {
    Put("game/main.object",
        "object game: Applet\n  width = 320\n  height = 240\n  onLoad = 'run(); applet.terminate()'\nend\n");
    Put("game/main.js", script);
    std::vector<std::string> arguments = {"game/main.object", "-nostorelog"};
    arguments.insert(arguments.end(), switches.begin(), switches.end());
    return RunHeadless(arguments);
  }
};

// More streams opened and dropped than the process may hold files open:
// each is closed once dropped, so the next still opens; those a script
// keeps are bounded, and closed when the applet ends (a leak would fail the
// sanitized program's exit).
TEST_F(ScriptResourcesProgramTest, StreamsAScriptOpensAreClosed) {
  rlimit files{};
  getrlimit(RLIMIT_NOFILE, &files);
  const auto opened = std::min<rlim_t>(files.rlim_cur, 100000) + 100;
  const test::TProgramRun run = Play(
      "function run() {\n"
      "  for (var i = 0; i < " + std::to_string(opened) + "; i++) resMan.CreateStream('main.js');\n"
      "  engine.log('still opens ' + (resMan.CreateStream('main.js') != null));\n"
      "  var kept = [];\n"
      "  for (var i = 0; i < 300; i++) kept.push(resMan.CreateStream('main.js'));\n"
      "  engine.log('kept ' + kept.filter(function(s) { return s != null; }).length);\n"
      "}\n");
  EXPECT_EQ(run.status, 0) << run.output;
  for (const char* line : {"(i) still opens true\n", "scripts hold 256 open already\n", "(i) kept 256\n"})
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
}

// Objects scripts make count against the process's budget, which the user
// sets; a value that is none is reported and left.
TEST_F(ScriptResourcesProgramTest, ObjectsScriptsMakeMeetTheBudget) {
  const test::TProgramRun run = Play(
      "function run() {\n"
      "  var made = 0;\n"
      "  try { for (var i = 0; i < 5000; i++) { new Box(); made++; } } catch (e) { engine.log(e.message); }\n"
      "  engine.log('boxes ' + (made < 300));\n"
      "  engine.log('by name ' + applet.new('Box', null));\n"
      "}\n",
      {"-maxobjects=lots", "-maxobjects=300"});
  EXPECT_EQ(run.status, 0) << run.output;
  for (const char* line : {"(e) Switch -maxobjects=lots ignored: it takes a whole number from 0 to 2147483647\n",
                           "(i) Can't create Box: the object budget of 300 is reached\n", "(i) boxes true\n",
                           "(i) by name null\n"})
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
  EXPECT_EQ(Count(run.output, "(e) Object budget of 300 reached: scripts make no more objects until some are freed\n"),
            1)
      << run.output;
}

}  // namespace
}  // namespace corvane
