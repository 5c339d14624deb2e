// The container's answers where a careless one loses or corrupts data: a
// full container, files closed after their entry changed, names shared by
// files and folders, one folder reached by two paths, a container inside a
// larger stream, a container that is none, empty names and far positions.
#include <gtest/gtest.h>

#include <string>

#include "resources/container/container_file_stream.h"
#include "resources/container/container_file_system.h"
#include "tests/resources/container_helpers.h"
#include "tests/support/capture_log.h"

namespace corvane {
namespace {

using test::BlockAt;
using test::BytesOf;
using test::Pattern;
using test::ReadFile;
using test::StreamOver;
using test::WriteFile;

// Marks every free block used but the first `keep` ones.
void FillUp(TFileSystem& fs, std::uint32_t keep) {
  for (std::uint32_t b = 0; b < fs.BlockCount(); ++b) {
    if (fs.Fat(b) != EmptyBlock) continue;
    if (keep > 0) --keep;
    else fs.SaveFAT(b, EndBlock);
  }
}

int EntriesNamed(TFileSystem& fs, const std::string& name) {
  int count = 0;
  for (const TFileEntry& entry : fs.Root()->Entries()) count += entry.Name == name;
  return count;
}

class ContainerFaults : public ::testing::Test, public test::TNewContainer {};

TEST_F(ContainerFaults, AFullContainerChangesNothing) {
  ASSERT_TRUE(WriteFile(*fs, "a", Pattern(100)));
  FillUp(*fs, 1);
  test::TCaptureLog log;

  TFile* a = fs->OpenFileWrite("a");
  ASSERT_NE(a, nullptr);
  const std::string before = BytesOf(stream);
  const std::string big = Pattern(3 * 4096, 2);
  EXPECT_EQ(fs->Write(a, big.data(), 3 * 4096), 0u) << "needs two more blocks, one is free";
  EXPECT_EQ(BytesOf(stream), before) << "header, table and chain as they were";
  EXPECT_EQ(a->Position(), 0);
  EXPECT_EQ(a->Size(), 100u);
  EXPECT_EQ(fs->FreeBlockCount(), 1u);
  EXPECT_GE(log.CountError("Container is full"), 1) << log.Text();

  EXPECT_EQ(fs->Write(a, big.data(), 4096 + 10), 4096u + 10) << "one more block fits";
  fs->CloseFile(a);
  EXPECT_EQ(fs->FreeBlockCount(), 0u);

  const std::string full = BytesOf(stream);
  EXPECT_EQ(fs->CreateFile("b"), nullptr);
  EXPECT_FALSE(fs->CreateDir("d"));
  EXPECT_FALSE(WriteFile(*fs, "a", "replacement")) << "the old file is not erased for nothing";
  EXPECT_EQ(BytesOf(stream), full);
  EXPECT_EQ(ReadFile(*fs, "a"), big.substr(0, 4096 + 10));
  EXPECT_EQ(fs->Root()->Count(), 3u);
}

TEST_F(ContainerFaults, AnEntryThatCannotBeAddedGivesItsBlockBack) {
  // 16 entries of 240 bytes leave the root's block 4096 - 3935 bytes: one
  // more entry of that size needs a second block.
  const std::string longName(200, 'n');
  for (int i = 0; i < 16; ++i) ASSERT_TRUE(WriteFile(*fs, longName + std::to_string(i % 10) + char('a' + i), ""));
  ASSERT_LT(fs->Root()->Serialize().size(), 4096u);
  FillUp(*fs, 1);
  test::TCaptureLog quiet;
  const std::string before = BytesOf(stream);
  const std::string tableBefore = before.substr(0, BlockAt(0) + 4096);

  EXPECT_EQ(fs->CreateFile(longName + "zz"), nullptr) << "a block for the file, none for its folder";
  EXPECT_EQ(BytesOf(stream), before);
  EXPECT_FALSE(fs->CreateDir(longName + "zz"));
  EXPECT_EQ(fs->FreeBlockCount(), 1u) << "the folder's block was given back";
  EXPECT_EQ(BytesOf(stream).substr(0, tableBefore.size()), tableBefore) << "header, table and root as they were";
  EXPECT_EQ(fs->Root()->Count(), 18u);

  // Names taken by the other kind take no block at all.
  TMemoryStream other;
  auto small = TFileSystem::CreateEmpty(other, false, false);
  ASSERT_TRUE(WriteFile(*small, "f", "x"));
  ASSERT_TRUE(small->CreateDir("d"));
  const std::uint32_t free = small->FreeBlockCount();
  test::TCaptureLog log;
  EXPECT_FALSE(small->CreateDir("f"));
  EXPECT_EQ(small->CreateFile("d"), nullptr);
  EXPECT_EQ(small->FreeBlockCount(), free);
  EXPECT_EQ(log.CountError("Entry f alredy exists"), 1) << log.Text();
  EXPECT_EQ(log.CountError("Entry d alredy exists"), 1) << log.Text();
}

TEST_F(ContainerFaults, AClosingReaderNeverResurrectsAReplacedFile) {
  ASSERT_TRUE(WriteFile(*fs, "a", "old"));
  TFile* reader = fs->OpenFileRead("a");
  ASSERT_NE(reader, nullptr);
  ASSERT_TRUE(WriteFile(*fs, "a", "new"));
  fs->CloseFile(reader);
  TMemoryStream copy = StreamOver(BytesOf(stream));
  auto reopened = TFileSystem::CreateOpen(copy, vfsRead);
  EXPECT_EQ(ReadFile(*reopened, "a"), "new");
  EXPECT_EQ(EntriesNamed(*reopened, "a"), 1);
  EXPECT_EQ(EntriesNamed(*reopened, "*"), 1);
}

TEST_F(ContainerFaults, AReaderClosedAfterAWriterNeverCutsTheFileBack) {
  // A reader's copy of the entry holds the size it saw; only the writer's
  // copy may reach the directory.
  enum class TReaderOpens { BeforeTheWriter, AfterTheWriterWrote };
  const TReaderOpens cases[] = {TReaderOpens::BeforeTheWriter, TReaderOpens::AfterTheWriterWrote};
  const std::string old = Pattern(100);
  const std::string appended = Pattern(5000, 2);
  for (const TReaderOpens opens : cases) {
    SCOPED_TRACE(opens == TReaderOpens::BeforeTheWriter ? "reader opened before the writer"
                                                        : "reader opened after the writer wrote");
    ASSERT_TRUE(WriteFile(*fs, "dir\\a", old));
    TFile* reader = opens == TReaderOpens::BeforeTheWriter ? fs->OpenFileRead("dir\\a") : nullptr;
    TFile* writer = fs->OpenFileWrite("dir\\a");
    ASSERT_NE(writer, nullptr);
    writer->SetPosition(writer->Size());
    ASSERT_EQ(fs->Write(writer, appended.data(), static_cast<std::uint32_t>(appended.size())), appended.size());
    if (!reader) reader = fs->OpenFileRead("dir\\a");
    ASSERT_NE(reader, nullptr);
    fs->CloseFile(writer);
    fs->CloseFile(reader);

    TMemoryStream copy = StreamOver(BytesOf(stream));
    auto reopened = TFileSystem::CreateOpen(copy, vfsRead);
    for (TFileSystem* container : {fs.get(), reopened.get()}) {
      const std::string read = ReadFile(*container, "dir\\a");
      EXPECT_EQ(read.size(), old.size() + appended.size()) << (container == fs.get() ? "open" : "as stored");
      EXPECT_TRUE(read == old + appended);
    }
  }
}

TEST_F(ContainerFaults, AWriterClosedAfterItsEntryWasErasedWritesNothing) {
  ASSERT_TRUE(WriteFile(*fs, "a", "old"));
  TFile* writer = fs->OpenFileWrite("a");
  ASSERT_NE(writer, nullptr);
  fs->EraseFile(fs->OpenFileRead("a"));
  EXPECT_EQ(fs->Write(writer, "longer", 6), 6u);
  fs->CloseFile(writer);
  EXPECT_FALSE(fs->FileExists("a"));
  EXPECT_EQ(EntriesNamed(*fs, "*"), 1);
  EXPECT_EQ(fs->Root()->Entry(2).Size, 3u);
}

TEST_F(ContainerFaults, OneWriterPerFile) {
  ASSERT_TRUE(WriteFile(*fs, "dir\\a", "old"));
  TFile* writer = fs->OpenFileWrite("dir\\a");
  ASSERT_NE(writer, nullptr);
  test::TCaptureLog log;
  EXPECT_EQ(fs->OpenFileWrite("DIR/A"), nullptr);
  EXPECT_EQ(fs->CreateFile("\\dir\\a"), nullptr);
  EXPECT_EQ(log.CountError("Can't create opened file"), 2) << log.Text();
  TFile* reader = fs->OpenFileRead("dir\\a");
  EXPECT_NE(reader, nullptr) << "readers are welcome";
  EXPECT_EQ(fs->Write(reader, "x", 1), 0u) << "but never write";
  fs->CloseFile(reader);
  EXPECT_EQ(fs->Write(writer, "NEW!", 4), 4u);
  fs->CloseFile(writer);
  EXPECT_EQ(ReadFile(*fs, "dir\\a"), "NEW!");
  EXPECT_TRUE(WriteFile(*fs, "dir\\a", "newer"));
  EXPECT_EQ(ReadFile(*fs, "dir\\a"), "newer");
}

TEST_F(ContainerFaults, FilesNeverReplaceFolders) {
  ASSERT_TRUE(WriteFile(*fs, "data\\inner", "kept"));
  const std::string before = BytesOf(stream);
  test::TCaptureLog log;
  EXPECT_EQ(fs->OpenFileWrite("data"), nullptr);
  EXPECT_EQ(fs->OpenFileRead("data"), nullptr);
  EXPECT_FALSE(fs->FileExists("data"));
  EXPECT_EQ(fs->CreateFile("data"), nullptr);
  EXPECT_EQ(log.CountError("Entry data alredy exists"), 1) << log.Text();
  EXPECT_EQ(BytesOf(stream), before);
  EXPECT_EQ(ReadFile(*fs, "data\\inner"), "kept");
}

TEST_F(ContainerFaults, OneFolderObjectWhateverThePath) {
  ASSERT_TRUE(WriteFile(*fs, "data\\a", "1"));
  ASSERT_TRUE(WriteFile(*fs, "\\data\\b", "2"));
  ASSERT_TRUE(WriteFile(*fs, "/DATA/c", "3"));
  EXPECT_EQ(fs->GetDir("data\\"), fs->GetDir("\\data\\"));
  EXPECT_EQ(fs->GetDir("data"), fs->GetDir("/Data/"));
  EXPECT_EQ(fs->GetDir("data\\.\\"), fs->GetDir("data"));
  TMemoryStream copy = StreamOver(BytesOf(stream));
  auto reopened = TFileSystem::CreateOpen(copy, vfsRead);
  EXPECT_EQ(ReadFile(*reopened, "data\\a") + ReadFile(*reopened, "data\\b") + ReadFile(*reopened, "data\\c"), "123");
}

TEST_F(ContainerFaults, LoadDataReturnsTheTotal) {
  // Two files written in turns: chains 1, 3, 5 and 2, 4, 6.
  TFile* a = fs->CreateFile("a");
  TFile* b = fs->CreateFile("b");
  const std::string data = Pattern(3 * 4096);
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(fs->Write(a, data.data() + 4096 * i, 4096), 4096u);
    ASSERT_EQ(fs->Write(b, "bbbb", 4), 4u);
    b->SetPosition(4096 * (i + 1));
  }
  EXPECT_EQ(fs->Fat(1), 3u);
  EXPECT_EQ(fs->Fat(3), 5u);
  const std::uint32_t block = a->Entry().Block;
  fs->CloseFile(a);
  fs->CloseFile(b);

