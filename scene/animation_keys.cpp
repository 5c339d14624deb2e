#include "scene/animation_keys.h"

#include "base/geometry/color.h"
#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TAnimationKey)
CORVANE_IMPLEMENT_CLASS(TAnimationKeys)

namespace {

// A colour key is written while it holds a colour: reading it back sets the
// channel's switch, which a key at 0 never did.
bool ColorStored(std::uint32_t color) { return color != 0; }

}  // namespace

void TAnimationKey::Describe(TClassBuilder<TAnimationKey>& c) {
  c.Property("key", &TAnimationKey::key).Default(0);
  c.Property("alpha", &TAnimationKey::alpha, &TAnimationKey::SetAlpha).Default(0);
  c.Property("color", &TAnimationKey::ColorText, &TAnimationKey::SetColorText)
      .Stored([](const TAnimationKey& k) { return ColorStored(k.color); });
  c.Property("secondColor", &TAnimationKey::SecondColorText, &TAnimationKey::SetSecondColorText)
      .Stored([](const TAnimationKey& k) { return ColorStored(k.secondColor); });
  c.Property("xAngle", &TAnimationKey::xAngle, &TAnimationKey::SetXAngle).Default(0);
  c.Property("yAngle", &TAnimationKey::yAngle, &TAnimationKey::SetYAngle).Default(0);
  c.Property("zAngle", &TAnimationKey::zAngle, &TAnimationKey::SetZAngle).Default(0);
  c.Property("x", &TAnimationKey::x, &TAnimationKey::SetX).Default(0);
  c.Property("y", &TAnimationKey::y, &TAnimationKey::SetY).Default(0);
  c.Property("z", &TAnimationKey::z, &TAnimationKey::SetZ).Default(0);
  c.Property("deltaX", &TAnimationKey::deltaX, &TAnimationKey::SetDeltaX).Default(0);
  c.Property("deltaY", &TAnimationKey::deltaY, &TAnimationKey::SetDeltaY).Default(0);
  c.Property("deltaZ", &TAnimationKey::deltaZ, &TAnimationKey::SetDeltaZ).Default(0);
  c.Property("scale", &TAnimationKey::scale, &TAnimationKey::SetScale).Default(0);
}

void TAnimationKey::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TAnimationKey*>(source);
  if (!other) return TCollectionItem::Assign(source);
  alpha = other->alpha;
  color = other->color;
  secondColor = other->secondColor;
  key = other->key;
  zAngle = other->zAngle;
  xAngle = other->xAngle;
  yAngle = other->yAngle;
  z = other->z;
  x = other->x;
  y = other->y;
  scale = other->scale;
  timeOffset = other->timeOffset;
  deltaZ = other->deltaZ;
  deltaX = other->deltaX;
  deltaY = other->deltaY;
}

TAnimationKeys* TAnimationKey::Keys() const { return static_cast<TAnimationKeys*>(Collection()); }

void TAnimationKey::SetChannel(float& field, float value, TAnimationChannel channel) {
  if (field == value) return;
  field = value;
  if (TAnimationKeys* keys = Keys()) keys->SetUsing(channel, true);
}

void TAnimationKey::SetColorChannel(std::uint32_t& field, const std::u16string& text, TAnimationChannel channel) {
  if (text.empty()) return;
  field = StrToColor(text);
  if (TAnimationKeys* keys = Keys()) keys->SetUsing(channel, true);
}

std::u16string TAnimationKey::ColorText() const { return ColorToStr(color); }
void TAnimationKey::SetColorText(const std::u16string& text) { SetColorChannel(color, text, acColor); }
std::u16string TAnimationKey::SecondColorText() const { return ColorToStr(secondColor); }
void TAnimationKey::SetSecondColorText(const std::u16string& text) {
  SetColorChannel(secondColor, text, acSecondColor);
}

namespace {

template <TAnimationChannel Channel>
void Switch(TClassBuilder<TAnimationKeys>& c, const char* name) {
  c.Property(
       name, [](const TAnimationKeys& k) { return k.Using(Channel); },
       [](TAnimationKeys& k, bool value) { k.SetUsing(Channel, value); })
      .Default(false);
}

}  // namespace

void TAnimationKeys::Describe(TClassBuilder<TAnimationKeys>& c) {
  Switch<acColor>(c, "colorUsing");
  Switch<acSecondColor>(c, "secondColorUsing");
  Switch<acAlpha>(c, "alphaUsing");
  Switch<acXAngle>(c, "xAngleUsing");
  Switch<acYAngle>(c, "yAngleUsing");
  Switch<acZAngle>(c, "zAngleUsing");
  Switch<acX>(c, "xUsing");
  Switch<acY>(c, "yUsing");
  Switch<acZ>(c, "zUsing");
  Switch<acDeltaX>(c, "deltaXUsing");
  Switch<acDeltaY>(c, "deltaYUsing");
  Switch<acDeltaZ>(c, "deltaZUsing");
  Switch<acScale>(c, "scaleUsing");
}

TAnimationKeys::TAnimationKeys(TPersistent* effect) : TCollection(TAnimationKey::StaticClass(), effect) {}

void TAnimationKeys::Assign(const TPersistent* source) {
  TCollection::Assign(source);
  if (const auto* other = dynamic_cast<const TAnimationKeys*>(source)) channels_ = other->channels_;
}

}  // namespace corvane
