#include "platform/filters/pixmap_binary_filter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/device.h"
#include "tests/support/kit/filter_files.h"
#include "tests/support/kit/filter_world.h"
#include "tests/support/kit/recording_device.h"

namespace corvane {
namespace {

class PixmapBinaryFilterTest : public ::testing::Test {
 protected:
  TPixmap* Load(const std::string& name) { return w.Make<TPixmapBinaryFilter>()->LoadFromFile(w.resMan, name); }

  test::TFilterWorld w;
};

TEST_F(PixmapBinaryFilterTest, AOnePixelPictureIs531BytesAndComesBackTheSame) {
  TPixmap* pixmap = w.device->CreatePixmap(1, 1);
  pixmap->Clear(0x80C0FFEEu);
  w.Make<TPixmapBinaryFilter>()->SaveToFile(w.resMan, "one.pixmap", pixmap);
  const std::optional<std::string> bytes = w.Bytes("one.pixmap");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 531u);
  EXPECT_EQ(*bytes, test::PixmapFileBytes(1, 1, {0x80C0FFEEu}));
  EXPECT_EQ(bytes->substr(527), std::string("\xEE\xFF\xC0\x80", 4)) << "blue, green, red, alpha";

  TPixmap* loaded = Load("one.pixmap");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(*w.device->PixelsOf(loaded), std::vector<std::uint32_t>{0x80C0FFEEu});
  EXPECT_TRUE(w.world.log.Lines().empty()) << w.world.log.Text();
}

TEST_F(PixmapBinaryFilterTest, PixelsLieRowAfterRowFromTheTop) {
  const std::vector<std::uint32_t> pixels = {1, 2, 3, 4, 5, 6};
  w.Put("wide.pixmap", test::PixmapFileBytes(3, 2, pixels));
  TPixmap* pixmap = Load("wide.pixmap");
  ASSERT_NE(pixmap, nullptr);
  EXPECT_EQ(pixmap->Width, 3);
  EXPECT_EQ(pixmap->Height, 2);
  EXPECT_EQ(*w.device->PixelsOf(pixmap), pixels);
  EXPECT_FALSE(pixmap->Locked());

  std::int32_t width = 0, height = 0;
  std::vector<std::uint32_t> read;
  ASSERT_TRUE(w.Make<TPixmapBinaryFilter>()->LoadRGBAFromFile(w.resMan, "wide.pixmap", width, height, read));
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  EXPECT_EQ(read, pixels);
  ASSERT_TRUE(w.Make<TPixmapBinaryFilter>()->SaveRGBAToFile(w.resMan, "copy.pixmap", width, height, read));
  EXPECT_EQ(w.Bytes("copy.pixmap"), w.Bytes("wide.pixmap"));
}

// A missing file is its caller's to report; another signature, or none,
// says so once a load and makes no pixmap.
TEST_F(PixmapBinaryFilterTest, MissingFilesAreQuietAndOtherSignaturesSaySo) {
  std::string other = test::PixmapFileBytes(1, 1, {0});
  other[6] = 'C';
  w.Put("other.pixmap", other);
  w.Put("short.pixmap", "PIX");
  w.Put("empty.pixmap", "");
  const struct {
    const char* name;
    const char* line;
  } cases[] = {{"none.pixmap", nullptr},
               {"other.pixmap", "Can't load other.pixmap: it is no .pixmap file"},
               {"short.pixmap", "Can't load short.pixmap: it is no .pixmap file"},
               {"empty.pixmap", "Can't load empty.pixmap: the file is empty"}};
  for (const auto& c : cases) {
    w.world.log.Clear();
    EXPECT_EQ(Load(c.name), nullptr) << c.name;
    std::int32_t width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    EXPECT_FALSE(w.Make<TPixmapBinaryFilter>()->LoadRGBAFromFile(w.resMan, c.name, width, height, pixels)) << c.name;
    EXPECT_EQ(w.world.log.ErrorCount(), c.line ? 2 : 0) << w.world.log.Text();
    if (c.line) EXPECT_EQ(w.world.log.CountError(c.line), 2) << w.world.log.Text();
  }
  EXPECT_TRUE(w.device->Pixmaps().empty());
}

TEST_F(PixmapBinaryFilterTest, DamagedFilesAreRefusedWithOneLineAndLeaveNoPixmap) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* reason;
  };
  std::string header = test::PixmapFileBytes(1, 1, {7});
  header.resize(100);
  // Sides whose pixel bytes wrap to 0 in 32 bits.
  const Case cases[] = {
      {"huge.pixmap", test::PixmapFileBytes(65536, 65536, {1, 2}), "pixels (4294967296) beyond the end of the file"},
      {"wrap.pixmap", test::PixmapFileBytes(0x40000000u, 4, {1}), "pixels (4294967296) beyond the end of the file"},
      {"empty.pixmap", test::PixmapFileBytes(0, 5, {}), "a picture of 0x5"},
      {"negative.pixmap", test::PixmapFileBytes(0x80000000u, 1, {}), "a picture of 2147483648x1"},
      {"header.pixmap", header, "the file ends early"},
      {"pixels.pixmap", test::PixmapFileBytes(2, 2, {1, 2, 3}), "pixels (4) beyond the end of the file"},
  };
  for (const Case& c : cases) {
    w.Put(c.name, c.bytes);
    w.world.log.Clear();
    EXPECT_EQ(Load(c.name), nullptr) << c.name;
    EXPECT_EQ(w.world.log.Lines(), std::vector<std::string>{std::string("(e) Can't load ") + c.name + ": " + c.reason});
    std::int32_t width = 9, height = 9;
    std::vector<std::uint32_t> pixels = {1};
    EXPECT_FALSE(w.Make<TPixmapBinaryFilter>()->LoadRGBAFromFile(w.resMan, c.name, width, height, pixels));
    EXPECT_TRUE(width == 0 && height == 0 && pixels.empty()) << c.name;
  }
  EXPECT_TRUE(w.device->Pixmaps().empty());
  EXPECT_EQ(w.device->LivePixmapStores(), 0u);
}

