// An applet's files stay in its folder, and what it cannot use is said: the
// real program plays applets whose names climb out of their folder, whose
// stored files are links or no files at all, headless (SDL's offscreen
// driver, no sound device).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/base/temp_dir.h"
#include "tests/engine/shell/applet_files_kit.h"
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
  // Played from the game's folder, as a player starts it there; the file
  // named (which need not exist) names the log and the running marker.
  test::TProgramRun Play(const std::string& named = "main.object", std::vector<std::string> switches = {},
                         const std::string& until = "(i) test: done") const {
    switches.push_back(PathOf("a/b/game/" + named));
    return test::RunProgram({.program = CORVANE_PROGRAM,
                             .arguments = switches,
                             .environment = kHeadless,
                             .folder = PathOf("a/b/game"),
                             .until = until});
  }
  // The files below a folder (links not followed) with their bytes; a
  // link as "-> target", a folder as "/".
  std::map<std::string, std::string> Tree(const std::string& folder) const {
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(PathOf(folder))) {
      const std::string name = fs::relative(entry.path(), PathOf(folder)).string();
      if (entry.is_symlink()) tree[name] = "-> " + fs::read_symlink(entry.path()).string();
      else if (entry.is_directory()) tree[name] = "/";
      else tree[name] = test::ReadFileBytes(entry.path().string()).value_or("?");
    }
    return tree;
  }
};

// Fonts, pictures, included objects, pictures of the window and objects
// stored by a name with ":" (the external manager's) named up and out of
// the folder (or by a full path elsewhere) read and write nothing there;
// each name is refused with one line (a font's, whose name only names its
// cache file, for holding a "/"). Scripts cannot move the managers'
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
        std::string("..\\..\\x\\back.png"), PathOf("a/x/full.png"), std::string("../../x/stored:x.object"),
        PathOf("a/x/full:x.object")})
    EXPECT_EQ(Count(run.output, "(e) Refused " + name + ": it leads outside the applet's"), 1) << name << run.output;
  // A font name is no path: one with a "/" gets no cache file at all.
  EXPECT_EQ(Count(run.output, "(e) Can't cache font \"../../x/pwn\" in cache/../../x/pwn10.fnbin: its name holds a "
                              "folder separator"),
            1)
      << run.output;
  EXPECT_EQ(Count(run.output, "runtime error:"), 0) << run.output;
  // The roots the engine stores the applet's files under stay where it put them.
  for (const char* manager : {"TExtResourceMan", "TFolderResourceMan"})
    EXPECT_EQ(Count(run.output, std::string("TypeError: Property ResourceFile of ") + manager + " is read-only"), 1)
        << run.output;

  EXPECT_EQ(test::ReadFileBytes(PathOf("a/x/victim.prefs")), "precious");
  EXPECT_FALSE(fs::is_symlink(PathOf("a/b/game/main.prefs")));
  EXPECT_TRUE(Exists("a/b/game/main.prefs"));
}

