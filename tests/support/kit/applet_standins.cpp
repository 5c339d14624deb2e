#include "tests/support/kit/applet_standins.h"

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "engine/shell/applet.h"
#include "scene/animation_effect.h"
#include "scene/materials.h"
#include "scene/skin.h"
#include "scene/skin_pixmap_persistent.h"
#include "scene/sprite.h"
#include "scene/particles/register.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TPictureWidget)
CORVANE_IMPLEMENT_CLASS(Screen)
CORVANE_IMPLEMENT_CLASS(InspectorForm)
CORVANE_IMPLEMENT_CLASS(DebugForm)
CORVANE_IMPLEMENT_CLASS(TConsole)
CORVANE_IMPLEMENT_CLASS(ImageForm)
CORVANE_IMPLEMENT_CLASS(Button)
CORVANE_IMPLEMENT_CLASS(EffectText)

void RegisterAppletStandIns(bool withSkin) {
  if (withSkin) RegisterClasses({Skin::StaticClass(), SkinElement::StaticClass()});
  RegisterClasses({Materials::StaticClass(), Material::StaticClass(), Screen::StaticClass(), InspectorForm::StaticClass(),
                   DebugForm::StaticClass(), TConsole::StaticClass(), ImageForm::StaticClass(),
                   Button::StaticClass(), Sprite::StaticClass(), AnimationEffect::StaticClass(),
                   TAnimationKey::StaticClass(), TAnimationKeys::StaticClass(),
                   EffectText::StaticClass()});
  RegisterParticleClasses();
}

// ------------------------------------------------------------ pictures

void TPictureWidget::Describe(TClassBuilder<TPictureWidget>& c) {
  c.Property("pixmap", &TPictureWidget::Pixmap);
  c.Property("text", &TPictureWidget::text);
}

TPictureWidget::TPictureWidget(const TCreateContext& context)
    : GuiObject(context), pixmap_(Create<TSkinPixmapPersistent>(TCreateContext(AppletObjectOf(this)))) {}

TPictureWidget::~TPictureWidget() { FreeAndNil(pixmap_); }

// --------------------------------------------------------------- widgets

void Screen::Describe(TClassBuilder<Screen>& c) { c.Property("Color", &Screen::color); }

TConsole::TConsole(const TCreateContext& context) : GuiObject(context) {
  auto* edit = Create<GuiObject>(TCreateContext(this));
  edit->SetName(u"edit");
  edit->SetStyle(edit->Style() + VisualObjectStyles{vsCanFocused});
}

void ImageForm::Describe(TClassBuilder<ImageForm>& c) { c.Property("style", &ImageForm::style); }

void Button::Describe(TClassBuilder<Button>& c) {
  c.Property("modalResult", &Button::modalResult).Default(mrNone);
  c.Method("click", &Button::click);
}

void Button::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  TPictureWidget::MouseUp(button, shift, x, y);
  if (button == mbLeft) click();
}

void Button::click() {
  if (Container* applet = AppletObjectOf(this); modalResult != mrNone && applet) applet->cancelModal(modalResult);
}

}  // namespace corvane::test
