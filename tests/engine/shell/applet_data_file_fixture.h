// The fixture for tests of a data file an applet keeps beside it (its
// ".prefs", its ".score"): a test world whose external resource manager is a
// fresh temporary folder and whose log is "game.log" in it, so the applet's
// files there are "game.*".
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

  TTestWorld world;
  TTempFolderResMan* files = nullptr;
};

}  // namespace corvane::test
