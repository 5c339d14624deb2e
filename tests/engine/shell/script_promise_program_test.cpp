// Promises, async functions and await as an applet's scripts use them in
// the real program: a reaction runs once the handler that settled its
// promise returns, an await resumes in the handler that releases it, a
// job runs under the guard of the call that queued it (here the heap's
// cap), a rejection nobody handles is an error line, and what the library
// cannot run for scripts (dynamic import, weak references, shared memory)
// is refused with an error rather than queued.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/shell/program_folder_fixture.h"

namespace corvane {
namespace {

class ScriptPromiseProgramTest : public test::TProgramFolderTest {};

TEST_F(ScriptPromiseProgramTest, PromiseJobsRunAfterTheirHandlerUnderItsGuard) {
  Put("game/main.object",
      "object game: Applet\n  width = 320\n  height = 240\n  onLoad = 'start()'\n"
      "  object tick: Timer\n    interval = 0.05\n    enabled = True\n    onTimer = 'step()'\n  end\nend\n");
  Put("game/main.js",
      "var release = null, steps = 0;\n"
      "function note(what) { engine.log('note ' + what); }\n"
      "async function waitForTheTimer() {\n"
      "  note('awaits');\n"
      "  await new Promise(function(resolve) { release = resolve; });\n"
      "  note('resumed');\n"
      "}\n"
      "async function failLater() { await null; throw new Error('failed in an async function'); }\n"
      "function start() {\n"
      "  Promise.resolve(1).then(function(v) { note('then ' + v); });\n"
      "  waitForTheTimer();\n"
      "  failLater();\n"
      "  import('other.js').catch(function(e) { note('import refused'); });\n"
      "  note([typeof WeakRef, typeof FinalizationRegistry, typeof SharedArrayBuffer].join(' '));\n"
      "  note('onLoad returns');\n"
      "}\n"
      "function step() {\n"
      "  steps++;\n"
      "  if (steps == 1) { note('timer releases'); release(); note('timer returns'); }\n"
      "  if (steps == 2) Promise.resolve().then(function() { var a = []; for (;;) a.push([a.length]); });\n"
      "  if (steps == 3) note('the applet goes on');\n"
      "  if (steps == 4) {\n"
      "    applet.terminate();\n"
      "    Promise.resolve().then(function() { note('ran after terminate'); });\n"
      "  }\n"
      "}\n");
  const test::TProgramRun run = RunHeadless({"game/main.object", "-nostorelog", "-scriptheap=32"});
  ASSERT_EQ(run.status, 0) << run.output;
  // Each line after the one before it.
  const std::vector<std::string> inOrder = {
      "(i) note awaits",        "(i) note undefined undefined undefined", "(i) note onLoad returns",
      "(i) note then 1",        "(i) note import refused",                "(e) main.js(8:47) failed in an async function",
      "(i) note timer releases", "(i) note timer returns",                 "(i) note resumed",
      "script stopped: out of memory", "(i) note the applet goes on"};
  std::size_t at = 0;
  for (const std::string& line : inOrder) {
    const std::size_t found = run.output.find(line, at);
    ASSERT_NE(found, std::string::npos) << line << " (in order)\n" << run.output;
    at = found + line.size();
  }
  EXPECT_EQ(run.output.find("ran after terminate"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace corvane
