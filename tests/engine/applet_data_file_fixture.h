// The fixture for tests of a data file an applet keeps beside it (its
// ".prefs", its ".score"): a test world whose external resource manager is a
// fresh temporary folder and whose log is "game.log" in it, so the applet's
// files there are "game.*".
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/class_info.h"
#include "base/variant.h"
#include "base/wide_string_file.h"
#include "base/wide_string_list.h"
#include "engine/engine.h"
#include "engine/engine_log.h"
#include "tests/engine/applet_files_kit.h"
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

  // The ways a data file can be there and yet not be read.
  enum class TUnreadable { TooLarge, NoRegularFile };
  static constexpr TUnreadable kUnreadable[] = {TUnreadable::TooLarge, TUnreadable::NoRegularFile};
  static const char* NameOf(TUnreadable kind) { return kind == TUnreadable::TooLarge ? "too large" : "a FIFO"; }
  // Puts such a file under name (a sparse one, when too large); what it is
  // afterwards reads back through Describe.
  void PutUnreadable(TUnreadable kind, const std::string& name) const {
    const std::string path = files->PathOf(name);
    std::filesystem::remove(path);
    if (kind == TUnreadable::TooLarge) {
      files->Put(name, "");
      std::filesystem::resize_file(path, kMaxWideTextBytes + 2);
    } else {
      ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    }
  }
  std::string Describe(const std::string& name) const {
    const std::filesystem::path path = files->PathOf(name);
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
