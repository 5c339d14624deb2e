#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "base/lists/string_list.h"
#include "base/streams/file_stream.h"
#include "base/system/file_date.h"
#include "resources/folder_res_man.h"
#include "resources/resource_paths.h"
#include "tests/resources/resource_helpers.h"
#include "tests/support/capture_log.h"

namespace corvane::test {
namespace {

std::vector<std::string> Items(TStrings* list) {
  std::vector<std::string> items;
  for (int i = 0; i < list->Count(); ++i) items.push_back(list->Get(i));
  return items;
}

class FolderResourceMan : public ::testing::Test {
 protected:
  TTempDir dir;
};

TEST_F(FolderResourceMan, NamesReachTheSameFileWhateverTheirSpelling) {
  WriteFile(dir / "x.object", "top");
  WriteFile(dir / "sub/x.object", "nested");
  WriteFile(dir / "Mixed/Case.TXT", "mixed");
  auto man = MakeMan<TFolderResourceMan>(dir.Path());
  ASSERT_TRUE(man->Active());
  struct Row {
    const char* name;
    const char* bytes;
  } rows[] = {
      {"x.object", "top"},          {"/x.object", "top"},          {"sub/x.object", "nested"},
      {"sub\\x.object", "nested"},  {"/sub\\x.object", "nested"},  {"SUB/X.OBJECT", "nested"},
      {"mixed/case.txt", "mixed"},  {"MIXED\\CASE.txt", "mixed"},  {"sub/y.object", "<none>"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ReadThrough(*man, r.name), r.bytes) << r.name;
    EXPECT_EQ(man->StreamExists(r.name), std::string(r.bytes) != "<none>") << r.name;
  }
  // A root written with "\" separators serves the same files.
  std::string backslashed = dir.Path();
  for (char& c : backslashed) c = c == '/' ? '\\' : c;
  auto other = MakeMan<TFolderResourceMan>(backslashed);
  EXPECT_TRUE(other->Active());
  EXPECT_EQ(ReadThrough(*other, "sub/x.object"), "nested");
}

// The folder's files and nothing beside them: names that climb out (with
// either separator, or mixed case on the way) or are absolute are refused
// with one line each, read nothing, write nothing and list nothing.
TEST_F(FolderResourceMan, NamesThatLeadOutsideTheFolderAreRefused) {
  WriteFile(dir / "app/Sub/x.object", "inside");
  WriteFile(dir / "outside/secret.txt", "secret");
  auto man = MakeMan<TFolderResourceMan>(dir / "app");
  ASSERT_TRUE(man->Active());
  TCaptureLog log;
  EXPECT_EQ(ReadThrough(*man, "sub/../SUB/./x.object"), "inside");
  EXPECT_EQ(ReadThrough(*man, "/Sub\\x.object"), "inside");
  const std::string full = dir / "outside/secret.txt";
  const std::vector<std::string> refused = {"../outside/secret.txt", "..\\outside\\secret.txt",
                                            "SUB/../../outside/secret.txt", "/../outside/secret.txt",
                                            "/" + full, "\\\\host\\share\\x.txt", "c:/outside/secret.txt"};
  for (const std::string& name : refused) {
    for (int i = 0; i < 2; ++i) {
      EXPECT_FALSE(man->StreamExists(name)) << name;
      EXPECT_EQ(man->CreateStream(name, fmOpenRead), nullptr) << name;
      EXPECT_EQ(man->CreateStream(name, fmOpenWrite), nullptr) << name;
      EXPECT_EQ(man->FileDate(name), kNoFileDate) << name;
    }
    EXPECT_EQ(log.CountError("Refused " + name + ": it leads outside the applet's folder"), 1) << log.Text();
  }
  EXPECT_EQ(man->CreateStream("../outside/new.txt", fmCreate), nullptr);
  EXPECT_EQ(man->CreateStream("Sub/../../outside/deeper/new.txt", fmCreate), nullptr);
  EXPECT_EQ(man->FindFilesInDir("../", "*")->Count(), 0);
  EXPECT_EQ(log.ErrorCount(), static_cast<int>(refused.size()) + 3) << log.Text();
  EXPECT_FALSE(PathExists(dir / "outside/new.txt"));
  EXPECT_FALSE(PathExists(dir / "outside/deeper"));
  EXPECT_EQ(ReadFile(dir / "outside/secret.txt"), "secret");
}

// A file or folder that is a link is read through, but never written
// through: a write is refused with a line, a store replaces a file's link
// itself and makes nothing through a folder's.
TEST_F(FolderResourceMan, StoresNeverWriteThroughALink) {
  WriteFile(dir / "outside/victim.txt", "precious");
  WriteFile(dir / "app/keep.txt", "x");
  ASSERT_EQ(symlink((dir / "outside/victim.txt").c_str(), (dir / "app/linked.txt").c_str()), 0);
  ASSERT_EQ(symlink((dir / "outside").c_str(), (dir / "app/saves").c_str()), 0);
  auto man = MakeMan<TFolderResourceMan>(dir / "app");
  TCaptureLog log;
  EXPECT_EQ(ReadThrough(*man, "linked.txt"), "precious");
  EXPECT_EQ(ReadThrough(*man, "saves/victim.txt"), "precious");
  for (const std::uint16_t mode : {fmOpenWrite, fmOpenReadWrite})
    EXPECT_EQ(man->CreateStream("linked.txt", mode), nullptr);
  EXPECT_EQ(log.CountError("Can't open linked.txt: it is a symbolic link, which is not written through"), 2)
      << log.Text();
  for (const char* name : {"saves/victim.txt", "saves/new.txt", "saves/deeper/new.txt"}) {
    EXPECT_EQ(man->CreateStream(name, name == std::string("saves/victim.txt") ? fmOpenWrite : fmCreate), nullptr);
    const std::string line = std::string("Refused ") + name + ": it leads outside the applet's folder through a link";
    EXPECT_EQ(log.CountError(line), 1) << log.Text();
  }
  EXPECT_FALSE(PathExists(dir / "outside/new.txt"));
  EXPECT_FALSE(PathExists(dir / "outside/deeper"));
  std::unique_ptr<TStream> stream = man->CreateStream("linked.txt", fmCreate);
  ASSERT_NE(stream, nullptr);
  stream->Write("new", 3);
  stream.reset();
  EXPECT_EQ(ReadFile(dir / "outside/victim.txt"), "precious");
  EXPECT_EQ(ReadFile(dir / "app/linked.txt"), "new");
}

TEST_F(FolderResourceMan, ExactSpellingWinsThenTheFirstInSortedOrder) {
  WriteFile(dir / "a.txt", "lower");
  WriteFile(dir / "A.txt", "upper");
  auto man = MakeMan<TFolderResourceMan>(dir.Path());
  EXPECT_EQ(ReadThrough(*man, "a.txt"), "lower");
  EXPECT_EQ(ReadThrough(*man, "A.txt"), "upper");
  EXPECT_EQ(ReadThrough(*man, "A.TXT"), "upper");  // "A.txt" sorts before "a.txt"
}

TEST_F(FolderResourceMan, ListsSortedAndOncePerMatchingMask) {
  for (const char* name : {"b.png", "a.png", "A.jpg", "ui/c.png", "ui/icons/a.txt", "Zed/z.png", "notes.txt"})
    WriteFile(dir / name, "x");
  auto man = MakeMan<TFolderResourceMan>(dir.Path());
  EXPECT_EQ(Items(man->FindFiles("*.png;a.*")),
            (std::vector<std::string>{"/A.jpg", "/a.png", "/a.png", "/b.png", "/ui/c.png", "/ui/icons/a.txt",
                                      "/Zed/z.png"}));
  EXPECT_EQ(Items(man->FindDirs()), (std::vector<std::string>{"/", "/ui", "/ui/icons", "/Zed"}));
  EXPECT_EQ(man->FindFilesInDirComma("ui", "*.PNG"), "ui/c.png");  // the folder as given
  EXPECT_EQ(man->FindFilesInDirComma("/ui", "*.PNG"), "/ui/c.png");
  EXPECT_EQ(man->FindFilesInDirComma("", "*.txt"), "/notes.txt,/ui/icons/a.txt");
  EXPECT_EQ(man->FindDirsComma(), "/,/ui,/ui/icons,/Zed");
  // Each listing replaces the last one in the same list.
  TStrings* first = man->FindFiles("*.jpg");
  EXPECT_EQ(first, man->FindFiles("*.txt"));
}

TEST_F(FolderResourceMan, ASymlinkLoopEnds) {
  WriteFile(dir / "sub/deep/f.png", "x");
  ASSERT_EQ(symlink(dir.Path().c_str(), (dir / "sub/deep/up").c_str()), 0);
  ASSERT_EQ(symlink("../sub", (dir / "sub/self").c_str()), 0);
  auto man = MakeMan<TFolderResourceMan>(dir.Path());
  EXPECT_EQ(Items(man->FindFiles("*.png")), (std::vector<std::string>{"/sub/deep/f.png"}));
  EXPECT_EQ(Items(man->FindDirs()), (std::vector<std::string>{"/", "/sub", "/sub/deep"}));
}

TEST_F(FolderResourceMan, AFolderReachedByManyLinksIsListedOnce) {
  // A chain of folders outside the root, each holding a file and two links
  // to the next; the root links twice to the first. Walked path by path,
  // each level would double the listing (2^13 files here).
  constexpr int kLevels = 12;
  for (int i = 1; i <= kLevels; ++i) {
    const std::string folder = dir / ("chain/d" + std::to_string(i));
    WriteFile(folder + "/x" + std::to_string(i) + ".txt", "x");
    if (i == kLevels) continue;
    for (const char* link : {"/a", "/b"})
      ASSERT_EQ(symlink(("../d" + std::to_string(i + 1)).c_str(), (folder + link).c_str()), 0);
  }
  std::filesystem::create_directories(dir / "root");
  for (const char* link : {"a", "b"})
    ASSERT_EQ(symlink((dir / "chain/d1").c_str(), (dir / "root/" + link).c_str()), 0);
  auto man = MakeMan<TFolderResourceMan>(dir / "root");
  std::vector<std::string> files;
  std::vector<std::string> dirs{"/"};
  std::string path;
  for (int i = 1; i <= kLevels; ++i) {
    path += "/a";
    // The links sort before the file: the deepest file comes first.
    files.insert(files.begin(), path + "/x" + std::to_string(i) + ".txt");
    dirs.push_back(path);
  }
  EXPECT_EQ(Items(man->FindFiles("*.txt")), files);
  EXPECT_EQ(Items(man->FindDirs()), dirs);
}

TEST_F(FolderResourceMan, AMissingFolderIsLoggedThenTheFile) {
  auto man = MakeMan<TFolderResourceMan>(dir.Path());
  TCaptureLog log;
  EXPECT_FALSE(man->StreamExists("nodir/x.object"));
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"(i) directory no exists " + dir.Path() + "nodir",
                                                   "(e) File nodir/x.object not exists"}));
  log.Clear();
  EXPECT_EQ(man->CreateStream("nodir/x.object", 0), nullptr);
  EXPECT_EQ(man->FileDate("nodir/x.object"), kNoFileDate);
  EXPECT_EQ(Items(man->FindFilesInDir("/nodir/", "*")), std::vector<std::string>{});
  EXPECT_TRUE(log.Contains("directory no exists "));
  EXPECT_FALSE(MakeMan<TFolderResourceMan>(dir / "missing")->Active());
}

