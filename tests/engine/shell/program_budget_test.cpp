// The engine's budgets as a user meets them: the real program, headless,
// playing applets whose scripts and trees push against a budget.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/base/temp_dir.h"
#include "tests/engine/shell/applet_files_kit.h"
#include "tests/engine/shell/program_folder_fixture.h"
#include "tests/support/program_run.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class ProgramBudgetTest : public test::TProgramFolderTest {
 protected:
  test::TProgramRun Run(const std::vector<std::string>& arguments) const { return RunHeadless(arguments); }
};

// A box holding emitters that each release up to their own cap every
// other frame, with particles that live for 1000 s.
std::string Emitters(const std::string& holder, int emitters) {
  std::string text = "  object " + holder + ": Box\n    kind = okSpace\n";
  for (int i = 0; i < emitters; ++i)
    text += "    object e" + std::to_string(i) +
            ": ParticleEffect\n      particleInterval = 0.0000001\n"
            "      keys = <\n        item\n          key = 0\n        end\n"
            "        item\n          key = 30000\n        end>\n    end\n";
  return text + "  end\n";
}

std::string EmitterApplet(int emitters) {
  return "object game: Applet\n  width = 320\n  height = 240\n  onTick = 'tick()'\n" + Emitters("holder", emitters) +
         "end\n";
}

std::string EmitterScript(int emitters) {
  return "var frames = 0;\n"
         "function tick() {\n"
         "  if (++frames < 8) return;\n"
         "  var n = 0;\n"
         "  for (var i = 0; i < " +
         std::to_string(emitters) +
         "; i++) n += holder.findByName('e' + i).ParticleCount();\n"
         "  engine.log('particles out: ' + n);\n"
         "  applet.terminate();\n"
         "}\n";
}

