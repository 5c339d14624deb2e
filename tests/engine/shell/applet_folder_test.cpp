// An applet's files stay in its folder, and what it cannot use is said: the
// real program plays applets whose names climb out of their folder, whose
// stored files are links or no files at all, headless (SDL's offscreen
// driver, no sound device).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/base/temp_dir.h"
#include "tests/support/file_bytes.h"
#include "tests/engine/shell/program_folder_fixture.h"
#include "tests/support/program_run.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kHeadless = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy", "DISPLAY",
                                            "WAYLAND_DISPLAY"};

// A picture of one pixel, as any tool writes it.
const std::string kPng(
    "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00\x01\x08\x06\x00"
    "\x00\x00\x1F\x15\xC4\x89\x00\x00\x00\x0D\x49\x44\x41\x54\x78\xDA\x63\x64\x60\xF8\x5F\x0F\x00\x02\x87\x01\x80"
    "\xEB\x47\xBA\x92\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82",
    70);

class AppletFolderTest : public test::TProgramFolderTest {
 protected:
  bool Exists(const std::string& name) const { return fs::exists(fs::symlink_status(PathOf(name))); }
  // The game in a/b/game: main.object holding body, and main.js, whose
  // go() runs as it starts; it has drawn a few frames when it logs
  // "test: done".
  void PutGame(const std::string& body, const std::string& script) const {
    Put("a/b/game/main.object",
        "object game: Applet\n  width = 160\n  height = 120\n  onLoad = 'go()'\n  onTick = 'tick()'\n" + body +
            "end\n");
    Put("a/b/game/main.js",
        script + "var frames = 0;\nfunction tick() { if (++frames == 3) engine.log('test: done'); }\n");
  }
  // Played from the game's folder, as a player starts it there.
  test::TProgramRun Play() const {
    return test::RunProgram({.program = CORVANE_PROGRAM,
                             .arguments = {PathOf("a/b/game/main.object")},
                             .environment = kHeadless,
                             .folder = PathOf("a/b/game"),
                             .until = "(i) test: done"});
  }
};

// Fonts, pictures, included objects, pictures of the window and objects
// stored by a name with ":" (the external manager's) named up and out of
// the folder (or by a full path elsewhere) read and write nothing there;
// each name is refused with one line. Scripts cannot move the managers'
// roots. A stored file that is a link is replaced, and what it pointed to
// stays as it was.
TEST_F(AppletFolderTest, NamesThatClimbOutReachNothingThereAndLinksAreNotWrittenThrough) {
  Put("a/b/victim/x.object", "object spy: Dummy\n  tag = 7\nend\n");
  Put("a/b/outside/pic.png", kPng);
  Put("a/x/victim.prefs", "precious");
  // Font caches go to cache/: "cache/../../x" is a/b/x.
  fs::create_directories(PathOf("a/b/game/cache"));
  fs::create_directories(PathOf("a/b/x"));
  fs::create_symlink("../../x/victim.prefs", PathOf("a/b/game/main.prefs"));
  PutGame("  object spy: Dummy\n    fileName = '../victim/x.object'\n  end\n"
          "  object label: StaticText\n    text = 'hi'\n    font.name = '../../x/pwn'\n  end\n"
          "  object pic: Plane\n    pixmap.fileName = '../outside/pic.png'\n  end\n",
          "function go() {\n"
          "  applet.makepng('../../x/shot.png');\n"
          "  applet.makepng('..\\\\..\\\\x\\\\back.png');\n"
          "  applet.makepng('" + PathOf("a/x/full.png") + "');\n"
          "  applet.makepng('shots/../inside.png');\n"
          "  applet.storeObject(spy, '../../x/stored:x.object');\n"
          "  applet.storeObject(spy, '" + PathOf("a/x/full:x.object") + "');\n"
          "  try { externalResMan.ResourceFile = '" + PathOf("a/x/") + "'; } catch (e) { engine.log(e); }\n"
          "  try { resMan.ResourceFile = '" + PathOf("a/x/") + "'; } catch (e) { engine.log(e); }\n"
          "  preferences.setValue('seen', 'yes');\n"
          "}\n");
  const test::TProgramRun run = Play();
  EXPECT_EQ(run.status, 0) << run.output;

  for (const char* name : {"a/b/x/pwn10.fnbin", "a/b/x/pwn10.png", "a/b/x/pwn10.pixmap", "a/x/shot.png", "a/x/back.png",
                           "a/x/full.png", "a/b/outside/pic.pixmap", "a/x/stored:x.object", "a/x/full:x.object",
                           "a/x/main.prefs"})
    EXPECT_FALSE(Exists(name)) << name;
  EXPECT_TRUE(Exists("a/b/game/inside.png"));
  for (const std::string& name :
       {std::string("../victim/x.object"), std::string("../outside/pic.png"), std::string("../../x/shot.png"),
        std::string("..\\..\\x\\back.png"), PathOf("a/x/full.png"), std::string("cache/../../x/pwn10.fnbin"),
        std::string("../../x/stored:x.object"), PathOf("a/x/full:x.object")})
    EXPECT_EQ(Count(run.output, "(e) Refused " + name + ": it leads outside the applet's"), 1) << name << run.output;
  EXPECT_EQ(Count(run.output, "runtime error:"), 0) << run.output;
  // The roots the engine stores the applet's files under stay where it put them.
  for (const char* manager : {"TExtResourceMan", "TFolderResourceMan"})
    EXPECT_EQ(Count(run.output, std::string("TypeError: Property ResourceFile of ") + manager + " is read-only"), 1)
        << run.output;

  EXPECT_EQ(test::ReadFileBytes(PathOf("a/x/victim.prefs")), "precious");
  EXPECT_FALSE(fs::is_symlink(PathOf("a/b/game/main.prefs")));
  EXPECT_TRUE(Exists("a/b/game/main.prefs"));
}

