// The PNG pixmap filter on a real folder and the recording device: pixels
// and alpha round trip in both forms, and hostile files end in a clean
// refusal with at most one error line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "platform/device.h"
#include "platform/filters/png_filter.h"
#include "platform/filters/png_image.h"
#include "resources/empty_res_man.h"
#include "resources/folder_res_man.h"
#include "tests/base/temp_dir.h"
#include "tests/support/process_probes.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

// The CRC-32 of PNG chunks.
std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (const char c : bytes) {
    crc ^= static_cast<std::uint8_t>(c);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void PutBigEndian(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (24 - 8 * i));
}

const std::vector<std::uint32_t> kPicture = {0xFFFF0000, 0x8000FF00, 0x000000FF,
                                             0xFF123456, 0x01FFFFFF, 0xC0808080};

class PngFilterTest : public ::testing::Test {
 protected:
  PngFilterTest() { world.applet->SetResMan(folder.get()); }

  // A filter instance as the applet's filter makes one.
  TOwned<TPixmapPngFilter> Filter() const {
    return TOwned<TPixmapPngFilter>(Create<TPixmapPngFilter>(TCreateContext(world.applet)));
  }
  // Loads the bytes as "p.png" both ways; true when either gave a picture.
  bool LoadsBoth(const std::string& bytes) {
    test::WriteFile(dir.File("p.png"), bytes);
    std::int32_t w = 0, h = 0;
    std::vector<std::uint32_t> pixels;
    const bool raw = Filter()->LoadRGBAFromFile(folder.get(), "p.png", w, h, pixels);
    TPixmap* pixmap = Filter()->LoadFromFile(folder.get(), "p.png");
    EXPECT_EQ(raw, pixmap != nullptr);
    if (raw) {
      EXPECT_EQ(pixels.size(), static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    }
    if (pixmap) device->DestroyPixmap(pixmap);
    return raw;
  }

  test::TTempDir dir;
  TOwned<TFolderResourceMan> folder{CreateResMan<TFolderResourceMan>(dir.Path() + "/")};
  test::TTestWorld world;
  test::TRecordingDevice* device = world.applet->UseRecordingDevice();
};

TEST_F(PngFilterTest, PixelsAndAlphaRoundTripInBothForms) {
  ASSERT_TRUE(Filter()->SaveRGBAToFile(folder.get(), "raw.png", 3, 2, kPicture));
  EXPECT_EQ(test::ReadFile(dir.File("raw.png")).substr(1, 3), "PNG");
  std::int32_t w = 0, h = 0;
  std::vector<std::uint32_t> pixels;
  ASSERT_TRUE(Filter()->LoadRGBAFromFile(folder.get(), "raw.png", w, h, pixels));
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(pixels, kPicture);

  TPixmap* pixmap = Filter()->LoadFromFile(folder.get(), "raw.png");
  ASSERT_NE(pixmap, nullptr);
  EXPECT_EQ(pixmap->Width, 3);
  EXPECT_EQ(pixmap->Height, 2);
  EXPECT_EQ(*device->PixelsOf(pixmap), kPicture);
  EXPECT_FALSE(pixmap->Locked());

  Filter()->SaveToFile(folder.get(), "sub/copy.png", pixmap);
  EXPECT_EQ(test::ReadFile(dir.File("sub/copy.png")), test::ReadFile(dir.File("raw.png")));
  device->DestroyPixmap(pixmap);
  EXPECT_EQ(world.log.ErrorCount(), 0) << world.log.Text();
}

// A missing file is its caller's to report (the filter's look-up says
// why); a file in another format or an empty one says so, once a form.
TEST_F(PngFilterTest, MissingFilesAreQuietAndOtherFormatsSaySo) {
  std::int32_t w = 0, h = 0;
  std::vector<std::uint32_t> pixels;
  EXPECT_FALSE(Filter()->LoadRGBAFromFile(folder.get(), "none.png", w, h, pixels));
  EXPECT_EQ(Filter()->LoadFromFile(folder.get(), "none.png"), nullptr);
  EXPECT_EQ(world.log.ErrorCount(), 0) << world.log.Text();
  EXPECT_FALSE(LoadsBoth("GIF89a not a png at all"));
  EXPECT_FALSE(LoadsBoth(""));
  EXPECT_EQ(world.log.CountError("Can't load picture p.png: it is no PNG file"), 2) << world.log.Text();
  EXPECT_EQ(world.log.CountError("Can't load picture p.png: the file is empty"), 2) << world.log.Text();
  EXPECT_EQ(world.log.ErrorCount(), 4) << world.log.Text();

  // Nowhere to write: nothing written, no pixmap needed.
  TOwned<TEmptyResourceMan> empty{CreateResMan<TEmptyResourceMan>("")};
  EXPECT_FALSE(Filter()->SaveRGBAToFile(empty.get(), "a.png", 3, 2, kPicture));
  EXPECT_FALSE(Filter()->SaveRGBAToFile(folder.get(), "short.png", 3, 3, kPicture));
  EXPECT_FALSE(std::filesystem::exists(dir.File("short.png")));
}

// A header may claim any size: sides beyond the bound are refused before
// anything of that size is allocated.
TEST_F(PngFilterTest, OversizedSidesAreRefusedOnce) {
  ASSERT_TRUE(Filter()->SaveRGBAToFile(folder.get(), "raw.png", 3, 2, kPicture));
  const std::string good = test::ReadFile(dir.File("raw.png"));
  for (const auto& [width, height] : std::vector<std::pair<std::uint32_t, std::uint32_t>>{
           {kMaxPngSide + 1, 2}, {3, kMaxPngSide + 1}, {0x7FFFFFFF, 0x7FFFFFFF}}) {
    std::string bytes = good;
    // IHDR: length at 8, type at 12, width and height at 16 and 20, its CRC at 29.
    PutBigEndian(bytes, 16, width);
    PutBigEndian(bytes, 20, height);
    PutBigEndian(bytes, 29, Crc32(bytes.substr(12, 17)));
    world.log.Clear();
    EXPECT_FALSE(LoadsBoth(bytes));
    EXPECT_EQ(world.log.ErrorCount(), 2) << world.log.Text();  // one per load
  }
}

// The largest picture the budget lets an applet load, 64 MB of pixels, is
// decoded straight into its pixmap: the load holds its pixels once, not in
// a buffer and then again in the pixmap.
TEST_F(PngFilterTest, ALargePictureIsHeldOnceWhileItLoads) {
  constexpr std::int32_t kSide = 4096;
  constexpr std::size_t kPixelBytes = std::size_t{4} * kSide * kSide;
  {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kSide) * kSide, 0xFF336699);
    pixels.back() = 0x80FEDCBA;
    ASSERT_TRUE(Filter()->SaveRGBAToFile(folder.get(), "large.png", kSide, kSide, pixels));
  }
  // A container may refuse the reset of the peak; then there is nothing to measure.
  if (!test::ResetPeakResidentBytes()) GTEST_SKIP() << "the kernel keeps the peak resident size";
  const std::size_t before = test::PeakResidentBytes();
  TPixmap* pixmap = Filter()->LoadFromFile(folder.get(), "large.png");
  const std::size_t rise = test::PeakResidentBytes() - before;
  ASSERT_NE(pixmap, nullptr);
  const std::vector<std::uint32_t>& stored = *device->PixelsOf(pixmap);
  EXPECT_EQ(stored.front(), 0xFF336699u);
  EXPECT_EQ(stored.back(), 0x80FEDCBAu);
  EXPECT_LT(rise, kPixelBytes * 3 / 2) << "the load's peak rose by " << rise / 1024 / 1024 << " MB";
  device->DestroyPixmap(pixmap);
  EXPECT_EQ(world.log.ErrorCount(), 0) << world.log.Text();
}

