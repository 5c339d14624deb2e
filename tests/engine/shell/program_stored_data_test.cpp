// What a player keeps between runs, as the real program keeps it: the
// score table and the preferences beside the applet come back whole.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/shell/applet_files_kit.h"
#include "tests/engine/shell/program_folder_fixture.h"
#include "tests/support/file_bytes.h"

namespace corvane {
namespace {

class ProgramStoredDataTest : public test::TProgramFolderTest {
 protected:
  // Runs game/main.object once with this script.
  test::TProgramRun Play(const std::string& script, const std::vector<std::string>& switches = {}) const {
    Put("game/main.object", "object game: Applet\n  width = 320\n  height = 240\n  onLoad = 'start()'\nend\n");
    Put("game/main.js", "function start() {\n" + script + "  applet.terminate();\n}\n");
    std::vector<std::string> arguments = {"game/main.object", "-nostorelog"};
    arguments.insert(arguments.end(), switches.begin(), switches.end());
    return RunHeadless(arguments);
  }
  std::string Stored(const std::string& name) const { return test::ReadFileBytes(PathOf(name)).value_or(""); }
  // The lines of a ciphered file.
  int StoredLines(const std::string& name) const {
    const std::u16string text = test::Decipher(Stored(name));
    int lines = 0;
    for (std::size_t at = 0; (at = text.find(u"\r\n", at)) != std::u16string::npos; at += 2) ++lines;
    return lines;
  }
};

// No score is dropped: 157 adds keep 157 lines, a table stored by a run
// with a larger budget is read whole and stored whole with the next score,
// and one over this run's budget is left as it is, with a line.
TEST_F(ProgramStoredDataTest, EveryScoreIsKeptAndAStoredTableIsNeverCut) {
  const std::string add = "  for (var i = 0; i < N; i++) scoreTable.addScore('p' + i, i);\n"
                          "  engine.log('scores: ' + scoreTable.count);\n";
  const auto adding = [&](int n) { return "  var N = " + std::to_string(n) + ";\n" + add; };

  test::TProgramRun run = Play(adding(157));
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(i) scores: 157\n"), 1) << run.output;
  EXPECT_EQ(StoredLines("game/main.score"), 157);

  run = Play(adding(843), {"-maxscores=5000"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(StoredLines("game/main.score"), 1000);

  run = Play("  engine.log('loaded: ' + scoreTable.count);\n" + adding(1));
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(i) loaded: 1000\n"), 1) << run.output;
  EXPECT_EQ(StoredLines("game/main.score"), 1001);

  const std::string stored = Stored("game/main.score");
  run = Play("  engine.log('loaded: ' + scoreTable.count);\n" + adding(1), {"-maxscores=500"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(i) loaded: 0\n"), 1) << run.output;
  EXPECT_EQ(Count(run.output, "(e) Score table main.score holds 1001 lines, more than the limit of 500 "
                              "(-maxscores): not loaded, the file is kept as it is\n"),
            1)
      << run.output;
  EXPECT_EQ(Count(run.output, "(e) Not stored: main.score holds more lines than the score table takes and is kept "
                              "as it is\n"),
            1)
      << run.output;
  EXPECT_EQ(Stored("game/main.score"), stored);
}

// A preference holding a line break would come back cut, and what followed
// it as a setting of its own: it is refused with a line, and nothing of it
// reaches the file.
TEST_F(ProgramStoredDataTest, APreferenceWithALineBreakIsRefusedNotCut) {
  test::TProgramRun run = Play(
      "  preferences.setValue('note', 'one\\r\\nuser1.secret=yes');\n"
      "  preferences.setValue('plain', 'a=b c');\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(e) Preference note not set: its value holds a line break\n"), 1) << run.output;

  run = Play("  engine.log('note [' + preferences.getValue('note') + '] secret [' + preferences.getValue('secret') +\n"
             "             '] plain [' + preferences.getValue('plain') + ']');\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(i) note [] secret [] plain [a=b c]\n"), 1) << run.output;
}

}  // namespace
}  // namespace corvane
