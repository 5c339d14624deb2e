// Stand-ins for the scene and GUI classes an applet makes for itself, until
// the real ones exist: each plays its role for the applet
// (scene/applet_roles.h, gui/applet_roles.h), publishes what scripts and
// streams see of it ("Color", "text", "modalResult",
// "pixmap.objectName" ...) and remembers what was done to it. Pictures are
// the scene's real picture references. RegisterAppletStandIns registers
// them under the real names, with the real Materials, Material, skins,
// animation effect and particle classes.
#pragma once

#include <cstdint>
#include <string>

#include "base/lists/collection.h"
#include "base/reflection/persistent.h"
#include "base/reflection/set.h"
#include "base/reflection/type_info.h"
#include "engine/core/container.h"
#include "engine/core/effect.h"
#include "gui/applet_roles.h"
#include "gui/gui_object.h"
#include "scene/applet_roles.h"
#include "scene/pixmap_persistent.h"
#include "scene/skin_pixmap_persistent.h"


// The form styles, kept in the kit's own namespace so that they never meet
// the real ones.
namespace corvane::test {
enum TKitFormStyle : std::uint8_t { fsMoveable, fsSizeble };
using TFormStyles = TSet<TKitFormStyle>;
}  // namespace corvane::test

namespace corvane {
template <>
struct TTypeInfoOf<test::TKitFormStyle> {
  static const TTypeInfo* Get() {
    static const TTypeInfo info = TTypeInfo::Enumeration("TFormStyle", "fsMoveable, fsSizeble");
    return &info;
  }
};
}  // namespace corvane

namespace corvane::test {

// Every stand-in class and the real Materials and Material, by name; the
// real skin classes only with withSkin (the applet then loads its default
// skin).
void RegisterAppletStandIns(bool withSkin = false);

// A widget with a skin picture.
class TPictureWidget : public GuiObject, public TSkinnedWidget {
  CORVANE_CLASS(TPictureWidget, GuiObject)
  static void Describe(TClassBuilder<TPictureWidget>& c);
  explicit TPictureWidget(const TCreateContext& context);
  ~TPictureWidget() override;
  TSkinPixmapPersistent* Pixmap() const { return pixmap_; }
  void SetSkinElement(const std::string& name) override { pixmap_->SetObjectName(name); }
  void SetCaption(const std::u16string& value) override { text = value; }
  std::u16string text;

 private:
  TSkinPixmapPersistent* pixmap_;
};

class InspectorForm : public GuiObject {
  CORVANE_CLASS(InspectorForm, GuiObject)
  using GuiObject::GuiObject;
};

class DebugForm : public GuiObject {
  CORVANE_CLASS(DebugForm, GuiObject)
  using GuiObject::GuiObject;
};

// The console with its edit line, which takes the focus.
class TConsole : public GuiObject {
  CORVANE_CLASS(TConsole, GuiObject)
  explicit TConsole(const TCreateContext& context);
};

class ImageForm : public TPictureWidget, public TMovableForm {
  CORVANE_CLASS(ImageForm, TPictureWidget)
  static void Describe(TClassBuilder<ImageForm>& c);
  using TPictureWidget::TPictureWidget;
  void SetMovable(bool value) override { style.Set(fsMoveable, value); }
  TFormStyles style{fsMoveable};
};

class Sprite : public PositionObject, public TSpritePicture {
  CORVANE_CLASS(Sprite, PositionObject)
  static void Describe(TClassBuilder<Sprite>& c);
  explicit Sprite(const TCreateContext& context);
  ~Sprite() override;
  TPixmapPersistent* Pixmap() const { return pixmap_; }
  // Assigning a picture copies its values.
  void SetPixmap(TPixmapPersistent* value);
  void SetSpriteSize(float w, float h) override {
    width = w;
    height = h;
  }
  void SetPicture(const std::string& name) override { pixmap_->SetFileName(name); }
  float width = 10;
  float height = 10;

 private:
  TPixmapPersistent* pixmap_;
};

class EffectText : public GuiObject {
  CORVANE_CLASS(EffectText, GuiObject)
  explicit EffectText(const TCreateContext& context) : GuiObject(context) { SetSkipOwnEffects(true); }
};

}  // namespace corvane::test
