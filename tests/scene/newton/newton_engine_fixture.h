// What the physics engine's tests share: the Newton engine as the applet's
// physics-engine class on the real libnewton.so, and boxes loaded from
// ".object" text and spawned, wrapped for scripts (the kit's command
// language runs their handlers).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "base/text/number_text.h"
#include "engine/shell/applet.h"
#include "scene/box.h"
#include "scene/newton/newton_engine.h"
#include "scene/register.h"
#include "tests/support/kit/newton_physics.h"
#include "tests/support/kit/test_world.h"

namespace corvane {

constexpr float kFrame = 1.0f / 60;

class NewtonEngineTest : public ::testing::Test {
 protected:
  test::TUseNewtonPhysics physics;
  test::TTestWorld world;

  NewtonEngineTest() { RegisterSceneClasses(); }

  // A box of that class at (x, y, z) with extra ".object" lines, spawned.
  template <typename T = Box>
  T* Spawn(const std::string& name, float x, float y, float z, const std::string& extra = "",
           const char* className = "Box") {
    const std::string text = std::string("object ") + name + ": " + className + "\n  x = " + Num(x) +
                             "\n  y = " + Num(y) + "\n  z = " + Num(z) + "\n" + extra + "end\n";
    auto* object = dynamic_cast<T*>(world.Load(text));
    if (!object) {
      ADD_FAILURE() << "not loaded: " << text;
      return nullptr;
    }
    object->SetScriptObject(object);
    object->spawn();
    return object;
  }

  TNewtonEngine* Engine() const { return dynamic_cast<TNewtonEngine*>(world.applet->DynamicEngine()); }

  // n updates of both worlds, as the applet runs them.
  void Update(int n = 1, float dt = kFrame) const {
    for (int i = 0; i < n; ++i) Engine()->UpdateWorlds(dt);
  }

  TSpaceVector BodyPosition(const PositionObject* object) const { return Engine()->GetBodyMatrix(object->Body())[3]; }

  static std::string Num(float value) { return FloatToStrGeneral(value); }
};

}  // namespace corvane