// Links an applet ships, at any level of a name, are never written
// through: a log and a running marker that link (or are hard links) to
// files elsewhere, a folder of the applet that links elsewhere, which
// pictures of the window, stored and compiled objects, compiled scripts,
// derived pictures, font caches, recordings and a script's own streams
// are named into, and a container that links elsewhere opened for
// writing. What lies outside stays byte for byte as it was, each refusal
// has its line, and the log and the marker become files of the applet's.
TEST_F(AppletFolderTest, NoFileIsWrittenThroughALinkAtAnyLevelOfItsName) {
  Put("a/out/victim.log", "log\r\n");
  Put("a/out/victim.run", "run");
  Put("a/out/hard.log", "hard log\r\n");
  Put("a/out/hard.run", "hard run");
  Put("a/out/victim.prefs", "");
  Put("a/out/victim.score", "");
  Put("a/out/inc.object", "object inc: Dummy\n  tag = 7\nend\n");
  Put("a/out/inc.js", "var included = 1;\n");
  Put("a/out/pic.png", kPng);
  fs::create_directories(PathOf("a/out/cache"));
  // A game that ends by itself, packed into a container.
  Put("a/packme/main.object", "object game: Applet\n  width = 160\n  height = 120\n  onTick = 'tick()'\nend\n");
  Put("a/packme/main.js", "var frames = 0;\nfunction tick() { if (++frames == 3) applet.terminate(); }\n");
  for (const char* container : {"a/out/real.applet", "a/out/twin.applet"}) {
    const test::TProgramRun pack = test::RunProgram({.program = CORVANE_PACK,
                                                     .arguments = {PathOf(container), PathOf("a/packme")},
                                                     .environment = {},
                                                     .folder = PathOf(""),
                                                     .until = {}});
    ASSERT_EQ(pack.status, 0) << pack.output;
  }
  PutGame("  object spy: Dummy\n  end\n"
          "  object inc: Dummy\n    fileName = 'lnk/inc.object'\n  end\n"
          "  object pic: Plane\n    pixmap.fileName = 'lnk/pic.png'\n  end\n"
          "  object label: StaticText\n    text = 'hi'\n  end\n",
          "function go() {\n"
          "  applet.makepng('lnk/x.png');\n"
          "  applet.makepng('lnk/deeper/x.png');\n"
          "  applet.storeObject(spy, 'lnk/x.object');\n"
          "  applet.createBin('lnk/inc.object');\n"
          "  event.recordEvent('lnk/rec.txt');\n"
          "  event.stop();\n"
          "  resMan.CreateStream('lnk/s.txt', 65535);\n"
          "  externalResMan.CreateStream('lnk/e.txt', 65535);\n"
          "  preferences.setValue('seen', 'yes');\n"
          "  scoreTable.addScore('Ada', 3);\n"
          "}\n");
  const auto inGame = [&](const std::string& name) { return PathOf("a/b/game/" + name); };
  fs::create_directory_symlink("../../out", inGame("lnk"));
  fs::create_directory_symlink("../../out/cache", inGame("cache"));
  fs::create_symlink("../../out/victim.log", inGame("main.log"));
  fs::create_symlink("../../out/victim.run", inGame("main.run"));
  fs::create_symlink("../../out/real.applet", inGame("linked.applet"));
  fs::create_hard_link(PathOf("a/out/hard.log"), inGame("hard.log"));
  fs::create_hard_link(PathOf("a/out/hard.run"), inGame("hard.run"));
  fs::create_hard_link(PathOf("a/out/victim.prefs"), inGame("main.prefs"));
  fs::create_hard_link(PathOf("a/out/victim.score"), inGame("main.score"));
  fs::create_hard_link(PathOf("a/out/twin.applet"), inGame("twin.applet"));
  const std::map<std::string, std::string> outside = Tree("a/out");

  const struct {
    std::string named;
    std::vector<std::string> switches;
    std::vector<std::string> lines;  // each once
  } runs[] = {
      {"main.object",
       {},
       {"(e) Can't write the log file " + inGame("main.log") + ": it is a symbolic link, which is not written through",
        "(e) Refused lnk/x.png: it leads outside the applet's folder through a link",
        "(e) Refused lnk/deeper/x.png: it leads outside the applet's folder through a link",
        "(e) Refused lnk/x.object: it leads outside the applet's folder through a link",
        "(e) Refused lnk/inc.jsbin: it leads outside the applet's folder through a link",
        "(e) Refused lnk/rec.txt: it leads outside the applet's folder through a link",
        "(e) Refused lnk/s.txt: it leads outside the applet's folder through a link",
        "(e) Refused lnk/e.txt: it leads outside the applet's folder through a link",
        "(e) Refused lnk/pic.pixmap: it leads outside the applet's folder through a link",
        "(e) Refused cache/verdana10.fnbin: it leads outside the applet's folder through a link"}},
      {"hard.object",
       {},
       {"(e) Can't write the log file " + inGame("hard.log") +
        ": it has other hard links, which are not written through"}},
      {"linked.applet",
       {"-writemode"},
       {"(e) Can't open " + inGame("linked.applet") + ": it is a symbolic link, which is not written through"}},
      {"twin.applet",
       {"-writemode"},
       {"(e) Can't open " + inGame("twin.applet") + ": it has other hard links, which are not written through"}},
  };
  for (const auto& r : runs) {
    SCOPED_TRACE(r.named);
    const bool container = !r.switches.empty();
    const test::TProgramRun run = Play(r.named, r.switches, container ? "" : "(i) test: done");
    if (!container) EXPECT_EQ(run.status, 0) << run.output;
    for (const std::string& line : r.lines) EXPECT_EQ(Count(run.output, line), 1) << line << "\n" << run.output;
    // The include's ".bin", as it loads and as the script compiles it.
    if (r.named == "main.object")
      EXPECT_EQ(Count(run.output, "(e) Refused lnk/inc.bin: it leads outside the applet's folder through a link"), 2);
    EXPECT_EQ(Count(run.output, "runtime error:"), 0) << run.output;
    EXPECT_EQ(Tree("a/out"), outside);
  }
  // The log and the marker are the applet's own files now; the marker
  // went when the run ended.
  for (const char* log : {"main.log", "hard.log"}) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(inGame(log)))) << log;
    EXPECT_EQ(fs::hard_link_count(inGame(log)), 1u) << log;
    EXPECT_NE(test::ReadFileBytes(inGame(log)).value_or("").find("(i) test: done\r\n"), std::string::npos) << log;
  }
  for (const char* marker : {"main.run", "hard.run"}) EXPECT_FALSE(Exists("a/b/game/" + std::string(marker)));
}

