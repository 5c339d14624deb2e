#include "resources/container/container_file_system.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/resources/container_helpers.h"
#include "tests/support/capture_log.h"
#include "tests/support/stream_bytes.h"

namespace corvane {
namespace {

using test::BlockAt;
using test::BytesOf;
using test::FatAt;
using test::Pattern;
using test::ReadFile;
using test::StreamOver;
using test::U32At;
using test::WriteFile;

std::vector<std::string> Listing(TFileSystem& fs, const std::string& path) {
  std::vector<std::string> names;
  TVFSSearchRec search;
  if (fs.FindFirst(path, 0, search) != 0) return {"<no directory>"};
  if (!search.Name.empty()) {
    names.push_back(search.Name);
    while (fs.FindNext(search) == 0) names.push_back(search.Name);
  }
  fs.FindClose(search);
  return names;
}

TEST(ContainerFileSystem, NewContainerIsByteExact) {
  test::TFixedClock clock;
  for (const bool flags : {false, true}) {
    TMemoryStream stream;
    auto fs = TFileSystem::CreateEmpty(stream, flags, flags);
    ASSERT_NE(fs->Root(), nullptr);
    const std::string bytes = BytesOf(stream);
    ASSERT_EQ(bytes.size(), 70679u) << "1047 + 65536 + 4096";

    EXPECT_EQ(bytes.substr(0, 7), "VFILEST");
    EXPECT_EQ(U32At(bytes, 7), 16384u);
    EXPECT_EQ(U32At(bytes, 11), 1047u);
    EXPECT_EQ(U32At(bytes, 15), 0u);
    EXPECT_EQ(U32At(bytes, 19), flags ? 1u : 0u);
    EXPECT_EQ(U32At(bytes, 23), flags ? 1u : 0u);
    EXPECT_EQ(bytes.substr(27, 1020), std::string(1020, '\0'));

    EXPECT_EQ(U32At(bytes, FatAt(0)), EndBlock);
    int empty = 0;
    for (std::uint32_t b = 1; b < 16384; ++b) empty += U32At(bytes, FatAt(b)) == EmptyBlock;
    EXPECT_EQ(empty, 16383);

    const std::string root = test::Unhex(
        "57000000 02000000"
        "01000000 2e 00000000 10000000 00000000f066e540 00000000 00000000000000000000000000000000"
        "02000000 2e2e 00000000 10000000 00000000f066e540 00000000 00000000000000000000000000000000");
    EXPECT_EQ(test::Hex(bytes.substr(BlockAt(0), root.size())), test::Hex(root));
    EXPECT_EQ(bytes.substr(BlockAt(0) + root.size()), std::string(4096 - root.size(), '@'));
    EXPECT_EQ(fs->Mode(), vfsCreate);
    EXPECT_EQ(fs->ReadOnly(), flags);
    EXPECT_EQ(fs->Flag2(), flags);
  }
}

TEST(ContainerFileSystem, FilesRoundTripAtEveryDepth) {
  test::TFixedClock clock;
  const std::size_t sizes[] = {0, 1, 4095, 4096, 4097, 10000};
  const std::string folders[] = {"", "one\\", "one\\two\\", "one\\two\\three\\"};
  TMemoryStream stream;
  {
    auto fs = TFileSystem::CreateEmpty(stream, false, false);
    unsigned seed = 0;
    for (const std::string& folder : folders) {
      for (const std::size_t size : sizes) {
        const std::string name = folder + "file" + std::to_string(size) + ".bin";
        ASSERT_TRUE(WriteFile(*fs, name, Pattern(size, ++seed))) << name;
      }
    }
  }
  EXPECT_EQ(stream.Size() % 4096, 70679 % 4096) << "the stream ends on a block boundary";

  TMemoryStream copy = StreamOver(BytesOf(stream));
  auto fs = TFileSystem::CreateOpen(copy, vfsRead);
  ASSERT_NE(fs->Root(), nullptr);
  unsigned seed = 0;
  for (const std::string& folder : folders) {
    for (const std::size_t size : sizes) {
      const std::string name = folder + "file" + std::to_string(size) + ".bin";
      EXPECT_TRUE(fs->FileExists(name)) << name;
      EXPECT_EQ(ReadFile(*fs, name), Pattern(size, ++seed)) << name;
    }
  }
  // Separators and case do not matter.
  EXPECT_EQ(ReadFile(*fs, "ONE/Two/three/FILE1.bin"), Pattern(1, 20));
}

class NewContainer : public ::testing::Test, public test::TNewContainer {};

TEST_F(NewContainer, ChainsFollowNextFit) {
  ASSERT_TRUE(WriteFile(*fs, "a", Pattern(4096)));
  ASSERT_TRUE(WriteFile(*fs, "b", "x"));
  TFile* a = fs->OpenFileWrite("a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Entry().Block, 1u);
  EXPECT_EQ(fs->Fat(1), EndBlock) << "4096 bytes fill one block";
  EXPECT_EQ(fs->Fat(2), EndBlock) << "b";
  a->SetPosition(4096);
  EXPECT_EQ(fs->Write(a, "y", 1), 1u);
  EXPECT_EQ(fs->Fat(1), 3u) << "the next free block after the chain's last";
  EXPECT_EQ(fs->Fat(3), EndBlock);
  fs->CloseFile(a);
  EXPECT_EQ(ReadFile(*fs, "a"), Pattern(4096) + "y");

  // The table on the stream is the one in memory.
  const std::string bytes = BytesOf(stream);
  for (std::uint32_t b = 0; b < 5; ++b) EXPECT_EQ(U32At(bytes, FatAt(b)), fs->Fat(b)) << b;
  // A write that ends the stream fills its block with $40.
  EXPECT_EQ(bytes.size(), BlockAt(4));
  EXPECT_EQ(bytes.substr(BlockAt(3)), "y" + std::string(4095, '@'));
  EXPECT_EQ(bytes.substr(BlockAt(2)).substr(0, 2), "x@");

  // The search wraps round to the start.
  TMemoryStream other;
  auto full = TFileSystem::CreateEmpty(other, false, false);
  for (std::uint32_t b = 0; b < full->BlockCount(); ++b) {
    if (b != 3 && full->Fat(b) == EmptyBlock) full->SaveFAT(b, EndBlock);
  }
  EXPECT_EQ(full->FreeBlockCount(), 1u);
  EXPECT_EQ(full->FindNextLink(10), 3u);
  EXPECT_EQ(full->FindNextLink(EmptyBlock), 3u);
  full->SaveFAT(3, EndBlock);
  EXPECT_EQ(full->FindNextLink(10), BadBlock);
}

TEST(ContainerFileSystem, RecreatingAFileKeepsBothChains) {
  test::TFixedClock clock;
  TMemoryStream stream;
  {
    auto fs = TFileSystem::CreateEmpty(stream, false, false);
    ASSERT_TRUE(WriteFile(*fs, "dir\\alpha", Pattern(5000)));  // folder in block 1, file in 2 and 3
    ASSERT_TRUE(WriteFile(*fs, "dir\\alpha", "new"));            // block 4
  }
  TMemoryStream copy = StreamOver(BytesOf(stream));
  auto fs = TFileSystem::CreateOpen(copy, vfsRead);
  EXPECT_EQ(Listing(*fs, "dir\\*"), (std::vector<std::string>{".", "..", "*lpha", "alpha"}));
  EXPECT_EQ(ReadFile(*fs, "dir\\alpha"), "new");
  const TDir* dir = fs->GetDir("dir");
  ASSERT_NE(dir, nullptr);
  EXPECT_EQ(dir->Entry(2).Size, 5000u);
  EXPECT_EQ(dir->Entry(2).Block, 2u);
  EXPECT_EQ(dir->Entry(3).Block, 4u);
  EXPECT_EQ(fs->Fat(2), 3u);
  EXPECT_EQ(fs->Fat(3), EndBlock);
  EXPECT_EQ(fs->Fat(4), EndBlock);
}

// Every file of the container read through a fresh opening in that mode.
void ReadEverything(TMemoryStream& stream, std::uint16_t mode) {
  stream.SetPosition(0);
  auto fs = TFileSystem::CreateOpen(stream, mode);
  ASSERT_NE(fs->Root(), nullptr);
  int files = 0;
  fs->WalkTree([&](const std::string& path, const TFileEntry& entry) {
    if (entry.IsDir()) return;
    ++files;
    EXPECT_EQ(ReadFile(*fs, path + entry.Name).size(), entry.Size) << path << entry.Name;
    TVFSSearchRec search;
    fs->FindFirst(path + "*", 0, search);
    fs->FindClose(search);
  });
  EXPECT_EQ(files, 3);
}

TEST(ContainerFileSystem, ReadingLeavesTheBytesUnchanged) {
  test::TFixedClock clock;
  for (const bool storedReadOnly : {false, true}) {
    TMemoryStream stream;
    {
      auto fs = TFileSystem::CreateEmpty(stream, storedReadOnly, false);
      ASSERT_TRUE(WriteFile(*fs, "main.object", Pattern(300)));
      ASSERT_TRUE(WriteFile(*fs, "ui\\icons\\a.pixmap", Pattern(9000)));
      ASSERT_TRUE(WriteFile(*fs, "ui\\b.txt", "b"));
    }
    const std::size_t hash = std::hash<std::string>()(BytesOf(stream));
    // Also opened for writing, reading and closing files writes nothing.
    for (const std::uint16_t mode : {vfsRead, vfsWrite, vfsCreate}) {
      ReadEverything(stream, mode);
      EXPECT_EQ(std::hash<std::string>()(BytesOf(stream)), hash) << storedReadOnly << " " << mode;
    }
  }
}

TEST(ContainerFileSystem, StoredReadOnlyOpensForReading) {
  test::TFixedClock clock;
  TMemoryStream stream;
  {
    auto fs = TFileSystem::CreateEmpty(stream, true, false);
    EXPECT_TRUE(WriteFile(*fs, "a", "x")) << "writable while its maker holds it";
  }
  stream.SetPosition(0);
  auto fs = TFileSystem::CreateOpen(stream, vfsCreate);
  EXPECT_EQ(fs->Mode(), vfsRead);
  test::TCaptureLog log;
  EXPECT_EQ(fs->CreateFile("b"), nullptr);
  EXPECT_EQ(fs->OpenFileWrite("a"), nullptr);
  EXPECT_EQ(log.CountError("Can't create opened file"), 1) << log.Text();
  EXPECT_FALSE(fs->CreateDir("d"));
  EXPECT_FALSE(fs->ForceDir("d\\e\\"));
  EXPECT_EQ(ReadFile(*fs, "a"), "x");
}

TEST_F(NewContainer, DirectoriesAndNames) {
  test::TCaptureLog log;

  EXPECT_TRUE(fs->ForceDir("a\\b\\"));
  ASSERT_NE(fs->GetDir("a"), nullptr);
  EXPECT_EQ(Listing(*fs, "*"), (std::vector<std::string>{".", "..", "a"}));
  EXPECT_EQ(Listing(*fs, "a\\*"), (std::vector<std::string>{".", "..", "b"}));
  EXPECT_EQ(fs->GetDir("a\\b\\")->Entry(1).Block, fs->GetDir("a")->Block()) << "\"..\" is the parent";
  EXPECT_EQ(fs->GetDir("a\\b\\..\\.."), fs->Root());
  EXPECT_EQ(fs->GetDir("a")->Entries().back().Date, 0.0) << "a new folder's entry is undated";
  EXPECT_TRUE(fs->CreateDir("a")) << "already there";

  // Names compare without regard to ASCII case.
  ASSERT_TRUE(WriteFile(*fs, "a.TXT", "1"));
  EXPECT_FALSE(fs->Root()->AddEntry("A.txt", 0, 5));
  EXPECT_EQ(log.CountError("Entry A.txt alredy exists"), 1) << log.Text();
  EXPECT_EQ(ReadFile(*fs, "A.txt"), "1");

  EXPECT_EQ(fs->GetDir("missing\\"), nullptr);
  EXPECT_EQ(fs->GetDir("\\"), nullptr) << "a leading separator names no folder";
  EXPECT_FALSE(fs->FileExists("missing\\x"));
  EXPECT_EQ(log.CountError("dir not exists missing\\"), 1) << log.Text();
  EXPECT_FALSE(fs->FileExists("a\\b\\nothing"));
}

TEST_F(NewContainer, Listing) {
  ASSERT_TRUE(WriteFile(*fs, "d\\one.txt", "1"));
  ASSERT_TRUE(WriteFile(*fs, "d\\two.bin", "22"));
  ASSERT_TRUE(WriteFile(*fs, "d\\three.txt", "333"));
  ASSERT_TRUE(fs->CreateDir("d\\sub"));
  struct Case {
    const char* path;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"d\\*", {".", "..", "one.txt", "two.bin", "three.txt", "sub"}},
      {"d\\*.TXT", {"one.txt", "three.txt"}},
      {"d/t??.*", {"two.bin"}},
      {"d\\*e*", {"one.txt", "three.txt"}},
      {"d\\nothing", {}},
      {"missing\\*", {"<no directory>"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Listing(*fs, c.path), c.names) << c.path;

  TVFSSearchRec search;
  ASSERT_EQ(fs->FindFirst("d\\two.bin", faVFSDirectory, search), 0);
  EXPECT_EQ(search.Size, 2u);
  EXPECT_EQ(search.Attr, 0u);
  EXPECT_EQ(search.Time, DateTimeToFileDate(test::kFixedDate));
  EXPECT_NE(search.Time, 0);
  EXPECT_EQ(fs->FindNext(search), 1);
  fs->FindClose(search);
  ASSERT_EQ(fs->FindFirst("d\\sub", 0, search), 0);
  EXPECT_EQ(search.Attr, faVFSDirectory);
  EXPECT_EQ(search.Time, 0) << "date 0 packs into no file date";
  EXPECT_EQ(fs->FindNext(search), 1);
  fs->FindClose(search);
  EXPECT_EQ(fs->FindNext(search), 1);
}

TEST_F(NewContainer, WalkTreeVisitsLiveEntries) {
  ASSERT_TRUE(WriteFile(*fs, "x\\y\\f", "1"));
  ASSERT_TRUE(WriteFile(*fs, "x\\g", "2"));
  ASSERT_TRUE(WriteFile(*fs, "x\\g", "3"));
  ASSERT_TRUE(WriteFile(*fs, "h", "4"));
  std::vector<std::string> seen;
  fs->WalkTree([&](const std::string& path, const TFileEntry& entry) {
    seen.push_back(path + entry.Name + (entry.IsDir() ? "\\" : ""));
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"x\\", "x\\y\\", "x\\y\\f", "x\\g", "h"}));
}

}  // namespace
}  // namespace corvane
