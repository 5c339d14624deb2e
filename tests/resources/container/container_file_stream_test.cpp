#include "resources/container/container_file_stream.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/resources/container_helpers.h"
#include "tests/support/capture_log.h"

namespace corvane {
namespace {

using test::Pattern;
using test::ReadFile;

class ContainerFileStream : public ::testing::Test, public test::TNewContainer {};

TEST_F(ContainerFileStream, WritesReadsAndSeeks) {
  const std::string data = Pattern(10000);
  {
    TFileSystemStream out(*fs, "s\\t.bin", vfsCreate);
    ASSERT_NE(out.File(), nullptr);
    EXPECT_EQ(out.Write(data.data(), 3000), 3000);
    EXPECT_EQ(out.Write(data.data() + 3000, 7000), 7000);
    EXPECT_EQ(out.Size(), 10000);
    EXPECT_FALSE(out.SetSize(5));
    EXPECT_EQ(out.Size(), 10000);
  }
  EXPECT_EQ(ReadFile(*fs, "s\\t.bin"), data);

  test::TCaptureLog log;
  TFileSystemStream in(*fs, "S/T.BIN", vfsRead);
  ASSERT_NE(in.File(), nullptr);
  EXPECT_EQ(in.Seek(0, soEnd), 10000);
  EXPECT_EQ(in.Seek(-4, soCurrent), 9996);
  std::string got(100, '\0');
  EXPECT_EQ(in.Read(got.data(), 100), 4) << "never past the size";
  EXPECT_EQ(got.substr(0, 4), data.substr(9996));
  EXPECT_EQ(in.Read(got.data(), 100), 0);
  EXPECT_EQ(in.Write("x", 1), 0) << "opened for reading";
  EXPECT_TRUE(log.Lines().empty()) << log.Text();

  TMemoryStream whole;
  ASSERT_TRUE(whole.LoadFromStream(in));
  EXPECT_EQ(test::BytesOf(whole), data);

  {
    TFileSystemStream patch(*fs, "s\\t.bin", vfsWrite);
    patch.Seek(5000, soBeginning);
    EXPECT_EQ(patch.Write("PATCH", 5), 5);
    patch.Seek(0, soEnd);
    EXPECT_EQ(patch.Write("++", 2), 2);
  }
  std::string expected = data;
  expected.replace(5000, 5, "PATCH");
  EXPECT_EQ(ReadFile(*fs, "s\\t.bin"), expected + "++");
}

TEST_F(ContainerFileStream, MissingFilesAndADeadContainer) {
  {
    TFileSystemStream missing(*fs, "nothing", vfsRead);
    EXPECT_EQ(missing.File(), nullptr);
    EXPECT_EQ(missing.Size(), 0);
    EXPECT_EQ(missing.Seek(10, soBeginning), 0);
    char c;
    EXPECT_EQ(missing.Read(&c, 1), 0);
    TFileSystemStream notWritable(*fs, "nothing", vfsWrite);
    EXPECT_EQ(notWritable.File(), nullptr);
  }
  auto late = std::make_unique<TFileSystemStream>(*fs, "late", vfsCreate);
  ASSERT_NE(late->File(), nullptr);
  EXPECT_EQ(late->Write("abc", 3), 3);
  fs.reset();  // the container goes first: its files close with it
  EXPECT_EQ(late->File(), nullptr);
  EXPECT_EQ(late->Write("abc", 3), 0);
  late.reset();

  stream.SetPosition(0);
  fs = TFileSystem::CreateOpen(stream, vfsRead);
  EXPECT_EQ(ReadFile(*fs, "late"), "abc") << "closed by the container, entry saved";
}

}  // namespace
}  // namespace corvane
