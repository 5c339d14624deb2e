// The fixture for tests of a data file an applet keeps beside it (its
// ".prefs", its ".score"): a test world whose external resource manager is a
// fresh temporary folder and whose log is "game.log" in it, so the applet's
// files there are "game.*".
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/lists/wide_string_file.h"
#include "base/lists/wide_string_list.h"
#include "base/reflection/class_info.h"
#include "base/reflection/variant.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"
#include "tests/engine/shell/applet_files_kit.h"
#include "tests/support/kit/test_world.h"

namespace corvane::test {

class TAppletDataFileTest : public ::testing::Test {
 protected:
  TAppletDataFileTest() {
    files = Create<TTempFolderResMan>();
    world.engine->SetExternalResMan(files);
    world.engine->LogBook().LogFileName = files->PathOf("game.log");
  }
  // The log must not go on naming a file in the folder that goes away.
  ~TAppletDataFileTest() override { world.engine->LogBook().LogFileName.clear(); }

  static std::vector<std::u16string> LinesOf(const TWideStringList& list) {
    std::vector<std::u16string> lines;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
    return lines;
  }
  // A method the object publishes, called by its script name.
  static Variant CallMethod(TObject& object, const char* method, const std::vector<Variant>& args) {
    return object.ClassType()->FindMethod(method)->Invoke(object, args);
  }

  // For each way a data file can be there and yet not be read (too large
  // for a list, or no regular file): the file stays as it is through the
  // load and the store given, each of which says so once.
  void ExpectUnreadableFileKept(const std::string& name, const std::function<void()>& load,
                                const std::function<void()>& store) {
    for (const bool tooLarge : {true, false}) {
      SCOPED_TRACE(tooLarge ? "too large" : "a FIFO");
      const std::string path = files->PathOf(name);
      std::filesystem::remove(path);
      if (tooLarge) {
        files->Put(name, "");
        std::filesystem::resize_file(path, kMaxWideTextBytes + 2);  // sparse: nothing is written
      } else {
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
      }
      const std::string before = Describe(path);
      world.log.Clear();
      load();
      EXPECT_EQ(world.log.CountError("Can't read " + name + ": the file is kept as it is"), 1) << world.log.Text();
      store();
      EXPECT_EQ(Describe(path), before);
      EXPECT_EQ(world.log.CountError("Not stored: " + name + " could not be read and is kept as it is"), 1)
          << world.log.Text();
    }
  }
  static std::string Describe(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(status)) return "missing";
    if (std::filesystem::is_fifo(status)) return "FIFO";
    return "file of " + std::to_string(std::filesystem::file_size(path)) + " bytes";
  }

  TTestWorld world;
  TTempFolderResMan* files = nullptr;
};

}  // namespace corvane::test
