// Values a script hands the scene, as the real program meets them: key
// frames, bodies and explosions that no key, body or world could take are
// refused with a line each, and none leaves a body hanging where it was.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/shell/program_folder_fixture.h"

namespace corvane {
namespace {

class ProgramSceneValuesTest : public test::TProgramFolderTest {
 protected:
  test::TProgramRun Play(const std::string& objects, const std::string& script) const {
    Put("game/main.object", "object game: Applet\n  width = 320\n  height = 240\n  onTick = 'tick()'\n" + objects +
                                "end\n");
    Put("game/main.js", "var frames = 0;\n" + script);
    return RunHeadless({"game/main.object", "-nostorelog"});
  }
};

// A key frame is a whole number of 1/30 s from 0 to 2^32 - 1: a frame past
// it (which has no such number), below it or no number adds no key. A
// script reaches AddKey with its frame alone (the call of one argument).
TEST_F(ProgramSceneValuesTest, KeyFramesOutsideTheirRangeAreRefusedWithALine) {
  const test::TProgramRun run = Play(
      "  object box: Rect\n    object slide: AnimationEffect\n    end\n  end\n",
      "function tick() {\n"
      "  if (++frames == 2) {\n"
      "    slide.AddKey(4294967296);\n"
      "    slide.AddKey(1e30);\n"
      "    slide.AddKey(-5);\n"
      "    slide.AddKey(0 / 0);\n"
      "    slide.AddKey(-Infinity);\n"
      "    slide.AddKey(0);\n"
      "    slide.AddKey(30.9);\n"
      "    slide.running = true;\n"
      "  }\n"
      "  if (frames == 5) {\n"
      "    engine.log('running time ' + slide.runningTime);\n"
      "    applet.terminate();\n"
      "  }\n"
      "}\n");
  ASSERT_EQ(run.status, 0) << run.output;
  for (const char* frame : {"4294967296", "1.00000001504747e+30", "-5", "NAN", "-INF"})
    EXPECT_EQ(Count(run.output, std::string("(e) Key not added to slide: frame ") + frame +
                                    " is not from 0 to 4294967295\n"),
              1)
        << frame << run.output;
  EXPECT_EQ(Count(run.output, "(i) running time 1\n"), 1) << run.output;
  EXPECT_EQ(Count(run.output, "runtime error"), 0) << run.output;
}

// A body of a size that is no number is refused with a line, as is an
// explosion of a radius or strength no world can take; a ball near such an
// explosion falls on. Explosions that add up past what a world can follow
// send a ball away rather than leave it hanging where it was.
TEST_F(ProgramSceneValuesTest, UnusableBodiesAndExplosionsAreRefusedAndNoBodyHangs) {
  const auto ball = [](const std::string& name, int x) {
    return "  object " + name + ": Box\n    kind = okSpace\n    x = " + std::to_string(x) +
           "\n    z = 100\n    width = 2\n    height = 2\n    depth = 2\n    dynamic = True\n  end\n";
  };
  const auto bomb = [](const std::string& name, int x) {
    return "  object " + name + ": Box\n    kind = okSpace\n    x = " + std::to_string(x) + "\n    z = 95\n  end\n";
  };
  const test::TProgramRun run = Play(
      ball("ball", 0) + ball("flier", 500) + ball("wide", -500) + ball("tall", -300) + bomb("bomb", 1) +
          bomb("pusher", 501) + bomb("lone", 800),
      "var z0 = 0;\n"
      "function tick() {\n"
      "  frames++;\n"
      "  if (frames == 2) {\n"
      "    ball.spawn();\n"
      "    flier.spawn();\n"
      "    wide.width = 0 / 0;\n"
      "    wide.spawn();\n"
      "    tall.height = Infinity;\n"
      "    tall.spawn();\n"
      "    engine.log('bodies ' + (ball.body != 0) + ' ' + (wide.body != 0) + ' ' + (tall.body != 0));\n"
      "  }\n"
      "  if (frames == 20) {\n"
      "    z0 = ball.z;\n"
      "    bomb.explode(10, 1e10);\n"
      "    lone.explode(10, -1e10);\n"
      "    lone.explode(10, 0 / 0);\n"
      "    lone.explode(Infinity, 5);\n"
      "    lone.explode(-1, 5);\n"
      "    for (var i = 0; i < 3000; i++) pusher.explode(10, 1e6);\n"
      "  }\n"
      "  if (frames == 60) {\n"
      "    engine.log('ball fell ' + (ball.z < z0) + ', flier away ' + (flier.z > 1000));\n"
      "    applet.terminate();\n"
      "  }\n"
      "}\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(i) bodies true false false\n"), 1) << run.output;
  EXPECT_EQ(Count(run.output, "(e) Body of wide not made: size NAN 2 2 unusable\n"), 1) << run.output;
  EXPECT_EQ(Count(run.output, "(e) Body of tall not made: size 2 INF 2 unusable\n"), 1) << run.output;
  EXPECT_EQ(Count(run.output, "(e) Explosion of bomb not made: strength 10000000000 is not from -1000000 to 1000000\n"),
            1)
      << run.output;
  for (const char* refusal : {"strength -10000000000 is not from -1000000 to 1000000",
                              "strength NAN is not from -1000000 to 1000000", "radius INF is not a length",
                              "radius -1 is not a length"})
    EXPECT_EQ(Count(run.output, std::string("(e) Explosion of lone not made: ") + refusal + "\n"), 1)
        << refusal << run.output;
  EXPECT_EQ(Count(run.output, "(i) ball fell true, flier away true\n"), 1) << run.output;
}

}  // namespace
}  // namespace corvane
