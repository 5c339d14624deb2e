// corvane_pack as the build runs it: a folder packed into a container that
// the engine's container reader opens, byte for byte, the same every time;
// and a pack that cannot be made leaves no file behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/streams/file_stream.h"
#include "resources/container/container_file_system.h"
#include "tests/base/temp_dir.h"
#include "tests/support/file_bytes.h"
#include "tests/support/program_run.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class PackToolTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return folder_ / name; }
  void Put(const std::string& name, const std::string& bytes) const {
    fs::create_directories(fs::path(PathOf(name)).parent_path());
    test::WriteFileBytes(PathOf(name), bytes);
  }
  int Pack(const std::vector<std::string>& arguments) const {
    return test::RunProgram(
               {.program = CORVANE_PACK, .arguments = arguments, .environment = {}, .folder = folder_.Path(), .until = {}})
        .status;
  }
  // A file of the container, or nothing.
  static std::optional<std::string> Inside(TFileSystem& container, const std::string& name) {
    TFile* file = container.OpenFileRead(name);
    if (!file) return std::nullopt;
    std::string bytes(file->Size(), '\0');
    const std::uint32_t read = container.Read(file, bytes.data(), file->Size());
    container.CloseFile(file);
    if (read != bytes.size()) return std::nullopt;
    return bytes;
  }

  test::TTempDir folder_;
};

TEST_F(PackToolTest, AFolderPacksIntoAContainerTheEngineReads) {
  // Bigger than one block, so that a chain of blocks is read back.
  std::string big(10000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  Put("applet/main.object", "object a: Applet\nend\n");
  Put("applet/media/big.bin", big);
  Put("applet/empty.txt", "");
  fs::create_directories(PathOf("applet/cache"));

  ASSERT_EQ(Pack({PathOf("one.applet"), PathOf("applet")}), 0);
  std::unique_ptr<TFileStream> stream = TFileStream::Open(PathOf("one.applet"), fmOpenRead);
  ASSERT_NE(stream, nullptr);
  std::unique_ptr<TFileSystem> container = TFileSystem::CreateOpen(*stream, vfsRead);
  ASSERT_NE(container->Root(), nullptr);
  EXPECT_EQ(Inside(*container, "main.object"), "object a: Applet\nend\n");
  EXPECT_EQ(Inside(*container, "media\\big.bin"), big);
  EXPECT_EQ(Inside(*container, "empty.txt"), "");
  // An empty folder is a directory of the container.
  EXPECT_NE(container->GetDir("cache"), nullptr);

  // Named files and folders only (a folder without its files), and the
  // same bytes on every run.
  ASSERT_EQ(Pack({PathOf("two.applet"), PathOf("applet"), "main.object", "media"}), 0);
  ASSERT_EQ(Pack({PathOf("three.applet"), PathOf("applet"), "main.object", "media"}), 0);
  EXPECT_EQ(test::ReadFileBytes(PathOf("two.applet")), test::ReadFileBytes(PathOf("three.applet")));
  std::unique_ptr<TFileStream> named = TFileStream::Open(PathOf("two.applet"), fmOpenRead);
  std::unique_ptr<TFileSystem> only = TFileSystem::CreateOpen(*named, vfsRead);
  EXPECT_TRUE(only->FileExists("main.object"));
  EXPECT_FALSE(only->FileExists("empty.txt"));
  EXPECT_NE(only->GetDir("media"), nullptr);
  EXPECT_FALSE(only->FileExists("media\\big.bin"));
}

TEST_F(PackToolTest, APackThatCannotBeMadeLeavesNoFile) {
  Put("applet/main.object", "object a: Applet\nend\n");
  EXPECT_EQ(Pack({PathOf("none.applet"), PathOf("nowhere")}), 1);
  EXPECT_EQ(Pack({PathOf("missing.applet"), PathOf("applet"), "main.object", "missing.js"}), 1);
  EXPECT_EQ(Pack({PathOf("applet.applet")}), 1);
  EXPECT_FALSE(fs::exists(PathOf("none.applet")));
  EXPECT_FALSE(fs::exists(PathOf("missing.applet")));
  // Nothing beside it either: the partial container was abandoned.
  for (const fs::directory_entry& entry : fs::directory_iterator(folder_.Path()))
    EXPECT_TRUE(entry.path().filename() == "applet" || entry.path().filename() == "output.txt") << entry.path();
}

}  // namespace
}  // namespace corvane