// What the applet cannot use has its line, naming the file and why: a
// recording that is not there, or a folder (named by "+play=", as the
// sample takes it), a sound that is a folder, music that is a FIFO (never
// waited for), preferences that are a folder and a score table that is a
// FIFO, both read as the applet starts and stored as it ends, pictures,
// models and included objects that are folders or FIFOs, a log that is a
// folder or a FIFO, and a font size no integer holds.
TEST_F(AppletFolderTest, FilesThatAreNoFilesAreReportedAndNotWaitedFor) {
  for (const std::string folder : {"click.wav", "main.prefs", "main.log", "pic.png", "model.3ds", "inc.object", "recs"})
    fs::create_directories(PathOf("a/b/game/" + folder));
  for (const std::string fifo : {"music.ogg", "main.score", "piped.log", "fifo.png", "fifo.md3", "fifo.object"})
    ASSERT_EQ(mkfifo(PathOf("a/b/game/" + fifo).c_str(), 0600), 0) << fifo;
  PutGame("  object label: StaticText\n    text = 'hi'\n  end\n"
          "  object click: SoundPlayer\n    fileName = 'click.wav'\n  end\n"
          "  object music: MusicPlayer\n    fileName = 'music.ogg'\n  end\n"
          "  object p1: Plane\n    pixmap.fileName = 'pic.png'\n  end\n"
          "  object p2: Plane\n    pixmap.fileName = 'fifo.png'\n  end\n"
          "  object m1: Mesh\n    mesh.fileName = 'model.3ds'\n  end\n"
          "  object m2: Mesh\n    mesh.fileName = 'fifo.md3'\n  end\n"
          "  object i1: Dummy\n    fileName = 'inc.object'\n  end\n"
          "  object i2: Dummy\n    fileName = 'fifo.object'\n  end\n",
          "function go() {\n"
          "  event.playEvent('missing.rec');\n"
          "  click.play();\n"
          "  music.play();\n"
          "  scoreTable.addScore('Ada', 3);\n"
          "  label.font.size = 1e30;\n"
          "  var params = applet.params;\n"
          "  for (var i = 0; i < params.count; i++)\n"
          "    if (params.items(i).indexOf('play=') == 0) event.playEvent(params.items(i).substring(5));\n"
          "}\n");
  const test::TProgramRun run = Play("main.object", {"+play=recs"});
  EXPECT_EQ(run.status, 0) << run.output;
  const std::vector<std::string> lines = {
      "(e) Can't play missing.rec: there is no such file",
      "(e) Can't load sound click.wav: is a directory",
      "(e) Can't load music music.ogg: not a regular file",
      "(e) Can't open main.prefs: is a directory",
      "(e) Can't create main.prefs: is a directory",
      "(e) Can't open main.score: not a regular file",
      "(e) Can't create main.score: not a regular file",
      "(e) Can't write the log file " + PathOf("a/b/game/main.log") + ": is a directory",
      "(e) Can't load pic.png: is a directory",
      "(e) Can't load fifo.png: not a regular file",
      "(e) Can't load model.3ds: is a directory",
      "(e) Can't load fifo.md3: not a regular file",
      "(e) Can't load inc.object: is a directory",
      "(e) Can't load fifo.object: not a regular file",
      "(e) Can't play recs: is a directory",
  };
  for (const std::string& line : lines)
    EXPECT_EQ(Count(run.output, line), 1) << line << "\n" << run.output;
  EXPECT_EQ(Count(run.output, "(e) main.js(6:2) number 1e+30 does not fit a 32-bit integer"), 1) << run.output;
  for (const std::string folder : {"main.prefs", "main.log"})
    EXPECT_TRUE(fs::is_directory(PathOf("a/b/game/" + folder))) << folder;
  EXPECT_TRUE(fs::is_fifo(PathOf("a/b/game/main.score")));

  // A log that is a FIFO is neither waited for nor replaced.
  const test::TProgramRun piped = Play("piped.object");
  EXPECT_EQ(piped.status, 0) << piped.output;
  const std::string pipedLine = "(e) Can't write the log file " + PathOf("a/b/game/piped.log") + ": not a regular file";
  EXPECT_EQ(Count(piped.output, pipedLine), 1) << piped.output;
  EXPECT_TRUE(fs::is_fifo(PathOf("a/b/game/piped.log")));
}