TEST_F(FolderResourceMan, AnEmptyRootIsTheCurrentFolder) {
  WriteFile(dir / "x.object", "here");
  const std::string previous = std::filesystem::current_path().string();
  ASSERT_EQ(chdir(dir.Path().c_str()), 0);
  {
    TCaptureLog log;
    auto man = MakeMan<TFolderResourceMan>("");
    EXPECT_TRUE(man->Active());
    EXPECT_TRUE(man->StreamExists("x.object"));
    EXPECT_EQ(ReadThrough(*man, "/x.object"), "here");
    EXPECT_EQ(man->FindFilesComma("*.object"), "/x.object");
    EXPECT_FALSE(log.Contains("no exists"));
  }
  ASSERT_EQ(chdir(previous.c_str()), 0);
}

TEST_F(FolderResourceMan, ReadOnlyFilesAndFoldersGiveNoWritingStream) {
  WriteFile(dir / "locked.txt", "old");
  chmod((dir / "locked.txt").c_str(), 0444);
  WriteFile(dir / "shut/inside.txt", "in");
  chmod((dir / "shut").c_str(), 0555);
  auto man = MakeMan<TFolderResourceMan>(dir.Path());
  // Also when the tests run as root, who could write anyway.
  EXPECT_EQ(man->CreateStream("locked.txt", fmOpenWrite), nullptr);
  EXPECT_EQ(man->CreateStream("locked.txt", fmCreate), nullptr);
  EXPECT_EQ(man->CreateStream("shut/new.txt", fmCreate), nullptr);
  EXPECT_EQ(ReadThrough(*man, "locked.txt"), "old");
  EXPECT_FALSE(PathExists(dir / "shut/new.txt"));
}

