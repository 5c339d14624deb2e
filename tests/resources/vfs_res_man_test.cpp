#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/lists/string_list.h"
#include "base/streams/file_stream.h"
#include "engine/core/object_loader.h"
#include "engine/shell/engine.h"
#include "resources/container/container_dates.h"
#include "resources/container/container_file_system.h"
#include "resources/container/container_format.h"
#include "resources/vfs_res_man.h"
#include "tests/resources/container_helpers.h"
#include "tests/resources/resource_helpers.h"

namespace corvane::test {
namespace {

const char kMainObject[] = "object Main: BaseObject\r\n  tagString = 'boxed'\r\nend\r\n";

class ContainerResMan : public ::testing::Test {
 protected:
  ContainerResMan() : savedWriteMode_(WriteMode) { WriteMode = false; }
  ~ContainerResMan() override { WriteMode = savedWriteMode_; }

  // A writable container file holding main.object and ui\icons\a.pixmap,
  // and the files of more (name, bytes) in folders of their own.
  std::string MakeContainer(const std::string& name,
                            const std::vector<std::pair<std::string, std::string>>& more = {}) {
    const std::string path = dir / name;
    TFixedClock clock;
    std::unique_ptr<TFileStream> file = TFileStream::Open(path, fmCreate);
    EXPECT_NE(file, nullptr);
    {
      std::unique_ptr<TFileSystem> fs = TFileSystem::CreateEmpty(*file, false, false);
      EXPECT_TRUE(fs->ForceDir("ui\\icons"));
      EXPECT_TRUE(WriteFile(*fs, "ui\\icons\\a.pixmap", "pix"));
      EXPECT_TRUE(WriteFile(*fs, "main.object", kMainObject));
      for (const auto& [entry, bytes] : more) {
        EXPECT_TRUE(fs->ForceDir(ExtractVFSPath(entry)));
        EXPECT_TRUE(WriteFile(*fs, entry, bytes));
      }
    }
    EXPECT_TRUE(file->Close());
    return path;
  }

  TTempDir dir;

