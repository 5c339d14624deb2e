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
#include "tests/platform_sdl/png_picture.h"
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

// A picture of one colour (0xRRGGBB; black by default) as a paint program
// saves it: a few kilobytes that decode to width x height pixels. Written
// row by row.
void PutBlankPng(const std::string& path, std::uint32_t width, std::uint32_t height, std::uint32_t rgb = 0) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<png_byte> row(std::size_t{width} * 3);
  for (std::size_t x = 0; x < row.size(); ++x) row[x] = static_cast<png_byte>(rgb >> (16 - 8 * (x % 3)));
  for (std::uint32_t y = 0; y < height; ++y) png_write_row(png, row.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
}

// Sprites p1 .. pN showing p1.png .. pN.png (or of another name), without
// the default picture, each line after `indent`.
std::string SpritesOf(int count, const std::string& name = "p", const std::string& indent = "  ") {
  std::string objects;
  for (int i = 1; i <= count; ++i) {
    const std::string n = name + std::to_string(i);
    objects += indent + "object " + n + ": Sprite\n" + indent + "  pixmap.useDefault = False\n" + indent +
               "  pixmap.fileName = '" + n + ".png'\n" + indent + "end\n";
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

// Every copy the program holds of a picture counts against one budget for
// the whole program, whichever applet shows it: the renderer's texture with
// its mipmaps, the pixels decoded into it, those read back for the
// ".pixmap" beside it. An applet and one nested in it show three pictures
// of 2048 x 2048 each (16 MiB of pixels): under a budget of 64 MiB two of
// the six load, the others are refused with a line, and the program's
// peak, converting the pictures and again reading their ".pixmap" files,
// stays within the budget above that of the same applets showing small
// pictures (the budget taken with the eighth more that AddressSanitizer's
// shadow adds to what the program holds).
TEST_F(ProgramMediaTest, EveryCopyOfAPictureCountsAgainstOneBudgetForTheProgram) {
  const auto put = [&](std::uint32_t side) {
    Put("game/main.object", AppletCalling("", SpritesOf(3) + "  object inner: Applet\n    width = 200\n    height = 150\n" +
                                                  SpritesOf(3, "q", "    ") + "  end\n"));
    Put("game/main.js", kQuit);
    for (const char* kind : {"p", "q"})
      for (int i = 1; i <= 3; ++i) {
        const std::string name = "game/" + std::string(kind) + std::to_string(i);
        PutBlankPng(PathOf(name + ".png"), side, side);
        fs::remove(PathOf(name + ".pixmap"));
      }
  };
  put(64);
  const test::TProgramRun small = RunMeasured({"-picturememory=64", "game/main.object"});
  ASSERT_EQ(small.status, 0) << small.output;
  ASSERT_GT(small.peakBytes, 0);
  put(2048);
  constexpr std::int64_t kMiB = std::int64_t{1} << 20;
  for (const char* pass : {"converting", "from the .pixmap files"}) {
    SCOPED_TRACE(pass);
    const test::TProgramRun run = RunMeasured({"-picturememory=64", "game/main.object"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Count(run.output, ": the pictures held would pass their budget of 64 MiB\n"), 4) << run.output;
    EXPECT_LT(run.peakBytes - small.peakBytes, 64 * kMiB * 9 / 8 + 8 * kMiB)
        << "peak " << run.peakBytes / 1024 << " KiB, " << small.peakBytes / 1024 << " KiB with small pictures";
  }
}

// The files derived beside pictures stay within the applet's disk budget:
// past it a picture is converted in memory only, one line says so, and
// every picture still shows.
TEST_F(ProgramMediaTest, DerivedFilesStayWithinTheirDiskBudget) {
  PutSprites(5, 256);
  const test::TProgramRun run = Run({"-deriveddisk=1"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(e) The derived files pass their budget of 1 MiB: "), 1) << run.output;
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

// A picture the renderer refuses to take (here for its memory: the
// sanitizer refuses the driver every block above 5 MiB, which a 1024 x 1024
// texture with its mipmaps is) is said once, never drawn from and never
// read back into a ".pixmap" beside it; the applet goes on and shows the
// rest. Run again with memory to spare, it shows the picture from its file.
TEST_F(ProgramMediaTest, APictureTheRendererRefusesIsNeitherDrawnNorStored) {
#ifndef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the renderer's memory is refused through AddressSanitizer's allocator";
#endif
  const struct {
    const char* name;
    int x;
    std::uint32_t side, rgb;
  } kSprites[] = {{"red1", 80, 1024, 0xFF0000}, {"red2", 160, 1024, 0xFF0000}, {"green", 240, 64, 0x00FF00}};
  std::string children;
  for (const auto& s : kSprites)
    children += std::string("  object ") + s.name + ": Sprite\n    kind = okScreen\n    x = " + std::to_string(s.x) +
                "\n    y = 120\n    width = 60\n    height = 60\n    pixmap.useDefault = False\n"
                "    pixmap.fileName = '" + s.name + ".png'\n  end\n";
  Put("game/main.object", "object game: Applet\n  width = 320\n  height = 240\n  bkColor = '#FF0000FF'\n"
                          "  onTick = 'tick()'\n" + children + "end\n");
  for (const auto& s : kSprites) PutBlankPng(PathOf(std::string("game/") + s.name + ".png"), s.side, s.side, s.rgb);
  Put("game/main.js",
      "var frames = 0;\n"
      "function tick() {\n"
      "  if (++frames == 4) applet.makepng('shot.png');\n"
      "  if (frames == 6) applet.terminate();\n"
      "}\n");
  const auto colourAt = [&](int x) { return test::ReadPng(PathOf("game/shot.png")).Pixel(x, 120); };

  const test::TProgramRun refused =
      RunMeasured({"game/main.object"}, ":allocator_may_return_null=1:max_allocation_size_mb=5");
  EXPECT_EQ(refused.status, 0) << refused.output;
  EXPECT_EQ(Count(refused.output, "(e) Picture of 1024 x 1024 could not be uploaded\n"), 2) << refused.output;
  EXPECT_EQ(colourAt(80), 0x0000FFu);
  EXPECT_EQ(colourAt(160), 0x0000FFu);
  EXPECT_EQ(colourAt(240), 0x00FF00u);
  EXPECT_FALSE(fs::exists(PathOf("game/red1.pixmap")));
  EXPECT_TRUE(fs::exists(PathOf("game/green.pixmap")));

  const test::TProgramRun shown = RunHeadless({"game/main.object"});
  EXPECT_EQ(shown.status, 0) << shown.output;
  EXPECT_EQ(colourAt(80), 0xFF0000u);
  EXPECT_EQ(colourAt(160), 0xFF0000u);
}

}  // namespace
}  // namespace corvane
