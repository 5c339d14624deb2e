// Visual objects read from a stream: children that arrive during the read
// are recalculated and laid out once, at its end, and the tree comes out as
// the same tree built in code one object at a time.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/reflection/prop_access.h"
#include "base/text/text_convert.h"
#include "engine/core/dummy.h"
#include "engine/core/position_object.h"
#include "engine/shell/applet.h"
#include "gui/gui_object.h"
#include "scene/register.h"
#include "tests/support/kit/applet_world.h"

namespace corvane {
namespace {

using test::TAppletWorld;

// Counts every recalculation of its kind, wherever it comes from.
std::int64_t gRecalcs = 0;

class CountingBox : public PositionObject {
  CORVANE_CLASS(CountingBox, PositionObject)
  static void Describe(TClassBuilder<CountingBox>&) {}
  using PositionObject::PositionObject;
  void RecalcAbsolute() override {
    ++gRecalcs;
    PositionObject::RecalcAbsolute();
  }
};
CORVANE_IMPLEMENT_CLASS(CountingBox)

// One object of the tree: its class, name, properties (dotted paths and
// their text) and children, in stream order.
struct TNode {
  std::string cls;
  std::string name;
  std::vector<std::pair<std::string, std::string>> props;
  std::vector<TNode> children;
};

void AppendText(const TNode& node, const std::string& indent, std::string& text) {
  text += indent + "object " + node.name + ": " + node.cls + "\n";
  for (const auto& [path, value] : node.props) text += indent + "  " + path + " = " + value + "\n";
  for (const TNode& child : node.children) AppendText(child, indent + "  ", text);
  text += indent + "end\n";
}

std::string Text(const TNode& root) {
  std::string text;
  AppendText(root, "", text);
  return text;
}

void SetPath(TObject& object, const std::string& path, const std::string& value) {
  const std::size_t dot = path.find('.');
  if (dot == std::string::npos) {
    SetPropValue(object, path, Variant(value));
    return;
  }
  TObject* inner = GetObjectProp(object, path.substr(0, dot));
  ASSERT_NE(inner, nullptr) << path;
  SetPath(*inner, path.substr(dot + 1), value);
}

// The node built as the reader builds it: made in its place, then its
// properties, then its children.
void Build(const TNode& node, BaseObject* parent) {
  const TClass cls = FindClass(node.cls);
  ASSERT_NE(cls, nullptr) << node.cls;
  auto* object = static_cast<BaseObject*>(cls->CreateInstance(TCreateContext(parent)));
  object->SetName(Utf8ToUtf16(node.name));
  for (const auto& [path, value] : node.props) SetPath(*object, path, value);
  for (const TNode& child : node.children) Build(child, object);
}

// What loading decides about each object, in tree order.
std::vector<std::string> Placement(Applet& applet) {
  std::vector<std::string> lines{"remembered " + std::to_string(applet.RememberedWidth()) + " x " +
                                 std::to_string(applet.RememberedHeight())};
  applet.ForEach([&lines](BaseObject* object) {
    auto* positioned = dynamic_cast<PositionObject*>(object);
    if (!positioned || object->Name().empty()) return;
    std::string line = Utf16ToUtf8(object->Name()) + ":";
    const TSpaceMatrix& m = positioned->GetAbsoluteMatrix();
    for (int row = 0; row < 4; ++row)
      for (float v : {m[row].x, m[row].y, m[row].z, m[row].w}) line += " " + std::to_string(v);
    if (auto* widget = dynamic_cast<GuiObject*>(object)) {
      const TRect r = widget->GetBoundsRectInt();
      line += " | " + std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
              std::to_string(r.bottom);
    }
    lines.push_back(line);
  });
  return lines;
}

TNode Widget(const std::string& name, const std::string& align, std::vector<std::pair<std::string, std::string>> more,
             std::vector<TNode> children = {}) {
  more.insert(more.begin(), {"align", align});
  return {"GuiObject", name, std::move(more), std::move(children)};
}

// Boxes moved, scaled and nested; a group with widgets; widgets on every
// side of the applet and in each corner; a widget whose own corner child
// follows it as the applet resizes it.
TNode Scene() {
  TNode applet{"Applet", "Main", {{"width", "640"}, {"height", "480"}}, {}};
  auto& top = applet.children;
  for (int i = 0; i < 40; ++i) {
    const std::string n = std::to_string(i);
    top.push_back({"Box",
                   "Box" + n,
                   {{"position.x", std::to_string(i * 3)}, {"position.y", std::to_string(i % 7)}, {"scale.y", "3"}},
                   {{"Box", "Inner" + n, {{"position.z", "2"}, {"scale.x", "2"}}, {}}}});
  }
  top.push_back({"Dummy",
                 "Group",
                 {{"position.x", "5"}, {"position.y", "7"}, {"scale.z", "2"}},
                 {{"Box", "GroupBox", {{"position.y", "3"}}, {}},
                  Widget("GroupClient", "gaClient", {}),
                  Widget("GroupCorner", "gaTopRight", {{"position.x", "600"}, {"width", "20"}})}});
  top.push_back(Widget("Left", "gaLeft", {{"width", "30"}}));
  top.push_back(Widget("Top", "gaTop", {{"height", "25"}}));
  top.push_back(Widget("Panel", "gaClient", {{"width", "100"}, {"height", "80"}},
                       {Widget("PanelCorner", "gaBottomRight", {{"position.x", "80"}, {"position.y", "60"},
                                                                {"width", "10"}, {"height", "10"}}),
                        Widget("PanelLeft", "gaLeft", {{"width", "20"}})}));
  top.push_back(Widget("Corner", "gaBottomRight", {{"position.x", "600"}, {"position.y", "450"}}));
  top.push_back(Widget("Middle", "gaCenter", {{"width", "50"}, {"height", "40"}}));
  for (int i = 0; i < 40; ++i) top.push_back({"Box", "Late" + std::to_string(i), {{"position.x", "1"}}, {}});
  return applet;
}

TEST(VisualObjectLoad, ALoadedTreeIsPlacedAsTheSameTreeBuiltObjectByObject) {
  const TNode scene = Scene();
  std::vector<std::string> loaded;
  {
    TAppletWorld world;
    RegisterSceneClasses();
    Applet* applet = world.Launch(Text(scene));
    ASSERT_NE(applet, nullptr) << world.Text();
    EXPECT_EQ(world.Text().find("(e)"), std::string::npos) << world.Text();
    loaded = Placement(*applet);
  }
  std::vector<std::string> built;
  {
    TAppletWorld world;
    RegisterSceneClasses();
    TNode empty = scene;
    empty.children.clear();
    Applet* applet = world.Launch(Text(empty));
    ASSERT_NE(applet, nullptr) << world.Text();
    for (const TNode& child : scene.children) Build(child, applet);
    built = Placement(*applet);
  }
  ASSERT_GT(loaded.size(), 90u);
  ASSERT_EQ(loaded.size(), built.size());
  for (std::size_t i = 0; i < loaded.size(); ++i) EXPECT_EQ(loaded[i], built[i]);
}

TEST(VisualObjectLoad, SiblingsReadFromAStreamAreRecalculatedOncePerObject) {
  TAppletWorld world;
  RegisterClass(CountingBox::StaticClass());
  constexpr int kSiblings = 300;
  const struct {
    const char* parent;
    const char* open;
    const char* close;
  } kCases[] = {
      {"the applet", "", ""},
      {"a group", "  object Group: Dummy\n", "  end\n"},
      {"a widget", "  object Panel: GuiObject\n", "  end\n"},
  };
  for (const auto& c : kCases) {
    std::string text = std::string("object Main: Applet\n") + c.open;
    for (int i = 0; i < kSiblings; ++i)
      text += "    object B" + std::to_string(i) + ": CountingBox\n      position.x = " + std::to_string(i) +
              "\n    end\n";
    text += std::string(c.close) + "end\n";
    gRecalcs = 0;
    Applet* applet = world.Launch(text);
    ASSERT_NE(applet, nullptr) << c.parent << "\n" << world.Text();
    // Each box is recalculated when it is placed, moved and laid out with
    // the rest, not once more for every sibling after it.
    EXPECT_LT(gRecalcs, 10 * kSiblings) << c.parent;
    world.FreeApplet();
  }
}

// As a script makes them: one at a time, under the applet (beside its
// widgets) and under a group, each box recalculated once, not again with
// every sibling made after it. A widget changed in between is laid out
// with its siblings at the next add, as before.
TEST(VisualObjectLoad, SiblingsMadeOneByOneAreRecalculatedOncePerObject) {
  TAppletWorld world;
  RegisterClass(CountingBox::StaticClass());
  Applet* applet = world.Launch("object Main: Applet\n"
                                "  object Group: Dummy\n  end\n"
                                "  object Bar: GuiObject\n    align = gaTop\n    height = 20\n  end\n"
                                "end\n");
  ASSERT_NE(applet, nullptr) << world.Text();
  auto* bar = static_cast<GuiObject*>(applet->findByName(u"Bar"));
  ASSERT_NE(bar, nullptr);
  constexpr int kSiblings = 2000;
  for (BaseObject* parent : {static_cast<BaseObject*>(applet), applet->findByName(u"Group")}) {
    gRecalcs = 0;
    for (int i = 0; i < kSiblings; ++i) Create<CountingBox>(TCreateContext(parent));
    EXPECT_LT(gRecalcs, 3 * kSiblings) << Utf16ToUtf8(parent->Name());
  }
  bar->SetHeight(30);
  bar->SetY(50);
  Create<CountingBox>(TCreateContext(applet));
  EXPECT_EQ(bar->GetBoundsRectInt().top, applet->GuiClientRect().top);
}

}  // namespace
}  // namespace corvane