 private:
  bool savedWriteMode_;
};

TEST_F(ContainerResMan, ServesNamesWithBackslashesInside) {
  const std::string path = MakeContainer("game.applet");
  TCaptureLog log;
  auto man = MakeMan<TVirtualFileSystemResMan>(path);
  ASSERT_TRUE(man->Active()) << log.Text();
  EXPECT_EQ(log.CountInfo("Resource manager TVirtualFileSystemResMan starded"), 1);
  struct Row {
    const char* name;
    const char* bytes;
  } rows[] = {
      {"ui/icons/a.pixmap", "pix"}, {"ui\\icons\\a.pixmap", "pix"}, {"UI/Icons/A.PIXMAP", "pix"},
      {"ui/icons/b.pixmap", "<none>"},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(ReadThrough(*man, r.name), r.bytes) << r.name;
    EXPECT_EQ(man->StreamExists(r.name), std::string(r.bytes) != "<none>") << r.name;
  }
  EXPECT_EQ(man->FileDate("main.object"), DateTimeToFileDate(kFixedDate));
  EXPECT_EQ(man->FileDate("missing.object"), kNoFileDate);
  EXPECT_EQ(man->FindFiles("*")->Count(), 0);
  EXPECT_EQ(man->FindDirsComma(), "/");
  // Read mode: nothing can be written, and a write says so; a file the
  // engine derives stays quiet.
  log.Clear();
  EXPECT_EQ(man->CreateStream("new.txt", fmCreate), nullptr);
  EXPECT_EQ(man->CreateStream("main.object", fmOpenWrite), nullptr);
  {
    TDerivedStores derived(*man);
    EXPECT_EQ(man->CreateStream("main.bin", fmCreate), nullptr);
  }
  EXPECT_EQ(log.CountError("Can't create new.txt: the applet's container is read-only"), 1) << log.Text();
  EXPECT_EQ(log.CountError("Can't open main.object: the applet's container is read-only"), 1) << log.Text();
  EXPECT_EQ(log.ErrorCount(), 2) << log.Text();
}

// Names whose ".." parts climb above the container's root (the folders of
// a container list ".." entries of their own) are refused, each with one
// line; within the root they are taken apart as any path is.
TEST_F(ContainerResMan, NamesThatClimbAboveTheRootAreRefused) {
  WriteMode = true;
  const std::string path = MakeContainer("game.applet");
  auto man = MakeMan<TVirtualFileSystemResMan>(path);
  ASSERT_TRUE(man->Active());
  TCaptureLog log;
  EXPECT_EQ(ReadThrough(*man, "ui/../main.object"), kMainObject);
  EXPECT_EQ(ReadThrough(*man, "ui\\icons\\..\\icons\\.\\a.pixmap"), "pix");
  // A full path names nothing inside: it is refused as a climb is.
  for (const char* name : {"../main.object", "ui\\..\\..\\main.object", "ui/icons/../../../main.object",
                           "/ui/icons/a.pixmap", "\\main.object", "/etc/passwd"}) {
    for (int i = 0; i < 2; ++i) {
      EXPECT_FALSE(man->StreamExists(name)) << name;
      EXPECT_EQ(man->CreateStream(name, fmOpenRead), nullptr) << name;
      EXPECT_EQ(man->FileDate(name), kNoFileDate) << name;
    }
    EXPECT_EQ(log.CountError(std::string("Refused ") + name + ": it leads outside the applet's container"), 1)
        << log.Text();
  }
  EXPECT_EQ(man->CreateStream("../new.txt", fmCreate), nullptr);
  EXPECT_EQ(log.ErrorCount(), 7) << log.Text();
}

TEST_F(ContainerResMan, WriteModeOpensTheContainerForWriting) {
  const std::string path = MakeContainer("game.applet");
  WriteMode = true;
  {
    auto man = MakeMan<TVirtualFileSystemResMan>(path);
    ASSERT_TRUE(man->Active());
    std::unique_ptr<TStream> out = man->CreateStream("saves/slot1.sav", fmCreate);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->Write("saved", 5), 5);
  }
  WriteMode = false;
  auto man = MakeMan<TVirtualFileSystemResMan>(path);
  EXPECT_EQ(ReadThrough(*man, "saves/slot1.sav"), "saved");
  EXPECT_EQ(ReadThrough(*man, "main.object"), kMainObject);
}

TEST_F(ContainerResMan, ServesMainObjectToLoadObject) {
  const std::string path = MakeContainer("game.applet");
  TTestWorld world;
  RegisterResourceServices();
  auto man = MakeMan<TVirtualFileSystemResMan>(path);
  world.log.Clear();
  BaseObject* root = LoadObject(man.get(), u"main.object", world.applet);
  ASSERT_NE(root, nullptr) << world.log.Text();
  EXPECT_EQ(Utf16ToUtf8(root->TagString()), "boxed");
  // Opened for reading: the .bin cannot be stored, which is no error.
  EXPECT_FALSE(man->StreamExists("main.bin"));
  EXPECT_FALSE(world.log.Contains("(e)")) << world.log.Text();
}

TEST_F(ContainerResMan, ActiveOnlyWithARootOfItsOwn) {
  WriteFile(dir / "bad.applet", std::string(8192, 'x'));
  TCaptureLog log;
  EXPECT_FALSE(MakeMan<TVirtualFileSystemResMan>(dir / "bad.applet")->Active());
  EXPECT_TRUE(log.Contains("Unsupported file system")) << log.Text();
  auto missing = MakeMan<TVirtualFileSystemResMan>(dir / "missing.applet");
  EXPECT_FALSE(missing->Active());
  EXPECT_EQ(missing->CreateStream("main.object", 0), nullptr);
  EXPECT_FALSE(missing->StreamExists("main.object"));
  EXPECT_EQ(missing->FileDate("main.object"), kNoFileDate);

  // A container handed over as a stream serves files but is never active.
  const std::string bytes = ReadFile(MakeContainer("game.applet"));
  TMemoryStream stream(std::span<const char>(bytes.data(), bytes.size()));
  log.Clear();
  TOwned<TVirtualFileSystemResMan> fromStream(TVirtualFileSystemResMan::CreateFromStream(stream, vfsRead));
  EXPECT_FALSE(fromStream->Active());
  EXPECT_EQ(fromStream->ResourceFile(), "");
  EXPECT_EQ(ReadThrough(*fromStream, "ui/icons/a.pixmap"), "pix");
  EXPECT_FALSE(log.Contains("starded")) << log.Text();
}

// A file read through a handle of its own (what streamed music hands the
// mixing thread) gives the file's bytes wherever its blocks lie, whatever
// the container's own reads do between its reads; a chain of blocks
// shorter than the file's size gives no stream.
TEST_F(ContainerResMan, DetachedStreamsReadFilesThroughAHandleOfTheirOwn) {
  std::string music(3 * kVFSBlockSize + 100, '\0');
  for (std::size_t i = 0; i < music.size(); ++i) music[i] = static_cast<char>(i * 7 % 251);
  const std::string after(5000, 'a');
  const std::string path = MakeContainer("game.applet", {{"sound\\music.ogg", music.substr(0, 5000)}, {"sound\\after.bin", after}});
  std::uint32_t firstBlock = 0;
  {
    // The rest of the music goes after after.bin's blocks: its chain jumps.
    std::unique_ptr<TFileStream> file = TFileStream::Open(path, fmOpenReadWrite);
    std::unique_ptr<TFileSystem> fs = TFileSystem::CreateOpen(*file, vfsWrite);
    TFile* written = fs->OpenFileWrite("sound\\music.ogg");
    ASSERT_NE(written, nullptr);
    written->SetPosition(5000);
    ASSERT_EQ(fs->Write(written, music.data() + 5000, static_cast<std::uint32_t>(music.size() - 5000)),
              music.size() - 5000);
    firstBlock = written->Entry().Block;
    fs->CloseFile(written);
  }
  {
    auto man = MakeMan<TVirtualFileSystemResMan>(path);
    std::unique_ptr<TStream> detached = man->CreateDetachedStream("sound/music.ogg");
    ASSERT_NE(detached, nullptr);
    EXPECT_EQ(detached->Size(), static_cast<std::int64_t>(music.size()));
    std::string got;
    char piece[777];
    for (std::int64_t n; (n = detached->Read(piece, sizeof piece)) > 0;) {
      got.append(piece, static_cast<std::size_t>(n));
      EXPECT_EQ(ReadThrough(*man, "sound/after.bin"), after);
    }
    EXPECT_EQ(got, music);
    detached->SetPosition(2 * kVFSBlockSize - 10);  // across the jump
    std::string across(30, '\0');
    EXPECT_EQ(detached->Read(across.data(), 30), 30);
    EXPECT_EQ(across, music.substr(2 * kVFSBlockSize - 10, 30));
    EXPECT_EQ(detached->Write("x", 1), 0);
    EXPECT_EQ(man->CreateDetachedStream("sound/missing.ogg"), nullptr);
  }
  // The chain cut after its first block.
  {
    std::unique_ptr<TFileStream> file = TFileStream::Open(path, fmOpenReadWrite);
    const std::uint32_t end = EndBlock;
    file->SetPosition(kVFSFatOffset + 4 * std::int64_t{firstBlock});
    ASSERT_EQ(file->Write(&end, 4), 4);
  }
  auto man = MakeMan<TVirtualFileSystemResMan>(path);
  EXPECT_EQ(man->CreateDetachedStream("sound/music.ogg"), nullptr);
}

TEST_F(ContainerResMan, ANewContainerIsReadOnlyWhenOpenedAgain) {
  const std::string path = dir / "new.applet";
  {
    TCaptureLog log;
    TOwned<TVirtualFileSystemResMan> made(TVirtualFileSystemResMan::CreateEmpty(path));
    EXPECT_TRUE(made->Active());
    EXPECT_EQ(made->ResourceFile(), "");
    EXPECT_FALSE(log.Contains("starded"));
    std::unique_ptr<TStream> out = made->CreateStream("main.object", fmCreate);
    ASSERT_NE(out, nullptr);
    out->Write(kMainObject, static_cast<std::int64_t>(std::strlen(kMainObject)));
  }
  WriteMode = true;
  auto again = MakeMan<TVirtualFileSystemResMan>(path);
  EXPECT_TRUE(again->Active());
  EXPECT_EQ(ReadThrough(*again, "main.object"), kMainObject);
  EXPECT_EQ(again->CreateStream("other.object", fmCreate), nullptr);
}

TEST_F(ContainerResMan, ListFilesWritesTheTreeToTheLog) {
  const std::string path = MakeContainer("deep.applet", {{"ui\\icons\\deep\\b.txt", "b"}});
  auto man = MakeMan<TVirtualFileSystemResMan>(path);
  TCaptureLog log;
  // Below the top the folder is listed under path + "\" + name + "\", so
  // the separators double from the second level on.
  const std::string main = "main.object " + std::to_string(std::strlen(kMainObject)) + "B";
  struct Row {
    const char* path;
    std::vector<std::string> lines;
  };
  const Row rows[] = {
      {"", {"ui\\", "ui\\icons\\", "ui\\\\icons\\a.pixmap 3B", "ui\\\\icons\\deep\\", "ui\\\\icons\\\\deep\\b.txt 1B"}},
      {"ui\\", {"ui\\icons\\", "ui\\\\icons\\a.pixmap 3B", "ui\\\\icons\\deep\\", "ui\\\\icons\\\\deep\\b.txt 1B"}},
      {"nowhere\\", {"path is not exists nowhere\\"}},
  };
  for (const Row& row : rows) {
    log.Clear();
    man->ListFiles(row.path);
    std::vector<std::string> expected;
    for (const std::string& line : row.lines) expected.push_back("(i) " + line);
    if (std::string(row.path).empty()) expected.push_back("(i) " + main);
    std::vector<std::string> listed = log.Lines();
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected) << row.path;
  }
}

}  // namespace
}  // namespace corvane::test
