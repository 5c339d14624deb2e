// The program's pictures as an applet's own files and scripts drive them:
// what a script may destroy, and the budgets of decoded pictures and of the
// files derived beside them, each run headless as a user runs it.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/base/temp_dir.h"
#include "tests/engine/shell/program_folder_fixture.h"
#include "tests/support/program_run.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class ProgramMediaTest : public test::TProgramFolderTest {
 protected:
  // The applet in folder `game` with the arguments before its path.
  test::TProgramRun Run(std::vector<std::string> switches) const {
    switches.push_back("game/main.object");
    return RunHeadless(switches);
  }

  // The applet showing sprites p1 .. pN of square pictures p1.png ..
  // pN.png, which logs their widths once loaded.
  void PutSprites(int count, std::uint32_t side) const;

};

// A grey picture of zeros as a paint program saves it: a few kilobytes that
// decode to width x height pixels. Written row by row.
void PutBlankPng(const std::string& path, std::uint32_t width, std::uint32_t height) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(width);
  for (std::uint32_t y = 0; y < height; ++y) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

// Sprites p1 .. pN showing p1.png .. pN.png, without the default picture,
// and a script that logs each one's width once loaded.
std::string SpritesOf(int count) {
  std::string objects;
  for (int i = 1; i <= count; ++i) {
    const std::string n = std::to_string(i);
    objects += "  object p" + n + ": Sprite\n    pixmap.useDefault = False\n    pixmap.fileName = 'p" + n +
               ".png'\n  end\n";
  }
  return objects;
}

constexpr char kLogWidths[] =
    "function logWidths() {\n"
    "  for (var i = 1; applet.findByName('p' + i); ++i)\n"
    "    engine.log('p' + i + ' ' + applet.findByName('p' + i).pixmap.width());\n"
    "}\n";

// Whether the program's output holds the line, the output shown when not.
::testing::AssertionResult Says(const test::TProgramRun& run, const std::string& line) {
  if (run.output.find(line) != std::string::npos) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "no \"" << line << "\" in:\n" << run.output;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++n;
  return n;
}

// Far below the 256 MB the pixels of an 8192 x 8192 picture take, decoded
// once, again as a texture and again for its ".pixmap".
constexpr long kPeakBoundKiB = 768 * 1024;

// An applet that runs its script once loaded and ends a few frames later.
std::string AppletCalling(const std::string& handler, const std::string& children = {}) {
  return "object game: Applet\n  width = 320\n  height = 240\n  onLoad = '" + handler + "'\n" + children +
         "  object quit: Timer\n    interval = 0.3\n    enabled = True\n    onTimer = 'onQuit()'\n  end\nend\n";
}

constexpr char kQuit[] =
    "var ticks = 0;\n"
    "function onQuit() { if (++ticks == 2) applet.terminate(); }\n";

// The applet's default picture is held by the applet, its device and its
// cache: a script's DestroyPixmap of it is refused with a line, and the
// program draws with it and ends cleanly (a sanitized run reports a use
// after free or a double free as a failure).
TEST_F(ProgramMediaTest, AScriptCannotDestroyAPictureTheEngineHolds) {
  Put("game/main.object", AppletCalling("destroyDefault()"));
  Put("game/main.js", std::string(kQuit) +
                          "function destroyDefault() {\n"
                          "  device.DestroyPixmap(applet.defaultPixmap);\n"
                          "  engine.log('default picture kept: ' + (applet.defaultPixmap != null));\n"
                          "}\n");
  const test::TProgramRun run = Run({});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(Says(run, "(e) Can't destroy pixmap: the engine holds it"));
  EXPECT_TRUE(Says(run, "(i) default picture kept: true"));
  EXPECT_TRUE(Says(run, "(i) === Corvane engine 2.0 finished ==="));
}

void ProgramMediaTest::PutSprites(int count, std::uint32_t side) const {
  Put("game/main.object", AppletCalling("logWidths()", SpritesOf(count)));
  Put("game/main.js", std::string(kQuit) + kLogWidths);
  for (int i = 1; i <= count; ++i) PutBlankPng(PathOf("game/p" + std::to_string(i) + ".png"), side, side);
}