// Loads that failed without a word say which file and why: a sound that
// is not there, a ".pixmap" that is empty, a ".png" that is no PNG, a
// model that is not there, font names no cache file can carry, a font
// size no integer holds in an object file, and an object stored by a full
// path elsewhere (stored below the applet's folder, as the name reads to
// its manager, and said so; one inside the folder goes to that file).
// Names that name no file are said to be empty or a folder's, in every
// service that writes, rather than to lead outside the applet's folder.
TEST_F(AppletFolderTest, FailuresThatWereSilentSayWhichFileAndWhy) {
  Put("a/b/game/empty.pixmap", "");
  Put("a/b/game/bad.png", "not a picture at all\n");
  Put("a/b/game/sub/keep.txt", "");
  PutGame("  object spy: Dummy\n  end\n"
          "  object hum: SoundPlayer\n    fileName = 'hum.wav'\n  end\n"
          "  object p1: Plane\n    pixmap.fileName = 'empty.pixmap'\n  end\n"
          "  object p2: Plane\n    pixmap.fileName = 'bad.png'\n  end\n"
          "  object m1: Mesh\n    mesh.fileName = 'missing.3ds'\n  end\n"
          "  object big: StaticText\n    text = 'hi'\n    font.size = 1e30\n  end\n"
          "  object t1: StaticText\n    text = 'hi'\n    font.name = 'fonts/serif'\n  end\n"
          "  object t2: StaticText\n    text = 'hi'\n    font.name = ''\n  end\n",
          "function go() {\n"
          "  hum.play();\n"
          "  applet.storeObject(spy, '" + PathOf("a/x/full.object") + "');\n"
          "  applet.storeObject(spy, '" + PathOf("a/b/game/sub/inside.object") + "');\n"
          "  applet.makepng('');\n"
          "  applet.makepng('shots/');\n"
          "  applet.storeObject(spy, '');\n"
          "  applet.storeObject(spy, 'saves/');\n"
          "  applet.createBin('');\n"
          "  event.recordEvent('');\n"
          "  event.stop();\n"
          "  event.recordEvent('recs/');\n"
          "  event.stop();\n"
          "}\n");
  const test::TProgramRun run = Play();
  EXPECT_EQ(run.status, 0) << run.output;
  const struct {
    std::string line;
    int count;
  } lines[] = {
      {"(e) Can't load sound hum.wav: there is no such file", 1},
      {"(e) Can't load empty.pixmap: the file is empty", 1},
      {"(e) Can't load picture bad.png: it is no PNG file", 1},
      {"(e) Can't load missing.3ds: there is no such file", 1},
      {"(e) Property size of TFontPersistent not set: its value does not fit a 32-bit integer in file main.object", 1},
      {"(e) Can't cache font \"fonts/serif\" in cache/fonts/serif10.fnbin: its name holds a folder separator", 1},
      {"(e) Can't cache font \"\" in cache/10.fnbin: its name is empty", 1},
      {"(e) Stored " + PathOf("a/x/full.object") + " as " + PathOf("a/b/game" + PathOf("a/x/full.object")) +
           ": a name starting with \"/\" is below the applet's folder, not a full path",
       1},
      {"(e) Can't create a file: the name is empty", 3},  // makepng, storeObject, recordEvent
      {"(e) Can't open a file: the name is empty", 1},    // createBin reads first
      {"(e) Can't create shots/: it names a folder, not a file", 1},
      {"(e) Can't create saves/: it names a folder, not a file", 1},
      {"(e) Can't create recs/: it names a folder, not a file", 1},
      {"leads outside", 0},
  };
  for (const auto& l : lines) EXPECT_EQ(Count(run.output, l.line), l.count) << l.line << "\n" << run.output;
  EXPECT_TRUE(Exists("a/b/game/sub/inside.object"));
  EXPECT_TRUE(Exists("a/b/game" + PathOf("a/x/full.object")));
  for (const char* name : {"a/x", "a/b/game/cache/fonts", "a/b/game/shots", "a/b/game/saves", "a/b/game/recs"})
    EXPECT_FALSE(Exists(name)) << name;
}

