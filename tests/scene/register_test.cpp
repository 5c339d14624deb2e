// The scene's classes by name, in the order the engine registers them:
// the order scripts and the inspector meet them in.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/reflection/class_registry.h"
#include "scene/register.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

TEST(SceneRegistration, PositionedClassesComeInTheirOrder) {
  test::TTestWorld world;
  RegisterSceneClasses();
  const std::vector<std::string> expected = {"Camera", "Light", "Plane", "Box",    "Sphere",
                                             "Cylinder", "Cone", "Mesh", "Mirror", "Grid"};
  std::vector<std::string> seen;
  const std::vector<TClass>* classes = GlobalClassList();
  ASSERT_NE(classes, nullptr);
  for (TClass cls : *classes) {
    const std::string& name = cls->Name();
    if (std::find(expected.begin(), expected.end(), name) != expected.end() &&
        std::find(seen.begin(), seen.end(), name) == seen.end())
      seen.push_back(name);
  }
  EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace corvane