TEST_F(FolderResourceMan, CreateModeReplacesWholeAndMakesOnlyMissingFolders) {
  WriteFile(dir / "Data/old.txt", "old");
  auto man = MakeMan<TFolderResourceMan>(dir.Path());
  {
    std::unique_ptr<TStream> out = man->CreateStream("data/new/f.txt", fmCreate);
    ASSERT_NE(out, nullptr);
    out->Write("fresh", 5);
    // Nothing is visible before the stream closes.
    EXPECT_FALSE(PathExists(dir / "Data/new/f.txt"));
  }
  EXPECT_EQ(ReadFile(dir / "Data/new/f.txt"), "fresh");
  EXPECT_FALSE(PathExists(dir / "data"));
  {
    std::unique_ptr<TStream> out = man->CreateStream("DATA/OLD.TXT", fmCreate);
    ASSERT_NE(out, nullptr);
    out->Write("replaced", 8);
  }
  EXPECT_EQ(ReadFile(dir / "Data/old.txt"), "replaced");
  EXPECT_FALSE(PathExists(dir / "Data/OLD.TXT"));
}

TEST_F(FolderResourceMan, ACreateModeWriteThatFailsLeavesTheOldFile) {
  WriteFile(dir / "prefs.prefs", "old settings");
  auto man = MakeMan<TFolderResourceMan>(dir.Path());
  std::unique_ptr<TStream> out = man->CreateStream("prefs.prefs", fmCreate);
  ASSERT_NE(out, nullptr);
  // Files may not grow past 4 KB while the write runs: it fails half-way.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const sighandler_t previous = signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  const std::string big(10000, 'n');
  const std::int64_t written = out->Write(big.data(), static_cast<std::int64_t>(big.size()));
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
  EXPECT_LT(written, static_cast<std::int64_t>(big.size()));
  out.reset();
  EXPECT_EQ(ReadFile(dir / "prefs.prefs"), "old settings");
  EXPECT_EQ(Items(man->FindFiles("*")), (std::vector<std::string>{"/prefs.prefs"}));  // no temporary left
}