TEST_F(PixmapBinaryFilterTest, EveryTruncationAndMutationEndsCleanly) {
  const std::string good = test::PixmapFileBytes(3, 2, {1, 2, 3, 4, 5, 6});
  std::vector<std::string> inputs;
  for (std::size_t size = 0; size < good.size(); ++size) inputs.push_back(good.substr(0, size));
  std::mt19937 random(17);
  for (int i = 0; i < 300; ++i) {
    std::string mutated = good;
    // Most damage lands in the header, where the counts are.
    const std::size_t at = random() % 4 ? random() % 15 : random() % mutated.size();
    mutated[at] = static_cast<char>(random());
    inputs.push_back(mutated);
  }
  for (const std::string& bytes : inputs) {
    w.Put("x.pixmap", bytes);
    w.world.log.Clear();
    TPixmap* pixmap = Load("x.pixmap");
    EXPECT_LE(w.world.log.Lines().size(), 1u);
    if (pixmap) w.device->DestroyPixmap(pixmap);
    std::int32_t width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    if (w.Make<TPixmapBinaryFilter>()->LoadRGBAFromFile(w.resMan, "x.pixmap", width, height, pixels)) {
      EXPECT_EQ(pixels.size(), static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    }
  }
  EXPECT_TRUE(w.device->Pixmaps().empty());
}

TEST_F(PixmapBinaryFilterTest, WhatCannotBeReadWhole) {
  // A pixmap the device cannot lock is not written; the old file stays.
  TPixmap* pixmap = w.device->CreatePixmap(2, 2);
  w.Put("kept.pixmap", "old");
  w.device->FailLocks = true;
  w.Make<TPixmapBinaryFilter>()->SaveToFile(w.resMan, "kept.pixmap", pixmap);
  EXPECT_EQ(w.Bytes("kept.pixmap"), "old");
  // Nor is a load possible: the pixmap made for it goes again.
  w.Put("two.pixmap", test::PixmapFileBytes(1, 1, {5}));
  w.world.log.Clear();
  EXPECT_EQ(Load("two.pixmap"), nullptr);
  EXPECT_EQ(w.world.log.CountError("Can't load two.pixmap: the device gave no pixels to fill"), 1);
  EXPECT_EQ(w.device->Pixmaps().size(), 1u);
  w.device->FailLocks = false;

  // Raw pictures whose pixels do not match their sides are not written.
  auto filter = w.Make<TPixmapBinaryFilter>();
  EXPECT_FALSE(filter->SaveRGBAToFile(w.resMan, "raw.pixmap", 2, 2, {1, 2, 3}));
  EXPECT_FALSE(filter->SaveRGBAToFile(w.resMan, "raw.pixmap", 0, 0, {}));
  EXPECT_FALSE(filter->SaveRGBAToFile(w.resMan, "raw.pixmap", -1, -1, {1}));
  EXPECT_FALSE(w.Exists("raw.pixmap"));
}

}  // namespace
}  // namespace corvane