// A picture above the budget of one picture is refused from its header:
// it is never decoded, no ".pixmap" is left beside it, and the program's
// peak memory stays far below the gigabyte its pixels would take.
TEST_F(ProgramMediaTest, APictureAboveTheBudgetOfOneIsNeverDecoded) {
  PutSprites(1, 8192);
  const test::TProgramRun run = Run({});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(Says(run, "(e) Can't load picture p1.png: 8192 x 8192 pixels pass the budget of 16777216 pixels a "
                       "picture"));
  EXPECT_TRUE(Says(run, "(i) p1 0"));
  EXPECT_FALSE(fs::exists(PathOf("game/p1.pixmap")));
  EXPECT_GT(run.peakBytes / 1024, 0);
  EXPECT_LT(run.peakBytes / 1024, kPeakBoundKiB) << "peak " << run.peakBytes / 1024 << " KiB";

  // The switch sets the budget in megapixels: a 2048 x 2048 picture loads
  // by default and is refused under 2 Mpixel; a value that is no whole
  // number keeps the default.
  PutBlankPng(PathOf("game/p1.png"), 2048, 2048);
  const test::TProgramRun smaller = Run({"-picturepixels=2"});
  EXPECT_TRUE(Says(smaller, "(e) Can't load picture p1.png: 2048 x 2048 pixels pass the budget of 2097152 pixels "
                           "a picture"));
  const test::TProgramRun kept = Run({"-picturepixels=lots"});
  EXPECT_TRUE(Says(kept, "(e) Switch -picturepixels=lots ignored: it takes a whole number from 1 to 16777216"));
  EXPECT_TRUE(Says(kept, "(i) p1 2048"));
  EXPECT_TRUE(fs::exists(PathOf("game/p1.pixmap")));
}

// The applet's live pictures together stay within their budget: past it a
// picture is refused with a line, the others load. Five pictures of 16 MiB
// each: under a budget of 24 MiB one loads, and the program's peak stays
// below that of the same applet with every picture loaded by more than the
// four refused pictures' pixels.
TEST_F(ProgramMediaTest, LivePicturesStayWithinTheirBudget) {
  PutSprites(5, 2048);
  const test::TProgramRun run = Run({"-picturememory=24"});
  EXPECT_EQ(run.status, 0) << run.output;
  const int loaded = Count(run.output, " 2048\n");
  const int refused = Count(run.output, ": the applet's pictures would pass their budget of 24 MiB");
  EXPECT_EQ(loaded, 1) << run.output;
  EXPECT_EQ(loaded + refused, 5) << run.output;

  const test::TProgramRun all = Run({});
  EXPECT_EQ(Count(all.output, " 2048\n"), 5) << all.output;
  EXPECT_GT(run.peakBytes, 0);
  EXPECT_LT(run.peakBytes + (std::int64_t{64} << 20), all.peakBytes)
      << "peak " << run.peakBytes / 1024 << " KiB within the budget, " << all.peakBytes / 1024 << " KiB without";
}

// The files derived beside pictures stay within the applet's disk budget:
// past it a picture is converted in memory only, one line says so, and
// every picture still shows.
TEST_F(ProgramMediaTest, DerivedFilesStayWithinTheirDiskBudget) {
  PutSprites(5, 256);
  const test::TProgramRun run = Run({"-deriveddisk=1"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(e) The applet's derived files pass their budget of 1 MiB: "), 1) << run.output;
  std::uintmax_t written = 0;
  int missing = 0;
  for (int i = 1; i <= 5; ++i) {
    const std::string n = std::to_string(i);
    EXPECT_TRUE(Says(run, "(i) p" + n + " 256"));
    if (fs::exists(PathOf("game/p" + n + ".pixmap"))) written += fs::file_size(PathOf("game/p" + n + ".pixmap"));
    else ++missing;
  }
  EXPECT_LE(written, std::uintmax_t{1} << 20);
  EXPECT_GE(missing, 2);
}

}  // namespace
}  // namespace corvane
