#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/lists/string_list.h"
#include "base/reflection/class_info.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/variant.h"
#include "base/streams/file_stream.h"
#include "base/system/file_date.h"
#include "resources/empty_res_man.h"
#include "resources/ext_res_man.h"
#include "tests/resources/resource_helpers.h"
#include "tests/support/capture_log.h"

namespace corvane::test {
namespace {

TEST(ExtResourceMan, NamesAreRelativeToTheRootUnlessFull) {
  TTempDir dir;
  WriteFile(dir / "game/scores.score", "scores");
  WriteFile(dir / "elsewhere/pick.png", "picked");
  TCaptureLog log;
  auto man = MakeMan<TExtResourceMan>(dir / "game");
  EXPECT_EQ(man->ResourceFile(), dir / "game/");
  EXPECT_FALSE(man->Active());
  EXPECT_EQ(log.CountInfo("External resource manager started TExtResourceMan"), 1);
  struct Row {
    std::string name;
    bool exists;
  } rows[] = {
      {"scores.score", true},
      {"SCORES.score", true},
      {dir / "game/scores.score", true},    // a full path inside the root
      {dir / "elsewhere/pick.png", false},  // one elsewhere: refused, with its line
      {"c:" + dir / "elsewhere/pick.png", false},  // a drive path is used as it is, without the root
      {"pick.png", false},
  };
  for (const Row& r : rows) EXPECT_EQ(man->StreamExists(r.name), r.exists) << r.name;
  EXPECT_EQ(man->CreateStream(dir / "elsewhere/pick.png", fmOpenRead), nullptr);
  EXPECT_EQ(man->FindFilesInDirComma(dir / "elsewhere", "*.png"), "");
  EXPECT_EQ(log.CountError("Refused " + dir / "elsewhere/pick.png" + ": it leads outside the applet's folder"), 1)
      << log.Text();
  EXPECT_EQ(log.CountError("Refused " + dir / "elsewhere/: it leads outside the applet's folder"), 1) << log.Text();
  EXPECT_NE(man->FileDate("scores.score"), kNoFileDate);
  EXPECT_EQ(man->FileDate("none.score"), kNoFileDate);
  {
    std::unique_ptr<TStream> out = man->CreateStream("new/prefs.prefs", fmCreate);
    ASSERT_NE(out, nullptr);
    out->Write("p", 1);
  }
  EXPECT_EQ(ReadFile(dir / "game/new/prefs.prefs"), "p");
}

TEST(ExtResourceMan, ListsOnlyFullFolders) {
  TTempDir dir;
  WriteFile(dir / "a.png", "x");
  WriteFile(dir / "sub/b.png", "x");
  auto man = MakeMan<TExtResourceMan>(dir.Path());
  TCaptureLog log;
  EXPECT_EQ(man->FindFiles("*.png")->Count(), 0);
  EXPECT_EQ(log.CountInfo("directory no exists "), 1);
  EXPECT_EQ(man->FindDirsComma(), "/");
  EXPECT_EQ(man->FindFilesInDirComma(dir.Path(), "*.png"), dir / "a.png," + dir / "sub/b.png");
}

TEST(EmptyResourceMan, HoldsNothing) {
  TCaptureLog log;
  auto man = MakeMan<TEmptyResourceMan>("anything");
  EXPECT_EQ(man->CreateStream("x", 0), nullptr);
  EXPECT_FALSE(man->StreamExists("x"));
  EXPECT_EQ(man->FileDate("x"), kNoFileDate);
  EXPECT_EQ(man->FindFiles("*")->Count(), 0);
  EXPECT_EQ(man->FindDirsComma(), "/");
  EXPECT_FALSE(man->Active());
  EXPECT_EQ(log.CountInfo("Resource manager TEmptyResourceMan starded"), 1);
}

TEST(ExtResourceMan, PicksAFileThroughItsChooser) {
  TCaptureLog log;
  auto man = MakeMan<TExtResourceMan>("/tmp");
  EXPECT_EQ(man->selectExternalFile(u"*.png"), u"");  // no chooser: nothing picked
  std::u16string asked;
  man->SetFileChooser([&asked](const std::u16string& filter) {
    asked = filter;
    return std::u16string(u"/home/me/a.png");
  });
  EXPECT_EQ(man->selectExternalFile(u"*.png"), u"/home/me/a.png");
  EXPECT_EQ(asked, u"*.png");
}

TEST(ResourceMan, ScriptsReachTheManagersByName) {
  TTempDir dir;
  WriteFile(dir / "a.txt", "abc");
  auto man = MakeMan<TFolderResourceMan>(dir.Path());
  const TClass cls = man->ClassType();
  const Variant exists[] = {Variant(std::string("a.txt"))};
  EXPECT_TRUE(cls->FindMethod("StreamExists")->Invoke(*man, exists).AsBoolean());
  const Variant open[] = {Variant(std::string("a.txt")), Variant(std::int32_t{0})};
  TObject* stream = cls->FindMethod("CreateStream")->Invoke(*man, open).AsObject();
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(StreamText(*static_cast<TStream*>(stream)), "abc");
  stream->Free();
}

}  // namespace
}  // namespace corvane::test