// What the applet cannot use has its line, naming the file and why: a
// recording that is not there, a sound that is a folder, music that is a
// FIFO (never waited for), preferences that are a folder and a score table
// that is a FIFO, both read as the applet starts and stored as it ends,
// and a font size no integer holds.
TEST_F(AppletFolderTest, FilesThatAreNoFilesAreReportedAndNotWaitedFor) {
  fs::create_directories(PathOf("a/b/game/click.wav"));
  fs::create_directories(PathOf("a/b/game/main.prefs"));
  ASSERT_EQ(mkfifo(PathOf("a/b/game/music.ogg").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo(PathOf("a/b/game/main.score").c_str(), 0600), 0);
  PutGame("  object label: StaticText\n    text = 'hi'\n  end\n"
          "  object click: SoundPlayer\n    fileName = 'click.wav'\n  end\n"
          "  object music: MusicPlayer\n    fileName = 'music.ogg'\n  end\n",
          "function go() {\n"
          "  event.playEvent('missing.rec');\n"
          "  click.play();\n"
          "  music.play();\n"
          "  scoreTable.addScore('Ada', 3);\n"
          "  label.font.size = 1e30;\n"
          "}\n");
  const test::TProgramRun run = Play();
  EXPECT_EQ(run.status, 0) << run.output;
  for (const char* line :
       {"(e) Can't play missing.rec: there is no such file", "(e) Can't open click.wav: is a directory",
        "(e) Can't open music.ogg: not a regular file", "(e) Can't open main.prefs: is a directory",
        "(e) Can't create main.prefs: is a directory", "(e) Can't open main.score: not a regular file",
        "(e) Can't create main.score: not a regular file"})
    EXPECT_EQ(Count(run.output, line), 1) << line << "\n" << run.output;
  EXPECT_EQ(Count(run.output, "(e) main.js(6:2) number 1e+30 does not fit a 32-bit integer"), 1) << run.output;
  EXPECT_TRUE(fs::is_directory(PathOf("a/b/game/main.prefs")));
  EXPECT_TRUE(fs::is_fifo(PathOf("a/b/game/main.score")));
}

}  // namespace
}  // namespace corvane
