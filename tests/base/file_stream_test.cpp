#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/streams/file_stream.h"
#include "tests/base/temp_dir.h"
#include "tests/support/capture_log.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class FileStreamTest : public ::testing::Test {
 protected:
  std::string File(const std::string& name) const { return dir_.File(name); }

  static void Put(const std::string& path, const std::string& content, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary) << content;
    ::chmod(path.c_str(), mode);
  }
  static std::string Get(const std::string& path) { return test::ReadFile(path); }
  static mode_t Mode(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 0777;
  }
  // Every entry of the folder, hidden ones included.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.Path())) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TTempDir dir_;
};

TEST_F(FileStreamTest, OpeningFailuresGiveNullAndAReason) {
  Put(File("locked.txt"), "locked", 0444);
  fs::create_directory(File("folder"));
  struct Case {
    const char* what;
    std::string path;
    std::uint16_t mode;
  };
  const Case cases[] = {
      {"read of a missing file", File("missing.txt"), fmOpenRead},
      {"write of a missing file does not create it", File("missing.txt"), fmOpenWrite},
      {"read of a folder", File("folder"), fmOpenRead},
      // The process may be root, which access() lets write anything.
      {"write to a read-only file", File("locked.txt"), fmOpenWrite | fmShareDenyWrite},
      {"read-write of a read-only file", File("locked.txt"), fmOpenReadWrite},
      {"create over a read-only file", File("locked.txt"), fmCreate},
      {"create over a folder", File("folder"), fmCreate},
      {"create in a missing folder", File("none/new.txt"), fmCreate},
      {"an access of 3", File("locked.txt"), 3},
      {"an empty path", "", fmOpenRead},
  };
  for (const Case& c : cases) {
    std::string error;
    EXPECT_EQ(TFileStream::Open(c.path, c.mode, &error), nullptr) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_EQ(TFileStream::Open(c.path, c.mode), nullptr) << c.what << " (no error text wanted)";
  }
  EXPECT_EQ(Get(File("locked.txt")), "locked");
  EXPECT_EQ(Mode(File("locked.txt")), 0444u);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"folder", "locked.txt"}));
}

TEST_F(FileStreamTest, ReadModeIgnoresShareFlags) {
  Put(File("a.txt"), "abcdef");
  for (std::uint16_t share : {0x00, 0x10, 0x20, 0x30, 0x40}) {
    auto s = TFileStream::Open(File("a.txt"), fmOpenRead | share);
    ASSERT_NE(s, nullptr) << share;
    EXPECT_EQ(s->Size(), 6);
    char buffer[8] = {};
    EXPECT_EQ(s->Read(buffer, 8), 6);
    EXPECT_EQ(std::string(buffer, 6), "abcdef");
    EXPECT_EQ(s->Read(buffer, 8), 0);
  }
}

TEST_F(FileStreamTest, WriteModesNeverTruncate) {
  Put(File("w.txt"), "abcdef", 0600);
  {
    auto s = TFileStream::Open(File("w.txt"), fmOpenWrite);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Write("XY", 2), 2);
    EXPECT_TRUE(s->Close());
  }
  EXPECT_EQ(Get(File("w.txt")), "XYcdef");
  {
    auto s = TFileStream::Open(File("w.txt"), fmOpenReadWrite | fmShareExclusive);
    ASSERT_NE(s, nullptr);
    char c = 0;
    ASSERT_EQ(s->Read(&c, 1), 1);
    EXPECT_EQ(c, 'X');
    s->Seek(-1, soEnd);
    EXPECT_EQ(s->Write("Z", 1), 1);
  }
  EXPECT_EQ(Get(File("w.txt")), "XYcdeZ");
}

TEST_F(FileStreamTest, SeekAndSetSize) {
  Put(File("s.bin"), "0123456789");
  auto s = TFileStream::Open(File("s.bin"), fmOpenReadWrite);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Seek(-3, soEnd), 7);
  EXPECT_EQ(s->Seek(-100, soCurrent), 0);
  EXPECT_EQ(s->Seek(INT64_MIN, soEnd), 0);
  EXPECT_EQ(s->Seek(2, soCurrent), 2);

  EXPECT_EQ(s->Seek(8, soBeginning), 8);
  ASSERT_TRUE(s->SetSize(4));
  EXPECT_EQ(s->Position(), 4) << "a position past the new end moves back to it";
  ASSERT_TRUE(s->SetSize(6));
  EXPECT_EQ(s->Size(), 6);
  EXPECT_FALSE(s->SetSize(-1));
  EXPECT_TRUE(s->Close());
  EXPECT_EQ(Get(File("s.bin")), std::string("0123\0\0", 6));
}