// Many emitters, each within its own cap, share the applet's budget: they
// end with the particles one emitter at its cap has, in about its memory,
// and the budget is reported once.
TEST_F(ProgramBudgetTest, ParticleEmittersShareTheAppletsBudget) {
  std::int64_t peakKb[2] = {};
  const int emitters[2] = {1, 20};
  for (int k = 0; k < 2; ++k) {
    const std::string name = "emit" + std::to_string(emitters[k]);
    Put(name + "/main.object", EmitterApplet(emitters[k]));
    Put(name + "/main.js", EmitterScript(emitters[k]));
    const test::TProgramRun run = Run({name + "/main.object", "-nostorelog"});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Count(run.output, "(i) particles out: 100000\n"), 1) << run.output;
    peakKb[k] = run.peakBytes / 1024;
    const std::string reached =
        "(e) Particle budget of 100000 reached: effects release no more particles until some end\n";
    EXPECT_EQ(Count(run.output, reached), emitters[k] > 1 ? 1 : 0) << run.output;
  }
  // 100,000 particles more would show as well over 10 MB.
  EXPECT_LT(peakKb[1], peakKb[0] + 32 * 1024) << peakKb[0] << " KiB against " << peakKb[1] << " KiB";

  // The user sets the budget; a value that is none is reported and left.
  const test::TProgramRun run = Run({"emit20/main.object", "-nostorelog", "-maxparticles=500", "-maxparticles=lots"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(i) particles out: 500\n"), 1) << run.output;
  EXPECT_EQ(Count(run.output, "(e) Switch -maxparticles=lots ignored: it takes a whole number from 0 to 2147483647\n"),
            1)
      << run.output;
}

// The budgets hold for the whole program, not for each applet: an applet
// and one nested in it share the particles (each with an emitter that
// alone would reach the budget) and the characters their effect texts
// build, one line saying where each budget was reached.
TEST_F(ProgramBudgetTest, AppletsNestedInOneAnotherShareTheProgramsBudgets) {
  const std::string text(80, 'x');
  Put("nest/main.object",
      "object game: Applet\n  width = 320\n  height = 240\n  onTick = 'tick()'\n" + Emitters("holder", 1) +
          "  object title: EffectText\n    text = '" + text + "'\n  end\n"
          "  object inner: Applet\n    width = 200\n    height = 150\n" + Emitters("box", 1) + "    object subtitle: EffectText\n      text = '" + text + "'\n    end\n  end\nend\n");
  Put("nest/main.js",
      "var frames = 0;\n"
      "function tick() {\n"
      "  if (++frames < 8) return;\n"
      "  applet.terminate();\n"
      "  engine.log('particles out: ' + (holder.findByName('e0').ParticleCount() + box.findByName('e0').ParticleCount()));\n"
      "}\n");
  const test::TProgramRun run = Run({"nest/main.object", "-nostorelog", "-maxparticles=1000", "-maxeffecttext=100"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(i) particles out: 1000\n"), 1) << run.output;
  EXPECT_EQ(Count(run.output, "(e) Particle budget of 1000 reached"), 1) << run.output;
  EXPECT_EQ(Count(run.output, ": only the first 20 of its 80 characters are built\n"), 1) << run.output;
}

// A text too long to draw in one go (20,000 characters, drawn every frame)
// is drawn up to where it can be and reported once, its line holding the
// text's start, not the whole of it every frame.
TEST_F(ProgramBudgetTest, ATextTooLongToDrawIsReportedOnceAndShort) {
  Put("long/main.object",
      "object game: Applet\n  width = 320\n  height = 240\n  onLoad = 'start()'\n  onTick = 'tick()'\n"
      "  object label: StaticText\n    width = 300\n    height = 30\n    font.size = 12\n  end\nend\n");
  Put("long/main.js",
      "var frames = 0;\n"
      "function start() { label.text = new Array(20001).join('x'); }\n"
      "function tick() { if (++frames == 10) applet.terminate(); }\n");
  const test::TProgramRun run = Run({"long/main.object", "-nostorelog"});
  ASSERT_EQ(run.status, 0) << run.output.substr(0, 4000);
  EXPECT_EQ(Count(run.output, " too long.\n"), 1) << run.output.substr(0, 4000);
  const std::size_t end = run.output.find(" too long.\n");
  const std::size_t start = run.output.rfind('\n', end);
  EXPECT_LT(end - start, 200u) << run.output.substr(start, 400);
  EXPECT_NE(run.output.find("(20000 characters) too long."), std::string::npos) << run.output.substr(0, 4000);
}

// A handler that fails every frame writes its error line into the log file
// once, then how often it came again; standard output gets every one.
TEST_F(ProgramBudgetTest, AHandlerFailingEveryFrameDoesNotFillTheLogFile) {
  Put("fail/main.object", "object game: Applet\n  width = 320\n  height = 240\n  onTick = 'tick()'\nend\n");
  Put("fail/main.js",
      "var frames = 0;\n"
      "function tick() {\n"
      "  if (++frames == 300) { applet.terminate(); return; }\n"
      "  noSuchFunction();\n"
      "}\n");
  const test::TProgramRun run = Run({"fail/main.object"});
  ASSERT_EQ(run.status, 0) << run.output;
  const std::string error = "(e) main.js(4:2) noSuchFunction is not defined";
  EXPECT_EQ(Count(run.output, error), 299) << run.output;
  std::ifstream file(PathOf("fail/main.log"), std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(Count(log, error), 1) << log;
  EXPECT_EQ(Count(log, "(i) Last line repeated 298 more times\r\n"), 1) << log;
  EXPECT_NE(log.find("(i) Objects destroyed\r\n"), std::string::npos) << log;
}

// An applet that logs a line of 64 KB and adds a score named by 32 KB 200
// times a frame for `frames` frames: the log keeps its newest lines in
// memory and the table refuses scores once its file would pass what its
// reader takes back (16 MiB), so 1000 of each (some 64 MB each if held
// whole) leave the program's peak near where 200 of each do.
TEST_F(ProgramBudgetTest, LogAndScoreFloodsDoNotRaiseThePeak) {
  std::int64_t peak[2] = {};
  const int frames[2] = {1, 5};
  for (int k = 0; k < 2; ++k) {
    const std::string name = "flood" + std::to_string(frames[k]);
    Put(name + "/main.object", "object game: Applet\n  width = 320\n  height = 240\n  onTick = 'tick()'\nend\n");
    Put(name + "/main.js",
        "var text = 'x';\n"
        "while (text.length < 20000) text = text + text;\n"
        "var line = text + text;\n"
        "var frames = 0;\n"
        "function tick() {\n"
        "  if (frames++ == " + std::to_string(frames[k]) + ") {\n"
        "    engine.log('scores kept: ' + scoreTable.count);\n"
        "    applet.terminate();\n"
        "    return;\n"
        "  }\n"
        "  for (var i = 0; i < 200; i++) { engine.log(line); scoreTable.addScore(text, frames * 200 + i); }\n"
        "}\n");
    const test::TProgramRun run = RunMeasured({name + "/main.object", "-nostorelog"});
    ASSERT_EQ(run.status, 0) << run.output.substr(0, 4000);
    EXPECT_EQ(Count(run.output, k == 0 ? "(i) scores kept: 200\n" : "(i) scores kept: 255\n"), 1);
    EXPECT_EQ(Count(run.output, "(e) Score not added: its file would pass the 16777216 bytes a list file may hold\n"),
              k == 0 ? 0 : 745);
    peak[k] = run.peakBytes;
  }
  EXPECT_GT(peak[0], 0);
  EXPECT_LT(peak[1], peak[0] + (std::int64_t{32} << 20)) << peak[0] / 1024 << " KiB, then " << peak[1] / 1024 << " KiB";
}

// The user's switches for the log file and the score table: the file stops
// at its size with one line saying so, the table refuses each score past
// its lines with one.
TEST_F(ProgramBudgetTest, TheLogAndScoreSwitchesSetTheirBudgets) {
  Put("big/main.object", "object game: Applet\n  width = 320\n  height = 240\n  onLoad = 'start()'\nend\n");
  Put("big/main.js",
      "function start() {\n"
      "  var text = 'x';\n"
      "  while (text.length < 10000) text = text + text;\n"
      "  for (var i = 0; i < 200; i++) engine.log(i + ' ' + text);\n"
      "  for (var s = 1; s <= 10; s++) scoreTable.addScore('p' + s, s);\n"
      "  applet.terminate();\n"
      "}\n");
  const test::TProgramRun run = Run({"big/main.object", "-maxlogsize=1", "-maxscores=3"});
  ASSERT_EQ(run.status, 0) << run.output.substr(0, 4000);
  const std::string limit = "(e) Log file big/main.log reached its limit of 1 MB for this run: "
                            "later lines are not written to it";
  EXPECT_EQ(Count(run.output, limit + "\n"), 1);
  EXPECT_EQ(Count(run.output, " 199 xxxx"), 1);
  std::ifstream file(PathOf("big/main.log"), std::ios::binary);
  const std::string log((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_LE(log.size(), std::size_t{1} << 20 | 4096);
  EXPECT_EQ(Count(log, limit + "\r\n"), 1);
  EXPECT_EQ(Count(log, " 199 xxxx"), 0);
  std::ifstream scores(PathOf("big/main.score"), std::ios::binary);
  const std::string ciphered((std::istreambuf_iterator<char>(scores)), std::istreambuf_iterator<char>());
  EXPECT_EQ(test::Decipher(ciphered), u"p3=3\r\np2=2\r\np1=1\r\n");
  EXPECT_EQ(Count(run.output, "(e) Score not added: the score table holds its limit of 3 lines (-maxscores)\n"), 7);
}

// Every text a script hands the engine is measured before it is copied: a
// title of 10^8 characters (a gigabyte and minutes inside the window's
// setter, were it taken) or a file name past the budget is refused with a
// line naming the budget, the script gets the error and goes on, and the
// title stays. An error a script throws reaches the log cut to the budget.
// The user's switch moves the budget.
TEST_F(ProgramBudgetTest, TextsAScriptHandsTheEngineHaveABudget) {
  Put("text/main.object",
      "object game: Applet\n  width = 320\n  height = 240\n  title = 'Kept'\n  onLoad = 'start()'\n"
      "  onTick = 'applet.terminate()'\nend\n");
  Put("text/main.js",
      "function attempt(what, f) {\n"
      "  try { f(); engine.log(what + ' taken'); } catch (e) { engine.log(what + ' refused: ' + e.message); }\n"
      "}\n"
      "function start() {\n"
      "  attempt('huge title', function() { applet.title = 'x'.repeat(1e8); });\n"
      "  attempt('long file name', function() { new Box(applet, 'z'.repeat(3e6) + '.object'); });\n"
      "  attempt('title', function() { applet.title = 'w'.repeat(1000); });\n"
      "  engine.log('the title has ' + applet.title.length + ' characters');\n"
      "  throw new Error('e'.repeat(1e7));\n"
      "}\n");
  const struct {
    std::vector<std::string> switches;
    std::vector<std::string> lines;
  } runs[] = {
      {{},
       {"(e) main.js(5:56) A text of 100000000 characters is refused: scripts hand the engine at most 1048576 "
        "at once",
        "(i) huge title refused: A text of 100000000 characters is refused",
        "(i) long file name refused: A text of 3000007 characters is refused", "(i) title taken",
        "(i) the title has 1000 characters"}},
      {{"-maxscripttext=500", "-maxscripttext=none"},
       {"(e) Switch -maxscripttext=none ignored: it takes a whole number from 1 to 2147483647",
        "(i) title refused: A text of 1000 characters is refused: scripts hand the engine at most 500 at once",
        "(i) the title has 4 characters"}},
  };
  for (const auto& run : runs) {
    std::vector<std::string> arguments = {"text/main.object", "-nostorelog"};
    arguments.insert(arguments.end(), run.switches.begin(), run.switches.end());
    const test::TProgramRun played = Run(arguments);
    ASSERT_EQ(played.status, 0) << played.output;
    const std::string shown = played.output.substr(0, 4000);
    for (const std::string& line : run.lines) EXPECT_NE(played.output.find(line), std::string::npos) << line << "\n" << shown;
    EXPECT_NE(played.output.find(std::string(400, 'e') + "... \"\""), std::string::npos) << shown;
    EXPECT_LT(played.output.size(), std::size_t{4} << 20);
    EXPECT_LT(played.peakBytes, std::int64_t{1} << 30) << shown;
  }
}

// Files far above their readers' limits (3 GB each, kept sparse: a sound,
// the preferences, the score table and a recording) are refused from
// their size with a line naming each, and never read: the program's peak
// stays below the size of any one of them. The preferences and scores
// that could not be read are kept as they are.
TEST_F(ProgramBudgetTest, FilesFarAboveTheirLimitsAreRefusedUnread) {
  Put("huge/main.object",
      "object game: Applet\n  width = 320\n  height = 240\n  onLoad = 'start()'\n"
      "  object click: SoundPlayer\n    fileName = 'click.wav'\n  end\nend\n");
  Put("huge/main.js",
      "function start() {\n"
      "  event.playEvent('game.rec');\n"
      "  click.play();\n"
      "  preferences.setValue('seen', 'yes');\n"
      "  scoreTable.addScore('Ada', 3);\n"
      "  applet.terminate();\n"
      "}\n");
  constexpr std::uintmax_t kSize = std::uintmax_t{3} << 30;
  for (const char* name : {"click.wav", "main.prefs", "main.score", "game.rec"}) {
    Put(std::string("huge/") + name, "");
    fs::resize_file(PathOf(std::string("huge/") + name), kSize);
  }
  const test::TProgramRun run = Run({"huge/main.object", "-nostorelog"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(e) Can't load sound click.wav: its 3221225472 bytes pass the limit of 33554432"), 1)
      << run.output;
  for (const std::string name : {"main.prefs", "main.score", "game.rec"})
    EXPECT_EQ(Count(run.output, "(e) String list text too large (3221225472 bytes) in huge/" + name + "\n"), 1)
        << name << run.output;
  for (const char* name : {"main.prefs", "main.score"}) {
    EXPECT_EQ(Count(run.output, std::string("(e) Not stored: ") + name + " could not be read"), 1) << run.output;
    EXPECT_EQ(fs::file_size(PathOf(std::string("huge/") + name)), kSize);
  }
  EXPECT_GT(run.peakBytes, 0);
  EXPECT_LT(static_cast<std::uintmax_t>(run.peakBytes), kSize / 3) << "peak " << run.peakBytes / 1024 << " KiB";
}

}  // namespace
}  // namespace corvane
