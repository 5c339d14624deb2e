// Damaged and hostile containers: every one ends in an error line, never in
// a crash, a hang or memory beyond the stream's size. Each case patches a
// sound container:
//   root (block 0): ".", "..", "a" (10000 bytes in blocks 1-3), "d"
//   d (block 4):    ".", "..", "f" ("hello" in block 5)
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "resources/container/container_file_stream.h"
#include "resources/container/container_file_system.h"
#include "tests/resources/container_helpers.h"
#include "tests/support/capture_log.h"

namespace corvane {
namespace {

using test::BlockAt;
using test::FatAt;
using test::PutU32At;
using test::ReadFile;
using test::U32At;

std::string SoundContainer() {
  test::TFixedClock clock;
  TMemoryStream stream;
  {
    auto fs = TFileSystem::CreateEmpty(stream, false, false);
    test::WriteFile(*fs, "a", test::Pattern(10000));
    test::WriteFile(*fs, "d\\f", "hello");
  }
  return test::BytesOf(stream);
}

// Where entry `index` of the directory stored in `block` starts (its name
// length field).
std::size_t EntryAt(const std::string& bytes, std::uint32_t block, int index) {
  std::size_t at = BlockAt(block) + 8;
  for (int i = 0; i < index; ++i) at += 4 + U32At(bytes, at) + 36;
  return at;
}

enum TField { fSize = 4, fAttr = 8, fDate = 12, fBlock = 20 };
std::size_t FieldAt(const std::string& bytes, std::uint32_t block, int index, TField field) {
  const std::size_t entry = EntryAt(bytes, block, index);
  return entry + U32At(bytes, entry) + field;
}

void PutDouble(std::string& bytes, std::size_t at, double value) {
  const auto raw = std::bit_cast<std::uint64_t>(value);
  for (int i = 0; i < 8; ++i) bytes[at + i] = static_cast<char>(raw >> (8 * i));
}

// Reads everything the container lets one reach; the byte count read.
std::uint64_t ReadEverything(TFileSystem& fs) {
  std::uint64_t total = 0;
  fs.WalkTree([&](const std::string& path, const TFileEntry& entry) {
    TVFSSearchRec search;
    if (fs.FindFirst(path + "*", 0, search) == 0) {
      while (fs.FindNext(search) == 0) {
      }
    }
    fs.FindClose(search);
    if (entry.IsDir()) return;
    TFileSystemStream stream(fs, path + entry.Name, vfsRead);
    char buffer[8192];
    for (std::int64_t got; (got = stream.Read(buffer, sizeof buffer)) > 0;) total += got;
  });
  return total;
}

struct THostileCase {
  const char* what;
  std::function<void(std::string&)> patch;
  const char* error;  // part of the error line expected
  std::function<void(TFileSystem&)> check;
};

TEST(ContainerHostile, EveryCaseEndsInAnErrorLine) {
  const std::string sound = SoundContainer();
  const auto root = [](const std::string& b, int index, TField f) { return FieldAt(b, 0, index, f); };
  const auto inD = [](const std::string& b, int index, TField f) { return FieldAt(b, 4, index, f); };
  const auto noRoot = [](TFileSystem& fs) {
    EXPECT_EQ(fs.Root(), nullptr);
    EXPECT_EQ(fs.CreateFile("x"), nullptr);
    EXPECT_EQ(fs.OpenFileRead("a"), nullptr);
  };
  const THostileCase cases[] = {
      {"not a container", [](std::string& b) { b[0] = 'W'; }, "Unsupported file system ", noRoot},
      {"header cut short", [](std::string& b) { b.resize(100); }, "Container header cut short", noRoot},
      {"huge block count", [](std::string& b) { PutU32At(b, 7, 0xFFFFFFFF); }, "beyond the end of the stream", noRoot},
      {"block count beyond the stream", [](std::string& b) { PutU32At(b, 7, 30000); }, "beyond the end of the stream",
       noRoot},
      {"block count moving the data", [](std::string& b) { PutU32At(b, 7, 20000); },
       "Container directory at block 0 is damaged", nullptr},
      {"no blocks", [](std::string& b) { PutU32At(b, 7, 0); }, "root directory block 0 out of range", noRoot},
      {"root out of range", [](std::string& b) { PutU32At(b, 15, 16384); }, "root directory block 16384 out of range",
       noRoot},
      {"link out of range", [](std::string& b) { PutU32At(b, FatAt(1), 0x123456); },
       "Container block 1193046 out of range of 16384 blocks",
       [](TFileSystem& fs) {
         EXPECT_EQ(ReadFile(fs, "a"), test::Pattern(10000).substr(0, 4096));
         EXPECT_EQ(ReadFile(fs, "a").size(), 4096u);
       }},
      {"BadBlock as a link", [](std::string& b) { PutU32At(b, FatAt(2), BadBlock); }, "out of range",
       [](TFileSystem& fs) { EXPECT_EQ(ReadFile(fs, "a").size(), 8192u); }},
      {"loop", [&](std::string& b) { PutU32At(b, FatAt(3), 1), PutU32At(b, root(b, 2, fSize), 4000000); },
       "Container chain loops at block",
       [](TFileSystem& fs) { EXPECT_LT(ReadFile(fs, "a").size(), 4000000u); }},
      {"block linked to itself", [](std::string& b) { PutU32At(b, FatAt(1), 1); }, "Container chain loops at block 1",
       [](TFileSystem& fs) { EXPECT_EQ(ReadFile(fs, "a").size(), 4096u); }},
      {"chain beyond the stream",
       [&](std::string& b) { PutU32At(b, FatAt(3), 9000), PutU32At(b, root(b, 2, fSize), 15000); }, "Read error",
       nullptr},
      {"data cut off", [](std::string& b) { b.resize(BlockAt(5) + 2); }, "Read error",
       [](TFileSystem& fs) { EXPECT_EQ(ReadFile(fs, "d\\f"), "he"); }},
      {"chain block marked free", [](std::string& b) { PutU32At(b, FatAt(2), EmptyBlock); }, "File a is cut short",
       [](TFileSystem& fs) { EXPECT_EQ(ReadFile(fs, "a").size(), 8192u); }},
      {"file block out of range", [&](std::string& b) { PutU32At(b, root(b, 2, fBlock), 0xFFFFFF00); },
       "Container block 4294967040 out of range", [](TFileSystem& fs) { EXPECT_EQ(ReadFile(fs, "a"), ""); }},
      {"file without a chain", [&](std::string& b) { PutU32At(b, root(b, 2, fBlock), EmptyBlock); },
       "File a is cut short", nullptr},
      {"huge directory size", [](std::string& b) { PutU32At(b, BlockAt(0), 0xFFFFFFF0); },
       "Container directory at block 0 is damaged: size 4294967280 beyond the container's data",
       [](TFileSystem& fs) { EXPECT_EQ(ReadFile(fs, "d\\f"), "hello"); }},
      {"directory size beyond its chain", [](std::string& b) { PutU32At(b, BlockAt(4), 5000); },
       "Container directory at block 4 is damaged: size 5000 beyond its chain",
       [](TFileSystem& fs) { EXPECT_EQ(ReadFile(fs, "d\\f"), "hello"); }},
      {"huge entry count", [](std::string& b) { PutU32At(b, BlockAt(0) + 4, 0x7FFFFFFF); },
       "Container directory at block 0 is damaged: entry count 2147483647 beyond its data",
       [](TFileSystem& fs) {
         EXPECT_EQ(ReadFile(fs, "d\\f"), "hello");
         EXPECT_EQ(fs.Root()->Count(), 4u);
       }},
      {"huge name length", [&](std::string& b) { PutU32At(b, EntryAt(b, 0, 3), 0xFFFFFFFF); },
       "Container directory at block 0 is damaged: entry 3 cut short",
       [](TFileSystem& fs) {
         EXPECT_EQ(ReadFile(fs, "a").size(), 10000u) << "the good entries are kept";
         EXPECT_EQ(fs.GetDir("d"), nullptr);
       }},
      {"empty directory data", [](std::string& b) { PutU32At(b, BlockAt(0), 0); },
       "Container directory at block 0 is damaged: no entry count",
       [](TFileSystem& fs) { EXPECT_EQ(fs.Root()->Count(), 0u); }},
      {"folder pointing at the root", [&](std::string& b) { PutU32At(b, root(b, 3, fBlock), 0); },
       "Container directory d loops back",
       [](TFileSystem& fs) {
         EXPECT_EQ(fs.GetDir("d\\d\\d\\"), fs.Root());
         EXPECT_EQ(ReadFile(fs, "d\\d\\a").size(), 10000u);
       }},
      {"folder pointing at its parent",
       [&](std::string& b) { PutU32At(b, inD(b, 2, fAttr), faVFSDirectory), PutU32At(b, inD(b, 2, fBlock), 4); },
       "Container directory d\\f loops back", [](TFileSystem& fs) { EXPECT_EQ(fs.GetDir("d\\f\\f"), fs.GetDir("d")); }},
      {"folder out of range", [&](std::string& b) { PutU32At(b, root(b, 3, fBlock), 99999); },
       "Container block 99999 out of range", [](TFileSystem& fs) { EXPECT_EQ(fs.GetDir("d"), nullptr); }},
      {"folder over a file's data", [&](std::string& b) { PutU32At(b, root(b, 3, fBlock), 1); },
       "Container directory at block 1 is damaged", nullptr},
      {"date not a number",
       [&](std::string& b) { PutDouble(b, root(b, 2, fDate), std::numeric_limits<double>::quiet_NaN()); },
       "Container directory at block 0 is damaged: entry 2 has no valid date",
       [](TFileSystem& fs) {
         TVFSSearchRec search;
         ASSERT_EQ(fs.FindFirst("a", 0, search), 0);
         EXPECT_EQ(search.Time, 0);
         EXPECT_EQ(search.Name, "a");
       }},
      {"huge date", [&](std::string& b) { PutDouble(b, root(b, 2, fDate), 1e300); }, "entry 2 has no valid date",
       [](TFileSystem& fs) {
         TVFSSearchRec search;
         ASSERT_EQ(fs.FindFirst("a", 0, search), 0);
         EXPECT_EQ(search.Time, 0);
       }},
  };
  for (const THostileCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = sound;
    c.patch(bytes);
    for (const std::uint16_t mode : {vfsRead, vfsCreate}) {
      test::TCaptureLog log;
      TMemoryStream stream = test::StreamOver(bytes);
      auto fs = TFileSystem::CreateOpen(stream, mode);
      if (c.check) c.check(*fs);
      ReadEverything(*fs);
      EXPECT_TRUE(std::any_of(log.Lines().begin(), log.Lines().end(), [&](const std::string& line) {
        return line.starts_with("(e) ") && line.find(c.error) != std::string::npos;
      })) << log.Text();
      // Damage to a chain is told once, however often it is met.
      ReadEverything(*fs);
      for (const std::string& line : log.Lines()) {
        if (line.find("out of range of") != std::string::npos || line.find("loops at") != std::string::npos) {
          EXPECT_EQ(std::count(log.Lines().begin(), log.Lines().end(), line), 1) << line;
        }
      }
    }
  }
}

TEST(ContainerHostile, WritingIntoADamagedContainer) {
  const std::string sound = SoundContainer();
  test::TCaptureLog log;
  {
    // A loop: a write that has to pass it is refused.
    std::string bytes = sound;
    PutU32At(bytes, FatAt(3), 1);
    TMemoryStream stream = test::StreamOver(bytes);
    auto fs = TFileSystem::CreateOpen(stream, vfsCreate);
    TFile* a = fs->OpenFileWrite("a");
    ASSERT_NE(a, nullptr);
    a->SetPosition(100 * 4096);
    EXPECT_EQ(fs->Write(a, "x", 1), 0u);
    EXPECT_TRUE(log.Contains("Container chain loops at block"));
    a->SetPosition(10);
    EXPECT_EQ(fs->Write(a, "x", 1), 1u) << "inside the loop's first lap";
    fs->CloseFile(a);
  }
  {
    // A chain ending in a block marked free claims it before growing.
    std::string bytes = sound;
    PutU32At(bytes, FatAt(2), EmptyBlock);
    TMemoryStream stream = test::StreamOver(bytes);
    auto fs = TFileSystem::CreateOpen(stream, vfsCreate);
    TFile* a = fs->OpenFileWrite("a");
    a->SetPosition(10000);
    EXPECT_EQ(fs->Write(a, "tail", 4), 4u);
    fs->CloseFile(a);
    EXPECT_EQ(fs->Fat(2), 6u) << "block 2 kept, block 6 follows";
    std::uint32_t free = 0;
    for (std::uint32_t b = 0; b < fs->BlockCount(); ++b) free += fs->Fat(b) == EmptyBlock;
    EXPECT_EQ(fs->FreeBlockCount(), free);
    EXPECT_EQ(ReadFile(*fs, "a").substr(0, 8192), test::Pattern(10000).substr(0, 8192));
  }
  {
    // A file whose entry names a block out of range.
    std::string bytes = sound;
    PutU32At(bytes, FieldAt(bytes, 0, 2, fBlock), 77777);
    TMemoryStream stream = test::StreamOver(bytes);
    auto fs = TFileSystem::CreateOpen(stream, vfsCreate);
    TFile* a = fs->OpenFileWrite("a");
    EXPECT_EQ(fs->Write(a, "x", 1), 0u);
    fs->CloseFile(a);
    EXPECT_TRUE(log.Contains("Container block 77777 out of range"));
  }
}

TEST(ContainerHostile, HostileDirectoriesCostNoMoreThanTheStream) {
  // Many folders whose chains share one long tail, each claiming more than
  // the whole container: together they may read no more than its data.
  test::TFixedClock clock;
  TMemoryStream stream;
  {
    auto fs = TFileSystem::CreateEmpty(stream, false, false);
    std::string blob(40 * 4096, '\0');
    for (std::size_t at = 0; at < blob.size(); at += 4096) PutU32At(blob, at, 0x7FFFFFFF);
    test::WriteFile(*fs, "big", blob);  // blocks 1-40
  }
  std::string bytes = test::BytesOf(stream);
  // The root: 40 folders, one on each block of the chain.
  std::string root;
  root += std::string(8, '\0');
  for (std::uint32_t i = 0; i < 40; ++i) {
    TFileEntry e{"d" + std::to_string(i), 0, faVFSDirectory, 0, i + 1, {}};
    std::string entry(4, '\0');
    PutU32At(entry, 0, static_cast<std::uint32_t>(e.Name.size()));
    entry += e.Name + std::string(36, '\0');
    PutU32At(entry, 4 + e.Name.size() + 4, faVFSDirectory);
    PutU32At(entry, 4 + e.Name.size() + 16, e.Block);
    root += entry;
  }
  PutU32At(root, 0, static_cast<std::uint32_t>(root.size() - 4));
  PutU32At(root, 4, 40);
  bytes.replace(BlockAt(0), root.size(), root);
  TMemoryStream hostile = test::StreamOver(bytes);
  test::TCaptureLog log;
  auto fs = TFileSystem::CreateOpen(hostile, vfsRead);
  ASSERT_NE(fs->Root(), nullptr);
  for (int i = 0; i < 40; ++i) fs->GetDir("d" + std::to_string(i));
  const std::uint64_t data = bytes.size() - BlockAt(0);
  EXPECT_EQ(fs->DirBudget(), 0u) << "all " << data << " bytes spent, no more";
  EXPECT_TRUE(log.Contains("beyond the container's data")) << log.Text();
}

}  // namespace
}  // namespace corvane
