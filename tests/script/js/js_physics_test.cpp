// Scripts against the physics engine on libnewton.so: what a script writes
// into positions, sizes and `body` never makes a body at the origin, a body
// frozen out of the world, or one object's body another's; each refusal is
// an error line.
#include <gtest/gtest.h>

#include "base/reflection/class_registry.h"
#include "scene/box.h"
#include "scene/newton/newton_engine.h"
#include "tests/script/js/js_world.h"

namespace corvane {
namespace {

test::TAppletWorld::TOptions PhysicsOptions() {
  test::TAppletWorld::TOptions options = test::JavaScriptOptions();
  options.physics = true;
  return options;
}

class JsPhysicsTest : public ::testing::Test {
 protected:
  JsPhysicsTest() { RegisterClasses({Box::StaticClass()}); }

  // Launches boxes a, b and c (space, dynamic, at z 10) with the script,
  // whose setup() runs once they are loaded.
  Applet* Start(const std::string& script) {
    world.Put("main.js", script);
    std::string main = "object Game: Applet\n  onLoad = 'setup()'\n";
    for (const char* name : {"a", "b", "c"})
      main += std::string("  object ") + name + ": Box\n    kind = okSpace\n    dynamic = True\n    z = 10\n  end\n";
    return world.Launch(main + "end\n");
  }
  Box* Get(const char16_t* name) const { return dynamic_cast<Box*>(world.Live()->findByName(name)); }
  TNewtonEngine* Engine() const { return dynamic_cast<TNewtonEngine*>(world.Live()->DynamicEngine()); }

  test::TJsWorld world{PhysicsOptions()};
};

// Writing b's body into a and unspawning a would take b's body and destroy
// it; b keeps it and falls on.
TEST_F(JsPhysicsTest, AnObjectCannotTakeAnotherObjectsBody) {
  const std::size_t mark = world.Mark();
  ASSERT_NE(Start("function setup() { a.spawn(); b.spawn(); a.body = b.body; a.unspawn(); }\n"), nullptr);
  world.Steps(10, 1.0f / 60);
  Box* b = Get(u"b");
  ASSERT_NE(b->Body(), 0);
  EXPECT_EQ(Engine()->ObjectByBody(b->Body()), b);
  EXPECT_EQ(Get(u"a")->Body(), 0);
  EXPECT_LT(b->Z(), 10);
  const std::vector<std::string> errors = world.ErrorsSince(mark);
  ASSERT_EQ(errors.size(), 1u) << world.Text();
  EXPECT_EQ(errors[0], "Body " + std::to_string(b->Body()) + " not given to a: an object has only the body it made");
}

// A NaN or far position or a NaN or huge size makes no body: before, the
// body sat at the origin, was frozen outside the world, or was not made,
// all without a word.
TEST_F(JsPhysicsTest, UnusablePlacesAndSizesMakeNoBody) {
  const std::size_t mark = world.Mark();
  ASSERT_NE(Start("function setup() { a.x = 0 / 0; a.spawn(); b.z = 1e30; b.spawn(); c.width = 1e30; c.spawn(); }\n"), nullptr);
  world.Steps(3, 1.0f / 60);
  for (const char16_t* name : {u"a", u"b", u"c"}) EXPECT_EQ(Get(name)->Body(), 0);
  const std::vector<std::string> errors = world.ErrorsSince(mark);
  ASSERT_EQ(errors.size(), 3u) << world.Text();
  EXPECT_EQ(errors[0], "Body of a not made: placement not a number");
  EXPECT_EQ(errors[1].rfind("Body of b not made: position 0 0 1", 0), 0u) << errors[1];
  EXPECT_NE(errors[1].find("outside the physics world"), std::string::npos) << errors[1];
  EXPECT_EQ(errors[2].rfind("Body of c not made: size 1", 0), 0u) << errors[2];
}

// A static body following its object is not left behind in silence when
// the object goes to NaN: one line, however many frames, and it follows
// again from the next usable place.
TEST_F(JsPhysicsTest, AStaticBodyRefusesANaNPlaceOnce) {
  ASSERT_NE(Start("function setup() { c.dynamic = false; c.collisable = true; c.spawn(); }\n"
                  "function away() { c.x = 0 / 0; }\nfunction back() { c.x = 4; }\n"),
            nullptr);
  world.Steps(2, 1.0f / 60);
  Box* c = Get(u"c");
  ASSERT_NE(c->Body(), 0);
  const std::size_t mark = world.Mark();
  for (int i = 0; i < 3; ++i) {
    world.Js()->CallScript(u"away()");
    world.Steps(1, 1.0f / 60);
  }
  EXPECT_EQ(world.ErrorsSince(mark), std::vector<std::string>{"Body of c not moved: position NAN 0 10 unusable"});
  world.Js()->CallScript(u"back()");
  world.Steps(1, 1.0f / 60);
  EXPECT_EQ(Engine()->GetBodyMatrix(c->Body())[3].x, 4);
}

}  // namespace
}  // namespace corvane
