// The engine core's one registration call: the scene-object base classes
// in their fixed order, then the applet's own classes; the design
// manipulators stay unregistered.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/reflection/class_registry.h"
#include "tests/support/kit/test_world.h"

namespace corvane {
namespace {

TEST(Registration, TheBaseClassesInTheirOrder) {
  test::TTestWorld world;
  const std::vector<TClass>* list = GlobalClassList();
  ASSERT_NE(list, nullptr);
  std::vector<std::string> names;
  for (TClass cls : *list) names.push_back(cls->Name());
  // The call's order, with the ancestors the registry adds behind a class
  // it registers before them (TGComponent and TPersistent behind BaseObject,
  // PositionObject and VisualObject behind Mission).
  const std::vector<std::string> want = {"BaseObject", "TGComponent",    "TPersistent",  "Script",
                                         "ProxyObject", "Mission",       "PositionObject", "VisualObject",
                                         "Effect",      "Container",     "Dummy",          "Trigger",
                                         "Applet",      "Event",         "ScoreTable",     "Preferences"};
  ASSERT_GE(names.size(), want.size());
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + static_cast<long>(want.size())), want);
  for (const char* unregistered : {"Gizmo", "GizmoBox", "ScreenGizmo"}) EXPECT_EQ(GetClass(unregistered), nullptr);
}

}  // namespace
}  // namespace corvane
