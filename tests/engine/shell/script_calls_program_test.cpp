// Published members as a script calls them in the real program: what used
// to be stored or done silently wrong (an enumeration named by text, a
// method of two or more arguments, a method taking what no script can
// pass) either works or throws an error that says why.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/engine/shell/program_folder_fixture.h"

namespace corvane {
namespace {

class ScriptCallsProgramTest : public test::TProgramFolderTest {
 protected:
  // A game with the group `grp` holding the box `b1`; onLoad runs `run()`
  // of main.js, then ends.
  test::TProgramRun Play(const std::string& script) const {
    Put("game/main.object",
        "object game: Applet\n  width = 320\n  height = 240\n  onLoad = 'run(); applet.terminate()'\n"
        "  object grp: Dummy\n    object b1: Box\n    end\n  end\nend\n");
    Put("game/piece.object", "object piece: Dummy\nend\n");
    Put("game/main.js", script);
    return RunHeadless({"game/main.object", "-nostorelog"});
  }

  // The width and height a PNG file's header gives; {0, 0} for none.
  std::pair<std::uint32_t, std::uint32_t> PngSize(const std::string& name) const {
    std::ifstream in(PathOf(name), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
    auto word = [&](std::size_t at) {
      std::uint32_t value = 0;
      for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
      return value;
    };
    return {word(16), word(20)};
  }
};

TEST_F(ScriptCallsProgramTest, AnEnumerationOrBooleanWrittenAsTextTakesItsName) {
  const test::TProgramRun run = Play(
      "function run() {\n"
      "  b1.kind = 'okSpace'; engine.log('kind ' + b1.kind);\n"
      "  b1.kind = 'OKSCREEN'; engine.log('kind ' + b1.kind);\n"
      "  b1.kind = '1'; engine.log('kind ' + b1.kind);\n"
      "  b1.visible = 'false'; engine.log('visible ' + b1.visible);\n"
      "  b1.visible = 'True'; engine.log('visible ' + b1.visible);\n"
      "  try { b1.kind = 'okNowhere'; } catch (e) { engine.log(e.name + ': ' + e.message); }\n"
      "  engine.log('kind ' + b1.kind);\n"
      "}\n");
  EXPECT_EQ(run.status, 0) << run.output;
  // In this order.
  std::size_t at = 0;
  for (const char* line : {"(i) kind 1\n", "(i) kind 0\n", "(i) kind 1\n", "(i) visible false\n", "(i) visible true\n",
                           "(i) TypeError: \"okNowhere\" is not a value of kind (okScreen, okSpace)\n",
                           "(i) kind 1\n"}) {
    at = run.output.find(line, at);
    ASSERT_NE(at, std::string::npos) << line << "\n" << run.output;
  }
}

// Methods of two or more arguments reach the engine as a one-argument
// call does; one with an argument no script can pass says which.
TEST_F(ScriptCallsProgramTest, MethodsOfSeveralArgumentsAreCalled) {
  const test::TProgramRun run = Play(
      "function run() {\n"
      "  var piece = applet.newFromFile('piece.object', grp);\n"
      "  engine.log('loaded ' + piece.name + ' under ' + piece.getParent().name);\n"
      "  engine.log('saved ' + filter.saveRGBAFile(resMan, 'out.png', 2, 1, [0xFFFF0000, 0xFF00FF00]));\n"
      "  filter.savePixmap(resMan, 'copy.png', applet.defaultPixmap);\n"
      "  try { filter.loadRGBAFile(resMan, 'out.png', 0, 0, []); } catch (e) { engine.log(e.name + ': ' + "
      "e.message); }\n"
      "}\n");
  EXPECT_EQ(run.status, 0) << run.output;
  for (const char* line : {"(i) loaded piece under grp\n", "(i) saved true\n",
                           "(i) TypeError: Can't call loadRGBAFile from a script: its argument 3 is a variable "
                           "the method writes back (Integer), which a script cannot pass\n"})
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
  EXPECT_EQ(PngSize("game/out.png"), std::make_pair(2u, 1u));
  EXPECT_NE(PngSize("game/copy.png").first, 0u) << run.output;
}

}  // namespace
}  // namespace corvane