TEST_F(FolderResourceMan, FileDateIsThePackedModificationTime) {
  WriteFile(dir / "a.bin", "x");
  SetFileTime(dir / "a.bin", 1700000000);
  auto man = MakeMan<TFolderResourceMan>(dir.Path());
  EXPECT_EQ(man->FileDate("a.bin"), UnixTimeToFileDate(1700000000));
  EXPECT_EQ(man->FileDate("A.BIN"), UnixTimeToFileDate(1700000000));
  EXPECT_EQ(man->FileDate("b.bin"), kNoFileDate);
}

TEST(ResourcePaths, MaskListsAndPaths) {
  std::string masks = " *.png ; *.jpg";
  EXPECT_EQ(TResourceMan::GetMask(masks), "*.png");
  EXPECT_EQ(masks, "*.jpg");
  EXPECT_EQ(TResourceMan::GetMask(masks), "*.jpg");
  EXPECT_EQ(masks, "");
  EXPECT_EQ(TResourceMan::CompletePath("a"), "a/");
  EXPECT_EQ(TResourceMan::CompletePath("a/"), "a/");
  EXPECT_EQ(TResourceMan::CompletePath(""), "");
  EXPECT_EQ(CorrectPath("a\\b/c\\"), "a/b/c/");
  EXPECT_EQ(ExtractFilePath("dir\\sub/x.object"), "dir\\sub/");
  EXPECT_EQ(ExtractFilePath("x.object"), "");
}

}  // namespace
}  // namespace corvane::test
