#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "base/system/file_utils.h"
#include "tests/base/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

using test::TTempDir;

void MakeFile(const std::string& path, fs::perms perms) {
  std::ofstream(path) << "x";
  fs::permissions(path, perms);
}

// Restores the real command line (none) after a test that sets one.
class TCommandLine {
 public:
  explicit TCommandLine(std::vector<std::string> args) : args_(std::move(args)) {
    for (std::string& a : args_) argv_.push_back(a.data());
    SetCommandLine(static_cast<int>(argv_.size()), argv_.data());
  }
  ~TCommandLine() { SetCommandLine(0, nullptr); }

 private:
  std::vector<std::string> args_;
  std::vector<char*> argv_;
};

TEST(FileUtils, GetTokenSplitsAtTheFirstSeparator) {
  const std::string longWord(300, 'w');
  struct Row {
    std::string text, separators, token, rest;
  } rows[] = {
      {"abc, def", ",", "abc", "def"},
      {"  abc  ", ",", "abc", ""},               // no separator: all of it, trimmed
      {"a;b,c", ",;", "a", "b,c"},               // any separator of the set, the first one met
      {",abc", ",", "", "abc"},
      {"abc,", ",", "abc", ""},
      {"", ",", "", ""},
      {"abc", "", "abc", ""},
      {"\t\x01 key \x7F=\n value \r\n", "=", "key", "value"},  // blanks and control characters
      {"caf\xC3\xA9 ,x", ",", "caf\xC3\xA9", "x"},             // UTF-8 bytes are kept
      {longWord + "," + longWord + "x", ",", longWord, longWord + "x"},
      {longWord + "x" + "," + "y", ",", longWord + "x", "y"},  // separator past 255 characters
  };
  for (const Row& r : rows) {
    std::string s = r.text;
    EXPECT_EQ(GetToken(s, r.separators), r.token) << r.text;
    EXPECT_EQ(s, r.rest) << r.text;
  }
}

TEST(FileUtils, GetTokenWideWorksOnUtf16Units) {
  struct Row {
    std::u16string text, separators, token, rest;
  } rows[] = {
      {u"abc, def", u",", u"abc", u"def"},
      {u" \u00e9t\u00e9 \u2022 hiver ", u"\u2022", u"\u00e9t\u00e9", u"hiver"},
      {u"\U0001F600;\U0001F601", u";", u"\U0001F600", u"\U0001F601"},
      {u"\u00a0x\u00a0", u";", u"\u00a0x\u00a0", u""},  // no-break space is no blank here
      {std::u16string(400, u'a') + u"|b", u"|", std::u16string(400, u'a'), u"b"},
  };
  for (const Row& r : rows) {
    std::u16string s = r.text;
    EXPECT_EQ(GetToken(s, r.separators), r.token);
    EXPECT_EQ(s, r.rest);
  }
}

TEST(FileUtils, FileNameWithoutExtCutsOnlyTheFileNamesExtension) {
  struct Row {
    const char* name;
    const char* expected;
  } rows[] = {
      {"a.txt", "a"},
      {"/x/y.tar.gz", "/x/y.tar"},
      {"/a/b.c/d", "/a/b.c/d"},     // the dot belongs to a folder
      {"dir.x\\file", "dir.x\\file"},
      {"dir\\f.e", "dir\\f"},
      {"/a/b.c/", "/a/b.c/"},
      {"noext", "noext"},
      {"/a/b.", "/a/b"},
      {"", ""},
  };
  for (const Row& r : rows) EXPECT_EQ(FileNameWithoutExt(r.name), r.expected) << r.name;
}

TEST(FileUtils, CommandLineAndExecutablePaths) {
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  const std::string selfFolder = fs::path(self).parent_path().string() + "/";

  SetCommandLine(0, nullptr);
  EXPECT_EQ(ExeName(), self);
  EXPECT_EQ(ParamStr(0), self);
  EXPECT_EQ(ParamCount(), 0);
  EXPECT_EQ(ExeFileName(), fs::path(self).filename().string());
  {
    // A bare name found through PATH: ExePath still is the executable's folder.
    TCommandLine line({"corvane.run", "-ogl", "/apps/demo.object"});
    EXPECT_EQ(ExeName(), "corvane.run");
    EXPECT_EQ(ParamCount(), 2);
    EXPECT_EQ(ParamStr(0), "corvane.run");
    EXPECT_EQ(ParamStr(2), "/apps/demo.object");
    EXPECT_EQ(ParamStr(3), "");
    EXPECT_EQ(ParamStr(-1), "");
    EXPECT_EQ(ExePath(), selfFolder);
    EXPECT_EQ(ExeFileName(), "corvane.run");
    EXPECT_EQ(ExeNameWithoutExt(), "corvane");
  }
  {
    TCommandLine line({"./build.d/bin\\corvane"});
    EXPECT_EQ(ExeFileName(), "corvane");
    EXPECT_EQ(ExeNameWithoutExt(), "./build.d/bin\\corvane");
    EXPECT_EQ(ExePath(), selfFolder);
  }
  {
    // At most 1000 bytes, never half a character.
    TCommandLine line({"/x/" + std::string(999, 'n') + "\xC3\xA9" + "tail"});
    EXPECT_EQ(ExeFileName(), std::string(999, 'n'));
  }
  EXPECT_EQ(ExeName(), self);
}

