// The applet's data files: the ciphered list beside the applet, named after
// the log at first use, never written over when it could not be read, and
// never half-written when a write fails.
#include "engine/shell/applet_data_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/lists/wide_string_file.h"
#include "base/lists/wide_string_list.h"
#include "tests/engine/shell/applet_data_file_fixture.h"
#include "tests/engine/shell/applet_files_kit.h"

namespace corvane {
namespace {

using Lines = std::vector<std::u16string>;
using test::Cipher;

class AppletDataFile : public test::TAppletDataFileTest {
 protected:
  AppletDataFile() { list.Add(u"kept"); }
  static std::string Describe(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) return "missing";
    if (std::filesystem::is_fifo(status)) return "FIFO";
    return "file of " + std::to_string(std::filesystem::file_size(path)) + " bytes";
  }
  TAppletDataFile file{".dat"};
  TWideStringList list;
};

TEST_F(AppletDataFile, TheListIsStoredCipheredBesideTheAppletAndReadsBack) {
  list.Add(u"\u00C5sa \u4E2D");
  EXPECT_TRUE(file.Store(list));
  EXPECT_EQ(files->Bytes("game.dat"), Cipher(u"kept\r\n\u00C5sa \u4E2D\r\n"));
  EXPECT_EQ(files->Listing(), "game.dat;");  // nothing left beside it
  TWideStringList back;
  EXPECT_TRUE(TAppletDataFile(".dat").Load(back));
  EXPECT_EQ(LinesOf(back), LinesOf(list));
  EXPECT_TRUE(world.log.Lines().empty()) << world.log.Text();
}

TEST_F(AppletDataFile, WithoutAFileOrAManagerNothingChangesAndNothingIsSaid) {
  world.log.Clear();
  EXPECT_FALSE(file.Load(list));  // no game.dat yet
  world.engine->SetExternalResMan(nullptr);
  files = nullptr;
  EXPECT_FALSE(file.Store(list));
  EXPECT_FALSE(file.Load(list));
  EXPECT_EQ(LinesOf(list), Lines{u"kept"});
  EXPECT_TRUE(world.log.Lines().empty()) << world.log.Text();
}

TEST_F(AppletDataFile, AFailedWriteLeavesTheOldFileWhole) {
  const std::string old = Cipher(u"old\r\n");
  files->Put("game.dat", old);
  list.Add(std::u16string(4000, u'x'));
  {
    test::TFileSizeLimit limit(1024);
    EXPECT_FALSE(file.Store(list));
  }
  EXPECT_EQ(files->Bytes("game.dat"), old);
  EXPECT_EQ(files->Listing(), "game.dat;");
  EXPECT_EQ(world.log.CountError("Can't write game.dat: File too large"), 1) << world.log.Text();
  EXPECT_TRUE(file.Store(list));  // and a write that goes through replaces it
  EXPECT_EQ(files->Bytes("game.dat")->size(), 2u * (6 + 4002));
}

// A file that is there but cannot be read (too large for a list, or no
// regular file) is the player's: the store that replaced it at exit would
// lose everything in it.
TEST_F(AppletDataFile, AFileThatCannotBeReadIsKeptAsItIs) {
  const std::string path = files->PathOf("game.dat");
  for (const bool tooLarge : {true, false}) {
    SCOPED_TRACE(tooLarge ? "too large" : "a FIFO");
    std::filesystem::remove(path);
    if (tooLarge) {
      files->Put("game.dat", "");
      std::filesystem::resize_file(path, kMaxWideTextBytes + 2);  // sparse: nothing is written
    } else {
      ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    }
    const std::string before = Describe(path);
    world.log.Clear();
    EXPECT_FALSE(file.Load(list));
    EXPECT_EQ(world.log.CountError("Can't read game.dat: the file is kept as it is"), 1) << world.log.Text();
    EXPECT_FALSE(file.Store(list));
    EXPECT_EQ(Describe(path), before);
    EXPECT_EQ(world.log.CountError("Not stored: game.dat could not be read and is kept as it is"), 1)
        << world.log.Text();
    EXPECT_EQ(LinesOf(list), Lines{u"kept"});
  }
  // Once it is gone, the next load finds nothing to keep.
  std::filesystem::remove(path);
  EXPECT_FALSE(file.Load(list));
  EXPECT_TRUE(file.Store(list));
  EXPECT_EQ(files->Bytes("game.dat"), Cipher(u"kept\r\n"));
}

// The log is renamed after the applet is loaded (the "default_applet" log
// takes the executable's name): the store goes back where the load came from.
TEST_F(AppletDataFile, TheNameIsFixedAtTheFirstUse) {
  files->Put("default_applet.dat", Cipher(u"a\r\n"));
  world.engine->LogBook().LogFileName = "default_applet.log";
  EXPECT_TRUE(file.Load(list));
  world.engine->LogBook().LogFileName = files->PathOf("corvanedx.log");
  list.Add(u"b");
  EXPECT_TRUE(file.Store(list));
  EXPECT_EQ(files->Listing(), "default_applet.dat;");
  EXPECT_EQ(files->Bytes("default_applet.dat"), Cipher(u"a\r\nb\r\n"));
  EXPECT_EQ(file.Name(), "default_applet.dat");
  EXPECT_EQ(AppletDataFileName(".dat"), "corvanedx.dat");  // the log's folder is no part of it
}

}  // namespace
}  // namespace corvane
