#include "tests/support/kit/applet_standins.h"

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "engine/shell/applet.h"
#include "scene/materials.h"
#include "scene/pixmap_persistent.h"
#include "scene/skin.h"
#include "scene/skin_pixmap_persistent.h"
#include "scene/particles/register.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TPictureWidget)
CORVANE_IMPLEMENT_CLASS(Screen)
CORVANE_IMPLEMENT_CLASS(InspectorForm)
CORVANE_IMPLEMENT_CLASS(DebugForm)
CORVANE_IMPLEMENT_CLASS(TConsole)
CORVANE_IMPLEMENT_CLASS(ImageForm)
CORVANE_IMPLEMENT_CLASS(Button)
CORVANE_IMPLEMENT_CLASS(Sprite)
CORVANE_IMPLEMENT_CLASS(TAnimationKey)
CORVANE_IMPLEMENT_CLASS(AnimationEffect)
CORVANE_IMPLEMENT_CLASS(EffectText)

void RegisterAppletStandIns(bool withSkin) {
  if (withSkin) RegisterClasses({Skin::StaticClass(), SkinElement::StaticClass()});
  RegisterClasses({Materials::StaticClass(), Material::StaticClass(), Screen::StaticClass(), InspectorForm::StaticClass(),
                   DebugForm::StaticClass(), TConsole::StaticClass(), ImageForm::StaticClass(),
                   Button::StaticClass(), Sprite::StaticClass(), AnimationEffect::StaticClass(),
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

void Sprite::Describe(TClassBuilder<Sprite>& c) {
  c.Property("pixmap", &Sprite::Pixmap, &Sprite::SetPixmap);
  c.Property("width", &Sprite::width);
  c.Property("height", &Sprite::height);
}

Sprite::Sprite(const TCreateContext& context)
    : PositionObject(context), pixmap_(Create<TPixmapPersistent>(TCreateContext(AppletObjectOf(this)))) {}

Sprite::~Sprite() { FreeAndNil(pixmap_); }

void Sprite::SetPixmap(TPixmapPersistent* value) {
  if (value) pixmap_->Assign(value);
}

// ---------------------------------------------------------------- effects

void TAnimationKey::Describe(TClassBuilder<TAnimationKey>& c) {
  c.Property("key", &TAnimationKey::key);
  c.Property("alpha", &TAnimationKey::alpha);
}

void AnimationEffect::Describe(TClassBuilder<AnimationEffect>& c) { c.Property("keys", &AnimationEffect::Keys); }

AnimationEffect::AnimationEffect(const TCreateContext& context)
    : Effect(context), keys_(new TCollection(TAnimationKey::StaticClass(), this)) {
  SetRunningTime(2.0f);
}

AnimationEffect::~AnimationEffect() { keys_->Free(); }

void AnimationEffect::CalcRunningTime() {
  if (keys_->Count() >= 2)
    SetRunningTime(static_cast<float>(static_cast<TAnimationKey*>(keys_->Items(keys_->Count() - 1))->key) / 30.0f);
}

void AnimationEffect::AddAlphaKey(std::int32_t frame, float alpha) {
  auto* key = static_cast<TAnimationKey*>(keys_->Add());
  if (!key) return;
  key->key = static_cast<std::uint32_t>(frame);
  key->alpha = alpha;
}

void AnimationEffect::SetKeyFrame(std::int32_t index, std::int32_t frame) {
  if (index < 0) return;
  while (keys_->Count() <= index)
    if (!keys_->Add()) return;
  static_cast<TAnimationKey*>(keys_->Items(index))->key = static_cast<std::uint32_t>(frame);
}

void AnimationEffect::SetRunning(bool value) {
  CalcRunningTime();
  Effect::SetRunning(value);
}

void AnimationEffect::ProcessEffect(float dt, float) {
  CalcRunningTime();
  auto* target = Parent() ? Parent()->AsVisualObject() : nullptr;
  if (!target || keys_->Count() < 2) return;
  const float t = Elapsed() + dt;
  for (int i = 0; i + 1 < keys_->Count(); ++i) {
    auto* k1 = static_cast<TAnimationKey*>(keys_->Items(i));
    auto* k2 = static_cast<TAnimationKey*>(keys_->Items(i + 1));
    const float t1 = static_cast<float>(k1->key) / 30.0f;
    const float t2 = static_cast<float>(k2->key) / 30.0f;
    if (t1 < t && t <= t2) {
      target->SetAlpha(k1->alpha + (k2->alpha - k1->alpha) * (t - t1) / (t2 - t1));
      return;
    }
  }
  if (t > static_cast<float>(static_cast<TAnimationKey*>(keys_->Items(keys_->Count() - 1))->key) / 30.0f)
    target->SetAlpha(static_cast<TAnimationKey*>(keys_->Items(keys_->Count() - 1))->alpha);
}

}  // namespace corvane::test
