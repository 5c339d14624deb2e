// The applet's own scene and GUI objects, made by class name: a registered
// class that does not play the role the applet asks of it is logged and
// left out, a class that is not registered is left out silently, and the
// applet runs on either way.
#include <gtest/gtest.h>

#include <string>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "engine/core/dummy.h"
#include "engine/core/effect.h"
#include "engine/shell/applet.h"
#include "gui/gui_object.h"
#include "tests/support/kit/applet_world.h"

namespace corvane::probe {

// Classes under the names the applet asks for that lack their roles: a
// screen that cannot fill, an inspector and a console that are no widgets,
// renderers that cannot render, a message form that is no skinned widget,
// a sprite that is not positioned.
class Screen : public GuiObject {
  CORVANE_CLASS(Screen, GuiObject)
  using GuiObject::GuiObject;
};
class InspectorForm : public BaseObject {
  CORVANE_CLASS(InspectorForm, BaseObject)
  using BaseObject::BaseObject;
};
class TConsole : public VisualObject {
  CORVANE_CLASS(TConsole, VisualObject)
  using VisualObject::VisualObject;
};
class ParticleRenderer : public PositionObject {
  CORVANE_CLASS(ParticleRenderer, PositionObject)
  using PositionObject::PositionObject;
};
class ImageForm : public GuiObject {
  CORVANE_CLASS(ImageForm, GuiObject)
  using GuiObject::GuiObject;
};
class Sprite : public BaseObject {
  CORVANE_CLASS(Sprite, BaseObject)
  using BaseObject::BaseObject;
};

CORVANE_IMPLEMENT_CLASS(Screen)
CORVANE_IMPLEMENT_CLASS(InspectorForm)
CORVANE_IMPLEMENT_CLASS(TConsole)
CORVANE_IMPLEMENT_CLASS(ParticleRenderer)
CORVANE_IMPLEMENT_CLASS(ImageForm)
CORVANE_IMPLEMENT_CLASS(Sprite)

}  // namespace corvane::probe

namespace corvane {
namespace {

using test::TAppletWorld;

TAppletWorld::TOptions WithoutStandIns() {
  TAppletWorld::TOptions options;
  options.standIns = false;
  return options;
}

TEST(AppletCollaborators, ARegisteredClassWithoutItsRoleIsLoggedAndLeftOut) {
  TAppletWorld world(WithoutStandIns());
  RegisterClasses({probe::Screen::StaticClass(), probe::InspectorForm::StaticClass(), probe::TConsole::StaticClass(),
                   probe::ParticleRenderer::StaticClass(), probe::ImageForm::StaticClass(),
                   probe::Sprite::StaticClass()});
  Applet* applet = world.Launch("object Game: Applet\nend\n");
  ASSERT_NE(applet, nullptr) << world.Text();

  for (const char* line : {"Class Screen is not a TScreenFill", "Class InspectorForm is not a GuiObject",
                           "Class ParticleRenderer is not a TParticleRendering", "Class Sprite is not a PositionObject"})
    EXPECT_EQ(world.CountError(line), 1) << line << "\n" << world.Text();
  EXPECT_EQ(applet->FadeScreen(), nullptr);
  EXPECT_EQ(applet->Inspector(), nullptr);
  EXPECT_EQ(applet->Renderer(0), nullptr);
  // The refused objects are gone; the cursor's holder stays without a
  // sprite.
  for (const char* name : {"Screen", "InspectorForm", "ParticleRenderer", "Sprite"})
    EXPECT_EQ(applet->FindByClass(name), nullptr) << name;
  ASSERT_NE(applet->Cursor(), nullptr);
  EXPECT_EQ(applet->Cursor()->count(), 0);

  // Made on demand, refused the same way; the calls that need them do
  // nothing.
  applet->ToggleConsole();
  EXPECT_EQ(world.CountError("Class TConsole is not a GuiObject"), 1) << world.Text();
  EXPECT_EQ(applet->Console(), nullptr);
  applet->showMessage(u"no form", u"");
  EXPECT_EQ(world.CountError("Class ImageForm is not a TSkinnedWidget"), 1) << world.Text();
  EXPECT_EQ(applet->FindByClass("ImageForm"), nullptr);
  applet->fadeScreenToColorWait(u"#FFFF0000", 1);
  applet->killParticles();
  world.Steps(2);
  EXPECT_FALSE(applet->Terminated());
}

TEST(AppletCollaborators, AClassThatIsNotRegisteredIsLeftOutSilently) {
  TAppletWorld world(WithoutStandIns());
  Applet* applet = world.Launch("object Game: Applet\nend\n");
  ASSERT_NE(applet, nullptr) << world.Text();
  applet->ToggleConsole();
  applet->showMessage(u"no form", u"");
  EXPECT_EQ(world.Text().find(" is not a "), std::string::npos) << world.Text();
  EXPECT_EQ(applet->FadeScreen(), nullptr);
  EXPECT_EQ(applet->Console(), nullptr);
}

}  // namespace
}  // namespace corvane