TEST_F(FileStreamTest, LargeTransfersMoveEveryByte) {
  std::string big(3 << 20, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
  {
    auto s = TFileStream::Open(File("big.bin"), fmCreate);
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->Write(big.data(), static_cast<std::int64_t>(big.size())), static_cast<std::int64_t>(big.size()));
    ASSERT_TRUE(s->Close());
  }
  auto s = TFileStream::Open(File("big.bin"), fmOpenRead);
  ASSERT_NE(s, nullptr);
  std::string back(big.size(), '\0');
  EXPECT_EQ(s->Read(back.data(), static_cast<std::int64_t>(back.size()) + 10), static_cast<std::int64_t>(big.size()));
  EXPECT_EQ(back, big);
}

TEST_F(FileStreamTest, CreateCommitsOnCloseOrDestruction) {
  Put(File("keep-mode.txt"), "old", 0600);
  {
    auto s = TFileStream::Open(File("keep-mode.txt"), fmCreate);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->Write("new content", 11), 11);
    EXPECT_EQ(Get(File("keep-mode.txt")), "old") << "the target changes only on commit";
    EXPECT_EQ(Entries().size(), 2u) << "the temporary lies beside the target";
    EXPECT_TRUE(s->Close());
    EXPECT_TRUE(s->Close()) << "a second close repeats the answer";
    EXPECT_EQ(s->Write("more", 4), 0) << "a closed stream takes nothing";
  }
  EXPECT_EQ(Get(File("keep-mode.txt")), "new content");
  EXPECT_EQ(Mode(File("keep-mode.txt")), 0600u) << "the target's permission bits are kept";

  const mode_t mask = ::umask(0022);
  ::umask(mask);
  {
    test::TCaptureLog log;
    auto s = TFileStream::Open(File("fresh.txt"), fmCreate);
    ASSERT_NE(s, nullptr);
    s->Write("fresh", 5);
    s.reset();  // destruction commits as Close() does
    EXPECT_TRUE(log.Lines().empty()) << log.Text();
  }
  EXPECT_EQ(Get(File("fresh.txt")), "fresh");
  EXPECT_EQ(Mode(File("fresh.txt")), 0644u & ~mask);
  EXPECT_EQ(Entries(), (std::vector<std::string>{"fresh.txt", "keep-mode.txt"}));
}

// A store never writes through a link: the link itself is replaced, and
// the file it pointed to (a read-only one too) stays as it was.
TEST_F(FileStreamTest, CreateOverALinkReplacesTheLinkItself) {
  Put(File("real.txt"), "old");
  fs::create_symlink("real.txt", File("link.txt"));
  Put(File("locked.txt"), "locked");
  fs::permissions(File("locked.txt"), fs::perms::owner_read);
  fs::create_symlink("locked.txt", File("link2.txt"));
  for (const char* link : {"link.txt", "link2.txt"}) {
    auto s = TFileStream::Open(File(link), fmCreate);
    ASSERT_NE(s, nullptr) << link;
    s->Write("new", 3);
    ASSERT_TRUE(s->Close()) << link;
    EXPECT_FALSE(fs::is_symlink(File(link))) << link;
    EXPECT_EQ(Get(File(link)), "new") << link;
  }
  EXPECT_EQ(Get(File("real.txt")), "old");
  EXPECT_EQ(Get(File("locked.txt")), "locked");
}