TEST(FileUtils, BDirectoryExists) {
  TTempDir dir;
  MakeFile(dir / "file", fs::perms::owner_read | fs::perms::owner_write);
  fs::create_directory(dir / "sub");
  struct Row {
    std::string path;
    bool exists;
  } rows[] = {
      {dir.Path(), true},    {dir / "sub", true},      {dir / "sub/", true},
      {dir / "file", false}, {dir / "file/", false},   {dir / "missing/", false},
      {"", false},           {"/", false},  // empty once its "/" is gone
  };
  for (const Row& r : rows) EXPECT_EQ(BDirectoryExists(r.path), r.exists) << r.path;
}

TEST(FileUtils, IsFileReadOnlyJudgesTheFileOrTheFolderItWouldGoIn) {
  TTempDir dir;
  using fs::perms;
  MakeFile(dir / "writable", perms::owner_read | perms::owner_write);
  MakeFile(dir / "locked", perms::owner_read | perms::group_read);
  fs::create_directories(dir / "open/deeper");
  fs::create_directory(dir / "closed");
  MakeFile(dir / "closed/inside", perms::owner_read | perms::owner_write);
  fs::permissions(dir / "closed", perms::owner_read | perms::owner_exec);
  struct Row {
    std::string path;
    bool readOnly;
  } rows[] = {
      {dir / "writable", false},
      {dir / "locked", true},                  // no write bit: read only even for root
      {dir / "new.txt", false},                // missing, in a writable folder
      {dir / "open/a/b/c/new.txt", false},     // nearest existing folder decides
      {dir / "closed/new.txt", true},
      {dir / "closed/x/y/new.txt", true},
      {dir / "closed/inside", false},          // the file itself is writable
      {dir / "writable/new.txt", true},        // a file in the way
      {dir / "open/", false},
  };
  for (const Row& r : rows) EXPECT_EQ(IsFileReadOnly(r.path), r.readOnly) << r.path;
}

// As a user without rights, write bits that are set do not make a file
// writable; only access() can tell.
TEST(FileUtils, IsFileReadOnlyForAnotherUser) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to switch to an unprivileged user";
  TTempDir dir;
  using fs::perms;
  fs::permissions(dir.Path(), perms::owner_all | perms::group_read | perms::group_exec | perms::others_read |
                                  perms::others_exec);
  MakeFile(dir / "owned", perms::owner_read | perms::owner_write | perms::group_read | perms::others_read);
  MakeFile(dir / "shared", perms::all & ~(perms::owner_exec | perms::group_exec | perms::others_exec));
  const std::array<std::pair<std::string, bool>, 4> cases{{
      {dir / "owned", true},
      {dir / "missing.txt", true},  // the folder belongs to root
      {dir / "a/b/missing.txt", true},
      {dir / "shared", false},
  }};
  constexpr int kCannotSwitch = 100;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(kCannotSwitch);
    int wrong = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
      if (IsFileReadOnly(cases[i].first) != cases[i].second) wrong |= 1 << i;
    }
    _exit(wrong);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == kCannotSwitch) GTEST_SKIP() << "cannot switch to uid 65534 here";
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ((WEXITSTATUS(status) >> i) & 1, 0) << cases[i].first << " should be " << cases[i].second;
  }
}

TEST(FileUtils, FillLongwordWritesExactlyCountCells) {
  struct Row {
    std::int32_t count;
    std::size_t offset;  // bytes: the cells need not be aligned
  } rows[] = {{0, 0}, {1, 0}, {3, 0}, {3, 1}, {-5, 0}};
  for (const Row& r : rows) {
    std::array<std::uint8_t, 24> bytes{};
    bytes.fill(0xEE);
    FillLongword(bytes.data() + r.offset, r.count, 0x11223344u);
    const std::size_t filled = r.count > 0 ? static_cast<std::size_t>(r.count) * 4 : 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const bool inside = i >= r.offset && i < r.offset + filled;
      std::uint32_t cell = 0x11223344u;
      const std::uint8_t expected =
          inside ? reinterpret_cast<const std::uint8_t*>(&cell)[(i - r.offset) % 4] : std::uint8_t{0xEE};
      EXPECT_EQ(bytes[i], expected) << "count " << r.count << " byte " << i;
    }
  }
}

}  // namespace
}  // namespace corvane