// Stores that fail say which file and why, and leave the file they would
// replace whole, with nothing beside it: stored objects, pictures of the
// window and recordings in a read-only folder, a stored object whose write
// the system cuts short (a file size limit, as a full disk cuts it), and,
// with the whole game read-only, the log, the preferences and the scores.
// What the engine derives (converted pictures, compiled objects) is made
// in memory there, quietly.
TEST_F(AppletFolderTest, StoresThatFailSayWhyAndKeepTheOldFile) {
  Put("a/b/game/pic.png", kPng);
  Put("a/b/game/saves/old.object", "object old: Dummy\nend\n");
  Put("a/b/game/big.object", "old big\n");
  PutGame("  object spy: Dummy\n  end\n",
          "function go() {\n"
          "  applet.storeObject(spy, 'saves/old.object');\n"
          "  applet.makepng('saves/shot.png');\n"
          "  event.recordEvent('saves/play.rec');\n"
          "  event.stop();\n"
          "  spy.tagString = 'x'.repeat(300000);\n"
          "  applet.storeObject(spy, 'big.object');\n"
          "}\n");
  const auto readOnly = [this](const std::string& folder, bool on) {
    fs::permissions(PathOf(folder), on ? fs::perms::owner_read | fs::perms::owner_exec : fs::perms::owner_all);
  };
  readOnly("a/b/game/saves", true);
  test::TProgramRun run;
  {
    const test::TFileSizeLimit limit(256 * 1024);
    run = Play();
  }
  readOnly("a/b/game/saves", false);
  EXPECT_EQ(run.status, 0) << run.output;
  for (const char* line :
       {"(e) Can't create saves/old.object: its folder is read-only", "(e) Can't create saves/shot.png: its folder is "
        "read-only", "(e) Can't create saves/play.rec: its folder is read-only",
        "(e) Can't write big.object: File too large"})
    EXPECT_EQ(Count(run.output, line), 1) << line << "\n" << run.output;
  const std::map<std::string, std::string> saves = {{"old.object", "object old: Dummy\nend\n"}};
  EXPECT_EQ(Tree("a/b/game/saves"), saves);
  EXPECT_EQ(test::ReadFileBytes(PathOf("a/b/game/big.object")), "old big\n");
  for (const auto& [name, bytes] : Tree("a/b/game")) EXPECT_NE(name.front(), '.') << name;

  PutGame("  object pic: Plane\n    pixmap.fileName = 'pic.png'\n  end\n",
          "function go() {\n"
          "  preferences.setValue('seen', 'yes');\n"
          "  scoreTable.addScore('Ada', 3);\n"
          "}\n");
  fs::remove(PathOf("a/b/game/main.bin"));
  std::map<std::string, std::string> before = Tree("a/b/game");
  readOnly("a/b/game", true);
  run = test::RunProgram({.program = CORVANE_PROGRAM,
                          .arguments = {PathOf("a/b/game/main.object")},
                          .environment = kHeadless,
                          .folder = PathOf("a/b"),
                          .until = "(i) test: done"});
  readOnly("a/b/game", false);
  EXPECT_EQ(run.status, 0) << run.output;
  for (const std::string line :
       {"(e) Can't write the log file " + PathOf("a/b/game/main.log") + ": its folder is read-only",
        std::string("(e) Can't create main.prefs: its folder is read-only"),
        std::string("(e) Can't create main.score: its folder is read-only")})
    EXPECT_EQ(Count(run.output, line), 1) << line << "\n" << run.output;
  for (const char* quiet : {"main.bin", "main.jsbin", "pic.pixmap"}) EXPECT_EQ(Count(run.output, quiet), 0) << quiet;
  // The log file, itself writable, may have taken lines before it was to
  // be replaced; every other file is as it was.
  std::map<std::string, std::string> after = Tree("a/b/game");
  after.erase("main.log");
  before.erase("main.log");
  EXPECT_EQ(after, before);
}