// Every truncation and a run of seeded mutations end in a picture or a
// refusal with one error line at most, under the sanitizers.
TEST_F(PngFilterTest, TruncatedAndMutatedFilesEndCleanly) {
  std::vector<std::uint32_t> big(37 * 23);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint32_t>(i * 2654435761u);
  ASSERT_TRUE(Filter()->SaveRGBAToFile(folder.get(), "big.png", 37, 23, big));
  const std::string good = test::ReadFile(dir.File("big.png"));
  for (std::size_t length = 0; length < good.size(); ++length) {
    SCOPED_TRACE(length);
    world.log.Clear();
    std::int32_t w = 0, h = 0;
    std::vector<std::uint32_t> pixels;
    test::WriteFile(dir.File("p.png"), good.substr(0, length));
    // Only the end marker may go missing: the picture is whole before it.
    if (Filter()->LoadRGBAFromFile(folder.get(), "p.png", w, h, pixels)) {
      EXPECT_GE(length, good.size() - 12);
      EXPECT_EQ(pixels, big);
    }
    EXPECT_LE(world.log.ErrorCount(), 1);
  }
  std::mt19937 random(17);
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int k = 0; k < changes; ++k) bytes[random() % bytes.size()] = static_cast<char>(random());
    world.log.Clear();
    LoadsBoth(bytes);
    EXPECT_LE(world.log.ErrorCount(), 2) << "round " << round;  // one per load
  }
}

// A palette picture whose PLTE claims more bytes than the file holds: libpng
// read the next "length" from the picture's data and asked for 2 GB.
TEST(PngImage, AChunkRunningPastTheEndIsRefusedBeforeLibpngSizesIt) {
  const std::vector<std::uint8_t> bytes = {
      0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
      0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x03, 0x00, 0x00, 0x00, 0x45, 0x68, 0xfd, 0x16, 0x7a, 0x00, 0x00,
      0x00, 0x73, 0x50, 0x4c, 0x54, 0x45, 0xff, 0x00, 0x00, 0x00, 0x00, 0xfb, 0x6c, 0xa1, 0xfd, 0x8e, 0x00, 0x00,
      0x00, 0x0c, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0x60, 0x60, 0x04, 0x42, 0x00, 0x00, 0x0c, 0x00, 0x03,
      0x2b, 0x63, 0xcb, 0x50};
  std::int32_t width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  std::string error;
  EXPECT_FALSE(DecodePng(bytes, width, height, pixels, error));
  EXPECT_EQ(error, "a chunk runs past the end of the file");
}

}  // namespace
}  // namespace corvane
