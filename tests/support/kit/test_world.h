// A running engine for tests: the null platform, the engine object, one
// test applet, the engine classes registered, and trees loaded from
// ".object" text. Everything goes when the world does.
#pragma once

#include <string>

#include "engine/core/base_object.h"
#include "tests/support/capture_log.h"
#include "tests/support/kit/null_platform.h"
#include "tests/support/kit/test_applet.h"
#include "tests/support/kit/test_script_engine.h"

namespace corvane {
class SomeEngine;
}

namespace corvane::test {

class TTestWorld {
 public:
  TTestWorld();
  ~TTestWorld();
  TTestWorld(const TTestWorld&) = delete;
  TTestWorld& operator=(const TTestWorld&) = delete;

  SomeEngine* engine = nullptr;
  TTestApplet* applet = nullptr;
  TNullPlatform& Platform() const;
  TTestScriptEngine& Scripts() const { return *applet->Scripts(); }

  // Compiles ".object" text and reads it as a new object under parent (the
  // applet when none): construct, read, AfterConstruction, Loaded.
  BaseObject* Load(const std::string& objectText, BaseObject* parent = nullptr);
  // n engine steps of dt seconds each.
  void Steps(int n, float dt = 0.1f);

  TCaptureLog log;

 private:
  TClass previousPlatform_;
  TClass previousFilter_;
};

}  // namespace corvane::test