// Full paths outside the applet's folder are neither read nor listed
// through the external manager: each is refused with its line. One inside
// the folder reads as before.
TEST_F(AppletFolderTest, FullPathsElsewhereAreNotRead) {
  Put("a/x/secret.txt", "secret");
  Put("a/b/game/inside.txt", "inside");
  PutGame("",
          "function go() {\n"
          "  engine.log('test: outside ' + externalResMan.StreamExists('" + PathOf("a/x/secret.txt") + "'));\n"
          "  engine.log('test: opened ' + (externalResMan.CreateStream('" + PathOf("a/x/secret.txt") + "', 0) != null));\n"
          "  engine.log('test: listed [' + externalResMan.FindFilesInDirComma('" + PathOf("a/x") + "', '*') + ']');\n"
          "  engine.log('test: inside ' + externalResMan.StreamExists('" + PathOf("a/b/game/inside.txt") + "'));\n"
          "}\n");
  const test::TProgramRun run = Play();
  EXPECT_EQ(run.status, 0) << run.output;
  for (const std::string line :
       {std::string("(i) test: outside false"), std::string("(i) test: opened false"), std::string("(i) test: listed []"),
        std::string("(i) test: inside true"),
        "(e) Refused " + PathOf("a/x/secret.txt") + ": it leads outside the applet's folder",
        "(e) Refused " + PathOf("a/x/") + ": it leads outside the applet's folder"})
    EXPECT_EQ(Count(run.output, line), 1) << line << "\n" << run.output;
}

}  // namespace
}  // namespace corvane
