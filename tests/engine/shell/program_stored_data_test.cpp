// What a player keeps between runs, as the real program keeps it: the
// score table and the preferences beside the applet come back whole, and
// an edited applet or picture is what the next run plays.
#include <gtest/gtest.h>
#include <png.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/engine/shell/applet_files_kit.h"
#include "tests/engine/shell/program_folder_fixture.h"
#include "tests/platform_sdl/png_picture.h"
#include "tests/support/file_bytes.h"

namespace corvane {
namespace {

class ProgramStoredDataTest : public test::TProgramFolderTest {
 protected:
  // Runs game/main.object once with this script.
  test::TProgramRun Play(const std::string& script, const std::vector<std::string>& switches = {}) const {
    Put("game/main.object", "object game: Applet\n  width = 320\n  height = 240\n  onLoad = 'start()'\nend\n");
    Put("game/main.js", "function start() {\n" + script + "  applet.terminate();\n}\n");
    std::vector<std::string> arguments = {"game/main.object", "-nostorelog"};
    arguments.insert(arguments.end(), switches.begin(), switches.end());
    return RunHeadless(arguments);
  }
  std::string Stored(const std::string& name) const { return test::ReadFileBytes(PathOf(name)).value_or(""); }
  // The lines of a ciphered file.
  int StoredLines(const std::string& name) const {
    const std::u16string text = test::Decipher(Stored(name));
    int lines = 0;
    for (std::size_t at = 0; (at = text.find(u"\r\n", at)) != std::u16string::npos; at += 2) ++lines;
    return lines;
  }
};

// No score is dropped: 157 adds keep 157 lines, a table stored by a run
// with a larger budget is read whole and stored whole with the next score,
// and one over this run's budget is left as it is, with a line.
TEST_F(ProgramStoredDataTest, EveryScoreIsKeptAndAStoredTableIsNeverCut) {
  const std::string add = "  for (var i = 0; i < N; i++) scoreTable.addScore('p' + i, i);\n"
                          "  engine.log('scores: ' + scoreTable.count);\n";
  const auto adding = [&](int n) { return "  var N = " + std::to_string(n) + ";\n" + add; };

  test::TProgramRun run = Play(adding(157));
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(i) scores: 157\n"), 1) << run.output;
  EXPECT_EQ(StoredLines("game/main.score"), 157);

  run = Play(adding(843), {"-maxscores=5000"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(StoredLines("game/main.score"), 1000);

  run = Play("  engine.log('loaded: ' + scoreTable.count);\n" + adding(1));
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(i) loaded: 1000\n"), 1) << run.output;
  EXPECT_EQ(StoredLines("game/main.score"), 1001);

  const std::string stored = Stored("game/main.score");
  run = Play("  engine.log('loaded: ' + scoreTable.count);\n" + adding(1), {"-maxscores=500"});
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(i) loaded: 0\n"), 1) << run.output;
  EXPECT_EQ(Count(run.output, "(e) Score table main.score holds 1001 lines, more than the limit of 500 "
                              "(-maxscores): not loaded, the file is kept as it is\n"),
            1)
      << run.output;
  EXPECT_EQ(Count(run.output, "(e) Not stored: main.score holds more lines than the score table takes and is kept "
                              "as it is\n"),
            1)
      << run.output;
  EXPECT_EQ(Stored("game/main.score"), stored);
}

// A preference holding a line break would come back cut, and what followed
// it as a setting of its own: it is refused with a line, and nothing of it
// reaches the file.
TEST_F(ProgramStoredDataTest, APreferenceWithALineBreakIsRefusedNotCut) {
  test::TProgramRun run = Play(
      "  preferences.setValue('note', 'one\\r\\nuser1.secret=yes');\n"
      "  preferences.setValue('plain', 'a=b c');\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(e) Preference note not set: its value holds a line break\n"), 1) << run.output;

  run = Play("  engine.log('note [' + preferences.getValue('note') + '] secret [' + preferences.getValue('secret') +\n"
             "             '] plain [' + preferences.getValue('plain') + ']');\n");
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(Count(run.output, "(i) note [] secret [] plain [a=b c]\n"), 1) << run.output;
}

// A 16 x 16 picture of one colour (0xRRGGBB), as a paint program saves it.
void WriteSolidPng(const std::string& path, std::uint32_t rgb) {
  std::vector<std::uint8_t> pixels;
  for (int i = 0; i < 16 * 16; ++i)
    pixels.insert(pixels.end(), {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                                 static_cast<std::uint8_t>(rgb)});
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = 16;
  image.height = 16;
  image.format = PNG_FORMAT_RGB;
  ASSERT_NE(png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr), 0) << path;
}

// The engine plays an applet from its compiled ".bin" and shows a picture
// from its converted ".pixmap". An edit saved within the date's step of
// the conversion (here: given the very date of the derived file, which a
// date compared to the second cannot tell from it) is what the next run
// plays and shows.
TEST_F(ProgramStoredDataTest, AnEditMadeRightAfterARunIsWhatTheNextRunPlays) {
  namespace fs = std::filesystem;
  const auto applet = [&](const std::string& title) {
    Put("game/main.object",
        "object game: Applet\n  title = '" + title +
            "'\n  width = 320\n  height = 240\n  bkColor = '#FF000000'\n  onTick = 'tick()'\n"
            "  object pic: Sprite\n    x = 160\n    y = 120\n    width = 64\n    height = 64\n"
            "    materialName = 'gui'\n    pixmap.fileName = 'pic.png'\n  end\nend\n");
  };
  Put("game/main.js",
      "var frames = 0;\n"
      "function tick() {\n"
      "  if (++frames < 3) return;\n"
      "  engine.log('title ' + applet.title);\n"
      "  applet.makepng('shot.png');\n"
      "  applet.terminate();\n"
      "}\n");
  // What the run logged and the colour in the middle of its picture.
  const auto play = [&](const std::string& title, std::uint32_t colour) {
    const test::TProgramRun run = RunHeadless({"game/main.object", "-nostorelog"});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(Count(run.output, "(i) title " + title + "\n"), 1) << run.output;
    const test::TPngPicture shot = test::ReadPng(PathOf("game/shot.png"));
    ASSERT_EQ(shot.Width, 320);
    EXPECT_EQ(shot.Pixel(160, 120), colour) << std::hex << shot.Pixel(160, 120);
  };
  applet("one");
  WriteSolidPng(PathOf("game/pic.png"), 0xFF0000);
  play("one", 0xFF0000);
  ASSERT_TRUE(fs::exists(PathOf("game/main.bin")));
  ASSERT_TRUE(fs::exists(PathOf("game/pic.pixmap")));

  applet("two");
  WriteSolidPng(PathOf("game/pic.png"), 0x0000FF);
  fs::last_write_time(PathOf("game/main.object"), fs::last_write_time(PathOf("game/main.bin")));
  fs::last_write_time(PathOf("game/pic.png"), fs::last_write_time(PathOf("game/pic.pixmap")));
  play("two", 0x0000FF);

  // Copies of the same files (new dates, same bytes) play from the
  // derived files as they are; a derived file alone is played as it is.
  const std::string compiled = Stored("game/main.bin");
  fs::last_write_time(PathOf("game/main.object"), fs::file_time_type::clock::now() - std::chrono::hours(1));
  play("two", 0x0000FF);
  EXPECT_EQ(Stored("game/main.bin"), compiled);
  fs::remove(PathOf("game/main.object"));
  fs::remove(PathOf("game/pic.png"));
  play("two", 0x0000FF);
}

}  // namespace
}  // namespace corvane