// Below a root no write goes through a link at any level: a folder that
// links elsewhere is refused as such (its target untouched, nothing made
// there), a link or a file with other hard links in the file's place is
// not written into, a create replaces either and leaves the other names
// with their bytes, and the missing folders of a create are made.
TEST_F(FileStreamTest, WritesBelowARootGoThroughNoLink) {
  fs::create_directories(File("root/sub"));
  fs::create_directories(File("out"));
  Put(File("out/victim.txt"), "victim");
  Put(File("out/twin.txt"), "twin");
  fs::create_directory_symlink("../out", File("root/lnk"));
  fs::create_directory_symlink("../../out", File("root/sub/lnk"));
  fs::create_symlink("../out/victim.txt", File("root/linked.txt"));
  fs::create_hard_link(File("out/twin.txt"), File("root/twin.txt"));
  const std::string root = File("root/");
  const struct {
    const char* below;
    std::uint16_t mode;
    bool throughLink;
    const char* reason;
  } refused[] = {
      {"lnk/victim.txt", fmOpenWrite, true, "a folder of it is a symbolic link, which is not written through"},
      {"lnk/new.txt", fmCreate, true, "a folder of it is a symbolic link, which is not written through"},
      {"sub/lnk/deeper/new.txt", fmCreate, true, "a folder of it is a symbolic link, which is not written through"},
      {"linked.txt", fmOpenWrite, false, "it is a symbolic link, which is not written through"},
      {"twin.txt", fmOpenReadWrite, false, "it has other hard links, which are not written through"},
      {"sub/../twin.txt", fmCreate, false, "invalid file name"},
      {"sub/", fmCreate, false, "no file name"},
  };
  for (const auto& r : refused) {
    TWalkError error;
    EXPECT_EQ(TFileStream::OpenBelow(root, r.below, r.mode, &error, true), nullptr) << r.below;
    EXPECT_EQ(error.ThroughLink, r.throughLink) << r.below;
    EXPECT_EQ(error.Reason, r.reason) << r.below;
  }
  EXPECT_EQ(test::ReadFile(File("out/victim.txt")), "victim");
  EXPECT_EQ(std::distance(fs::directory_iterator(File("out")), {}), 2) << "nothing made through a link";

  for (const char* below : {"linked.txt", "twin.txt", "sub/new/deeper.txt"}) {
    auto s = TFileStream::OpenBelow(root, below, fmCreate, nullptr, true);
    ASSERT_NE(s, nullptr) << below;
    s->Write("new", 3);
    ASSERT_TRUE(s->Close()) << below;
    EXPECT_EQ(test::ReadFile(root + below), "new") << below;
    EXPECT_FALSE(fs::is_symlink(root + below)) << below;
  }
  EXPECT_EQ(test::ReadFile(File("out/victim.txt")), "victim");
  EXPECT_EQ(test::ReadFile(File("out/twin.txt")), "twin");
  // The same holds for a path opened whole: its last part is never followed.
  std::string reason;
  fs::create_symlink("../out/victim.txt", File("root/again.txt"));
  EXPECT_EQ(TFileStream::Open(File("root/again.txt"), fmOpenWrite, &reason), nullptr);
  EXPECT_EQ(reason, "it is a symbolic link, which is not written through");
}

// Runs body with the process's file size limit set to limit bytes, so that
// writes beyond it fail with EFBIG (the signal it would raise is ignored).
void WithFileSizeLimit(rlim_t limit, const std::function<void()>& body) {
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  struct sigaction ignore {}, previous {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ignore, &previous);
  struct rlimit limited = saved;
  limited.rlim_cur = limit;
  ::setrlimit(RLIMIT_FSIZE, &limited);
  body();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &previous, nullptr);
}

TEST_F(FileStreamTest, CreateLeavesTheTargetUntouchedUnlessCommitted) {
  const std::string old = "the old content\n";
  struct Case {
    const char* what;
    std::function<void(TFileStream&)> finish;
  };
  const Case cases[] = {
      {"abandoned", [](TFileStream& s) { s.Abandon(); }},
      {"abandoned, then closed",
       [](TFileStream& s) {
         s.Abandon();
         EXPECT_FALSE(s.Close());
       }},
      {"a failed write, then closed",
       [](TFileStream& s) {
         const std::string big(256 * 1024, 'x');
         std::int64_t written = 0;
         WithFileSizeLimit(64 * 1024, [&] { written = s.Write(big.data(), static_cast<std::int64_t>(big.size())); });
         EXPECT_LT(written, static_cast<std::int64_t>(big.size()));
         EXPECT_FALSE(s.LastError().empty());
         EXPECT_EQ(s.Write("y", 1), 0) << "a failed stream takes nothing more";
         EXPECT_FALSE(s.Close());
       }},
      {"a failed write, then destroyed",
       [](TFileStream& s) {
         const std::string big(256 * 1024, 'x');
         WithFileSizeLimit(64 * 1024, [&] { s.Write(big.data(), static_cast<std::int64_t>(big.size())); });
       }},
  };
  for (const Case& c : cases) {
    Put(File("target.txt"), old, 0640);
    test::TCaptureLog log;
    {
      auto s = TFileStream::Open(File("target.txt"), fmCreate);
      ASSERT_NE(s, nullptr) << c.what;
      s->Write("new", 3);
      c.finish(*s);
    }
    EXPECT_EQ(Get(File("target.txt")), old) << c.what;
    EXPECT_EQ(Mode(File("target.txt")), 0640u) << c.what;
    EXPECT_EQ(Entries(), std::vector<std::string>{"target.txt"}) << c.what << ": no temporary left behind";
    EXPECT_EQ(log.Lines().size(), 0u) << c.what << ": a known failure is not logged again\n" << log.Text();
  }
}

}  // namespace
}  // namespace corvane