  struct Case {
    std::uint64_t offset, count, expected;
  };
  const Case cases[] = {{0, 3 * 4096, 3 * 4096}, {100, 5000, 5000}, {4095, 2, 2},
                        {0, 20000, 3 * 4096}, {8192, 4096, 4096}, {3 * 4096, 10, 0}};
  for (const Case& c : cases) {
    std::string got(c.count, '\0');
    EXPECT_EQ(fs->LoadData(block, got.data(), c.offset, c.count), c.expected) << c.offset << "+" << c.count;
    EXPECT_EQ(got.substr(0, c.expected), data.substr(c.offset, c.expected)) << c.offset;
  }
}

TEST(ContainerOwnStream, AContainerInsideALargerStream) {
  test::TFixedClock clock;
  TMemoryStream alone;
  {
    auto fs = TFileSystem::CreateEmpty(alone, false, false);
    ASSERT_TRUE(WriteFile(*fs, "x\\file", Pattern(6000)));
  }
  const std::string prefix(1000, 'P');
  TMemoryStream stream = StreamOver(prefix);
  stream.SetPosition(1000);
  {
    auto fs = TFileSystem::CreateEmpty(stream, false, false);
    EXPECT_EQ(fs->BaseOffset(), 1000);
    ASSERT_TRUE(WriteFile(*fs, "x\\file", Pattern(6000)));
  }
  const std::string bytes = BytesOf(stream);
  EXPECT_EQ(bytes.substr(0, 1000), prefix);
  EXPECT_EQ(bytes.substr(1000), BytesOf(alone));

  stream.SetPosition(1000);
  auto fs = TFileSystem::CreateOpen(stream, vfsRead);
  EXPECT_EQ(ReadFile(*fs, "x\\file"), Pattern(6000));

  test::TCaptureLog log;
  stream.SetPosition(0);
  EXPECT_EQ(TFileSystem::CreateOpen(stream, vfsRead)->Root(), nullptr);
  EXPECT_EQ(log.CountError("Unsupported file system "), 1) << log.Text();
}

TEST(ContainerOwnStream, WithoutARootEverythingGivesNothing) {
  test::TCaptureLog log;
  TMemoryStream stream = StreamOver(std::string("VFILES_") + std::string(80000, '\0'));
  auto fs = TFileSystem::CreateOpen(stream, vfsCreate);
  EXPECT_EQ(log.CountError("Unsupported file system "), 1) << log.Text();
  const std::string before = BytesOf(stream);
  EXPECT_EQ(fs->Root(), nullptr);
  EXPECT_FALSE(fs->Writable());
  EXPECT_EQ(fs->GetDir(""), nullptr);
  EXPECT_EQ(fs->GetDir("a"), nullptr);
  EXPECT_FALSE(fs->CreateDir("a"));
  EXPECT_FALSE(fs->ForceDir("a\\b"));
  EXPECT_EQ(fs->CreateFile("a"), nullptr);
  EXPECT_EQ(fs->OpenFileRead("a"), nullptr);
  EXPECT_EQ(fs->OpenFileWrite("a"), nullptr);
  EXPECT_FALSE(fs->FileExists("a"));
  EXPECT_EQ(fs->Read(nullptr, nullptr, 10), 0u);
  EXPECT_EQ(fs->Write(nullptr, "x", 1), 0u);
  TVFSSearchRec search;
  EXPECT_EQ(fs->FindFirst("*", 0, search), 1);
  EXPECT_EQ(fs->FindNext(search), 1);
  int visited = 0;
  fs->WalkTree([&](const std::string&, const TFileEntry&) { ++visited; });
  EXPECT_EQ(visited, 0);
  TFileSystemStream file(*fs, "a", vfsCreate);
  EXPECT_EQ(file.File(), nullptr);
  EXPECT_EQ(file.Write("x", 1), 0);
  EXPECT_EQ(BytesOf(stream), before);
}

TEST_F(ContainerFaults, EmptyNamesAndFarPositions) {
  ASSERT_TRUE(WriteFile(*fs, "d\\f", "abc"));
  const std::string before = BytesOf(stream);
  test::TCaptureLog log;
  for (const char* name : {"", "d\\", "/", "d//"}) {
    EXPECT_EQ(fs->CreateFile(name), nullptr) << name;
    EXPECT_EQ(fs->OpenFileRead(name), nullptr) << name;
    EXPECT_EQ(fs->OpenFileWrite(name), nullptr) << name;
  }
  EXPECT_FALSE(fs->CreateDir("new\\"));
  EXPECT_TRUE(fs->CreateDir("")) << "the root is there";
  EXPECT_EQ(BytesOf(stream), before);
  EXPECT_GE(log.CountError("Empty name refused"), 1) << log.Text();

  TFileSystemStream file(*fs, "d\\f", vfsWrite);
  ASSERT_NE(file.File(), nullptr);
  EXPECT_EQ(file.Seek(-5, soBeginning), 0);
  EXPECT_EQ(file.Seek(2, soBeginning), 2);
  EXPECT_EQ(file.Seek(-100, soCurrent), 0);
  EXPECT_EQ(file.Seek(-1, soEnd), 2);
  const std::int64_t far = std::int64_t{1} << 33;
  EXPECT_EQ(file.Seek(far, soBeginning), far) << "positions take 64 bits";
  char c = 0;
  log.Clear();
  EXPECT_EQ(file.Read(&c, 1), 0);
  EXPECT_EQ(fs->Read(file.File(), &c, 1), 0u);
  EXPECT_EQ(log.CountError("File f read error"), 2) << log.Text();
  EXPECT_EQ(file.Write("x", 1), 0);
  EXPECT_EQ(log.CountError("File f too large"), 1) << log.Text();
  file.SetPosition(0xFFFFFFFFLL);
  EXPECT_EQ(file.Write("x", 1), 0) << "a size must fit 32 bits";
  EXPECT_EQ(file.Size(), 3);
}

}  // namespace
}  // namespace corvane
