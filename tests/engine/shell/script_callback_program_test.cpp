// Scripts that call back into the engine while the engine calls them: a
// conversion (toString, valueOf, a getter, a proxy), a global's setter or
// a handler run during a load frees what the native call holds. The real
// program plays each applet headless; the call throws a script error and
// changes nothing, and the applet goes on.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/engine/shell/program_folder_fixture.h"

namespace corvane {
namespace {

// A script that frees something while the engine runs it, and the line
// its run writes.
struct TFreeingCase {
  const char* name;
  const char* script;
  const char* line;
};

class ScriptCallbackProgramTest : public test::TProgramFolderTest {
 protected:
  // A game whose group `grp` holds the boxes b1 and b2; onLoad runs `run()`
  // of main.js (logging what it throws), then logs "after" and ends.
  test::TProgramRun Play(const std::string& name, const std::string& script) const {
    Put(name + "/main.object",
        "object game: Applet\n  width = 320\n  height = 240\n  onLoad = 'try { run() } catch (e) { "
        "engine.log(\"caught \" + e.message) } engine.log(\"after\"); applet.terminate()'\n"
        "  object grp: Dummy\n    object b1: Box\n    end\n    object b2: Box\n    end\n  end\nend\n");
    Put(name + "/piece.object", "object piece: Dummy\n  onCreate = 'grp.deleteChildren()'\nend\n");
    Put(name + "/late.object", "object late: Dummy\nend\n");
    Put(name + "/again.object", "object again: Dummy\n  onDestroy = 'applet.newFromFile(\"again.object\")'\nend\n");
    Put(name + "/main.js", script);
    return RunHeadless({name + "/main.object", "-nostorelog"});
  }

  // Each case ends normally, writes its line (followed by `tail`) and goes
  // on after it.
  void PlayEach(const std::vector<TFreeingCase>& cases, const std::string& tail = {}) const {
    for (const TFreeingCase& c : cases) {
      const test::TProgramRun run = Play(c.name, c.script);
      EXPECT_EQ(run.status, 0) << c.name << "\n" << run.output;
      EXPECT_NE(run.output.find(c.line + tail), std::string::npos) << c.name << "\n" << run.output;
      EXPECT_EQ(Count(run.output, "(i) after\n"), 1) << c.name << "\n" << run.output;
    }
  }
};

TEST_F(ScriptCallbackProgramTest, AConversionThatFreesWhatTheCallHoldsStopsTheCall) {
  const char* freed = "an object it was given was freed while its arguments were converted";
  const std::vector<TFreeingCase> cases = {
      // The receiver of a setter.
      {"setter", "function run() { b1.name = {toString: function() { grp.deleteChildren(); return 'z'; }}; }",
       "(i) caught Can't set property Name: "},
      // A number and a boolean written the same way.
      {"number", "function run() { b1.x = {valueOf: function() { grp.deleteChildren(); return 4; }}; }",
       "(i) caught Can't set property x: "},
      // An object written to an object property, freed by a getter.
      {"getter",
       "function run() { var o = {}; Object.defineProperty(o, 'valueOf', {get: function() {"
       " grp.deleteChildren(); return function() { return 1; }; }}); b2.x = o; }",
       "(i) caught Can't set property x: "},
      // The receiver of a method, freed by its argument's valueOf.
      {"receiver",
       "function run() { b1.scheduleDispose({valueOf: function() { grp.deleteChildren(); return 1; }}); }",
       "(i) caught Can't call scheduleDispose: "},
      // An earlier object argument, freed by a later one (a special).
      {"argument",
       "function run() { applet.storeObject(b1, {toString: function() { grp.deleteChildren(); "
       "return 'x.object'; }}); }",
       "(i) caught Can't call storeObject: "},
      // A proxy as the argument.
      {"proxy",
       "function run() { b1.customEvent(new Proxy({}, {get: function(t, k) { grp.deleteChildren(); "
       "return function() { return 'e'; }; }})); }",
       "(i) caught Can't call customEvent: "},
  };
  PlayEach(cases, freed);
  // Nothing was stored by the call that lost its object.
  EXPECT_FALSE(std::filesystem::exists(PathOf("argument/x.object")));
}

// Registering a name or loading an object runs script code (a setter a
// script put on the global of that name, the object's onCreate): the object
// it frees is neither registered, nor run, nor handed back.
TEST_F(ScriptCallbackProgramTest, ALoadWhoseScriptFreesTheObjectGivesNoObject) {
  const std::vector<TFreeingCase> cases = {
      {"oncreate", "function run() { engine.log('made ' + new Dummy(grp, 'piece.object')); }",
       "(i) caught Can't create Dummy from piece.object"},
      {"oncreate-file", "function run() { engine.log('made ' + applet.newFromFile('piece.object', grp)); }",
       "(i) made null"},
      {"global-setter",
       "function run() { Object.defineProperty(this, 'late', {set: function(v) { grp.deleteChildren(); },"
       " configurable: true}); engine.log('made ' + applet.newFromFile('late.object', b1)); }",
       "(i) made null"},
  };
  PlayEach(cases);
}

// Handlers that make objects under the tree that is being freed, as the
// applet ends: each is refused, so the tree empties and the program ends
// (an object whose onDestroy loads another of itself refilled it forever).
TEST_F(ScriptCallbackProgramTest, HandlersThatRefillADyingTreeAreRefused) {
  PlayEach({{"refill",
             "function run() { applet.newFromFile('again.object'); b1.onDestroy = 'new Box(grp)'; }",
             "(e) Can't make an object under game: it is being freed"}});
}

}  // namespace
}  // namespace corvane
