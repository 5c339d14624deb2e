// The applet's score table: order, look-ups by position and the ".score"
// file beside the applet.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "base/reflection/class_info.h"
#include "base/reflection/prop_access.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/shell/engine.h"
#include "engine/shell/score_table.h"
#include "tests/engine/shell/applet_data_file_fixture.h"
#include "tests/engine/shell/applet_files_kit.h"

namespace corvane {
namespace {

using Lines = std::vector<std::u16string>;
using test::Cipher;
using test::Decipher;

class ScoreTableTest : public test::TAppletDataFileTest {
 protected:
  ScoreTableTest() { table = NewTable(); }

  ScoreTable* NewTable() const { return Create<ScoreTable>(TCreateContext(world.applet)); }
  static Lines Entries(const ScoreTable& t) { return LinesOf(t.Entries()); }
  static std::vector<std::int32_t> Scores(const ScoreTable& t) {
    std::vector<std::int32_t> scores;
    for (int i = 0; i < t.ScoreCount(); ++i) scores.push_back(t.Scores(i));
    return scores;
  }
  Variant Call(const char* method, const std::vector<Variant>& args = {}) const {
    return CallMethod(*table, method, args);
  }

  ScoreTable* table = nullptr;
};

TEST_F(ScoreTableTest, ScoresAreKeptHighestFirst) {
  Call("addScore", {u"Ann", std::int32_t{10}});
  Call("addScore", {u"Bob", std::int32_t{30}});
  Call("addScore", {u"Cid", std::int32_t{20}});
  EXPECT_EQ(Entries(*table), (Lines{u"Bob=30", u"Cid=20", u"Ann=10"}));
  EXPECT_EQ(Call("names", {std::int32_t{0}}).AsWideString(), u"Bob");
  EXPECT_EQ(Call("scores", {std::int32_t{0}}).AsInteger(), 30);
  EXPECT_EQ(GetPropValue(*table, "count").AsInteger(), 3);
  SetPropValue(*table, "count", Variant(std::int32_t{7}));  // ignored
  EXPECT_EQ(table->ScoreCount(), 3);

  const struct {
    std::int32_t index;
    const char16_t* name;
    std::int32_t score;
  } outside[] = {{3, u"", 0}, {-1, u"", 0}, {std::numeric_limits<std::int32_t>::min(), u"", 0}};
  for (const auto& c : outside) {
    EXPECT_EQ(table->Names(c.index), c.name) << c.index;
    EXPECT_EQ(table->Scores(c.index), c.score) << c.index;
  }

  table->AddScore(u"Dan", -5);
  table->AddScore(u"Eve", 0);
  table->AddScore(u"Bob", std::numeric_limits<std::int32_t>::max());
  table->AddScore(u"Fay", std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(Scores(*table), (std::vector<std::int32_t>{std::numeric_limits<std::int32_t>::max(), 30, 20, 10, 0, -5,
                                                       std::numeric_limits<std::int32_t>::min()}));
  EXPECT_EQ(table->Names(0), u"Bob");
  EXPECT_EQ(table->Names(6), u"Fay");
  EXPECT_EQ(world.log.Lines().size(), 0u) << world.log.Text();
}

TEST_F(ScoreTableTest, LoadingKeepsTheFileOrderAndReadsBadScoresAsZero) {
  files->Put("game.score", Cipher(u"Ann=10\r\nBob=x\r\nCid=30\r\nDan\r\nEve=99999999999\r\nFay=\r\nGus= -4 \r\n"));
  table->Load();
  EXPECT_EQ(table->ScoreCount(), 7);
  const struct {
    const char16_t* name;
    std::int32_t score;
  } expected[] = {{u"Ann", 10}, {u"Bob", 0}, {u"Cid", 30}, {u"Dan", 0}, {u"Eve", 0}, {u"Fay", 0}, {u"Gus", -4}};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(table->Names(i), expected[i].name) << i;
    EXPECT_EQ(table->Scores(i), expected[i].score) << i;
  }
  EXPECT_EQ(world.log.Lines().size(), 0u) << world.log.Text();

  table->AddScore(u"Hal", 20);  // the next score sorts everything
  EXPECT_EQ(Scores(*table), (std::vector<std::int32_t>{30, 20, 10, 0, 0, 0, 0, -4}));
}

// A name may hold "=": the line splits at the last one.
TEST_F(ScoreTableTest, TheFileIsTheCipheredLinesHighestFirstAndReadsBack) {
  table->AddScore(u"Ann", 10);
  table->AddScore(u"\u00C5sa", 30);
  table->AddScore(u"a=b", 5);
  table->AddScore(u"=", 7);
  Call("store");
  EXPECT_EQ(Decipher(files->Bytes("game.score").value_or("")), u"\u00C5sa=30\r\nAnn=10\r\n==7\r\na=b=5\r\n");
  EXPECT_EQ(files->Listing(), "game.score;");
  ScoreTable* loaded = NewTable();
  loaded->Load();
  EXPECT_EQ(Entries(*loaded), Entries(*table));
  EXPECT_EQ(Scores(*loaded), (std::vector<std::int32_t>{30, 10, 7, 5}));
  EXPECT_EQ(loaded->Names(2), u"=");
  EXPECT_EQ(loaded->Names(3), u"a=b");
}

TEST_F(ScoreTableTest, AnEmptyTableWritesNoFileAndKeepsAnOldOne) {
  table->Store();
  EXPECT_EQ(files->Listing(), "");

  const std::string old = Cipher(u"Ann=10\r\n");
  files->Put("game.score", old);
  NewTable()->Store();
  EXPECT_EQ(files->Bytes("game.score"), old);

  table->Load();
  table->Store();  // loaded and stored unchanged
  EXPECT_EQ(files->Bytes("game.score"), old);
}

// The table has no line limit of its own: MaxScores only refuses adds past
// it, each with its line, and a stored table of more lines is neither cut
// nor taken: the file stays as it is. So is an add that would make the file
// larger than its reader takes back, and a name with a line break.
TEST_F(ScoreTableTest, TheBudgetRefusesAddsAndNeverCutsAStoredTable) {
  const std::int32_t saved = MaxScores;
  MaxScores = 5;
  for (std::int32_t score : {40, 10, 50, 30, 20}) Call("addScore", {u"P" + IntToStr(score), score});
  Call("addScore", {u"Top", std::int32_t{60}});
  table->AddScore(u"Two\r\nlines=99", 7);
  EXPECT_EQ(Entries(*table), (Lines{u"P50=50", u"P40=40", u"P30=30", u"P20=20", u"P10=10"}));
  EXPECT_EQ(world.log.CountError("Score not added: the score table holds its limit of 5 lines (-maxscores)"), 1)
      << world.log.Text();

  const std::string seven = Cipher(u"A=1\r\nB=7\r\nC=3\r\nD=9\r\nE=5\r\nF=8\r\nG=2\r\n");
  files->Put("game.score", seven);
  ScoreTable* loaded = NewTable();
  loaded->Load();
  EXPECT_EQ(loaded->ScoreCount(), 0);
  loaded->AddScore(u"New", 4);
  loaded->Store();
  EXPECT_EQ(files->Bytes("game.score"), seven);
  MaxScores = saved;
  EXPECT_EQ(world.log.CountError("Score table game.score holds 7 lines, more than the limit of 5 (-maxscores): "
                                 "not loaded, the file is kept as it is"),
            1);
  EXPECT_EQ(world.log.CountError("Not stored: game.score holds more lines than the score table takes and is kept as "
                                 "it is"),
            1);
  EXPECT_EQ(world.log.CountError("Score not added: its name holds a line break"), 1);
  EXPECT_EQ(world.log.Lines().size(), 4u) << world.log.Text();

  // Names of a million units: the ninth would take the file past 16 MiB.
  ScoreTable* large = NewTable();
  const std::u16string name(1000000, u'x');
  for (std::int32_t i = 1; i <= 9; ++i) large->AddScore(name, i);
  EXPECT_EQ(large->ScoreCount(), 8);
  EXPECT_EQ(world.log.CountError("Score not added: its file would pass the 16777216 bytes a list file may hold"),
            1);

  // Equal scores stay in the order they came, however many came between
  // two reads.
  ScoreTable* ties = NewTable();
  for (std::int32_t i = 0; i < 300; ++i) ties->AddScore(IntToStr(i), i % 3);
  ASSERT_EQ(ties->ScoreCount(), 300);
  for (std::int32_t k = 0; k < 300; ++k) EXPECT_EQ(ties->Names(k), IntToStr(3 * (k % 100) + 2 - k / 100)) << k;
}

}  // namespace
}  // namespace corvane
