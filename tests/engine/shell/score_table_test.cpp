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

// The table keeps the MaxScores highest: a score below a full table is not
// added, a higher one pushes the lowest out; an equal score goes below the
// ones already there. A file of more lines keeps its highest.
TEST_F(ScoreTableTest, TheTableKeepsItsHighestScores) {
  const std::int32_t saved = MaxScores;
  MaxScores = 5;
  for (std::int32_t score : {40, 10, 50, 30, 20}) Call("addScore", {u"P" + IntToStr(score), score});
  Call("addScore", {u"Low", std::int32_t{10}});  // equal to the lowest of a full table
  Call("addScore", {u"Tie", std::int32_t{30}});
  Call("addScore", {u"Top", std::int32_t{60}});
  EXPECT_EQ(Entries(*table), (Lines{u"Top=60", u"P50=50", u"P40=40", u"P30=30", u"Tie=30"}));

  files->Put("game.score", Cipher(u"A=1\r\nB=7\r\nC=3\r\nD=9\r\nE=5\r\nF=8\r\nG=2\r\n"));
  ScoreTable* loaded = NewTable();
  loaded->Load();
  EXPECT_EQ(Entries(*loaded), (Lines{u"D=9", u"F=8", u"B=7", u"E=5", u"C=3"}));
  loaded->Store();
  EXPECT_EQ(Decipher(files->Bytes("game.score").value_or("")), u"D=9\r\nF=8\r\nB=7\r\nE=5\r\nC=3\r\n");
  MaxScores = saved;

  // The default holds what a high-score table shows; an applet adding a
  // score every frame stays within it.
  ScoreTable* busy = NewTable();
  for (std::int32_t i = 0; i < 5000; ++i) busy->AddScore(u"frame", (i * 7919) % 5000);
  ASSERT_EQ(busy->ScoreCount(), kDefaultMaxScores);
  for (std::int32_t i = 0; i < kDefaultMaxScores; ++i) EXPECT_EQ(busy->Scores(i), 4999 - i) << i;
  // Equal scores stay in the order they came, however many came between
  // two reads: the 100 lines of the highest score, first to last.
  ScoreTable* ties = NewTable();
  for (std::int32_t i = 0; i < 300; ++i) ties->AddScore(IntToStr(i), i % 3);
  ASSERT_EQ(ties->ScoreCount(), kDefaultMaxScores);
  for (std::int32_t k = 0; k < kDefaultMaxScores; ++k) EXPECT_EQ(ties->Names(k), IntToStr(2 + 3 * k)) << k;
  EXPECT_EQ(world.log.Lines().size(), 0u) << world.log.Text();
}

}  // namespace
}  // namespace corvane
