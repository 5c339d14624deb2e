#include "scene/animation_effect.h"

#include <algorithm>
#include <cmath>

#include "base/geometry/color.h"
#include "base/geometry/scalar_math.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/prop_access.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/position_object.h"
#include "engine/core/visual_object.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(AnimationEffect)
CORVANE_IMPLEMENT_CLASS(TwoPassEffect)

namespace {

// The font a widget publishes as "font"; null for any other object.
TFontPersistent* FontOf(const BaseObject& object) {
  const TPropInfo* prop = GetPropInfo(object, "font");
  if (!prop || prop->Kind() != pkClass || !prop->CanRead()) return nullptr;
  return dynamic_cast<TFontPersistent*>(GetObjectProp(object, *prop));
}

// Where t lies between the keys; 0 for keys at one time, where the quotient
// would be 0/0.
float KeyFraction(float t, const TAnimationKey& k1, const TAnimationKey& k2) {
  const float span = k2.Time() - k1.Time();
  return span == 0 ? 0.0f : (t - k1.Time()) / span;
}

// The first pair of neighbours with time(i) < t <= time(i + 1).
bool FindPair(const TAnimationKeys& keys, float t, TAnimationKey*& k1, TAnimationKey*& k2) {
  for (int i = 0; i + 1 < keys.Count(); ++i) {
    TAnimationKey* a = keys.Key(i);
    TAnimationKey* b = keys.Key(i + 1);
    if (a->Time() < t && t <= b->Time()) {
      k1 = a;
      k2 = b;
      return true;
    }
  }
  return false;
}

}  // namespace

// ------------------------------------------------------------ AnimationEffect

void AnimationEffect::Describe(TClassBuilder<AnimationEffect>& c) {
  c.Property("keys", &AnimationEffect::Keys, &AnimationEffect::SetKeys);
  c.Property("useCurrent", &AnimationEffect::UseCurrent, &AnimationEffect::SetUseCurrent).Default(false);
  c.Method("AddKey", &AnimationEffect::AddKey);
}

AnimationEffect::AnimationEffect(const TCreateContext& context)
    : Effect(context), keys_(new TAnimationKeys(this)) {
  SetRunningTime(2.0f);
}

AnimationEffect::~AnimationEffect() { FreeAndNil(keys_); }

void AnimationEffect::SetKeys(TAnimationKeys* value) {
  if (!value || value == keys_) return;
  keys_->Assign(value);
}

void AnimationEffect::AddKey(float frame, float alpha, const std::u16string& color,
                             const std::u16string& secondColor) {
  // The whole part must be a 32-bit unsigned frame: outside, the
  // conversion has no result (and a NaN compares false both ways).
  if (!(frame > -1.0f && frame < 4294967296.0f)) {
    EngineError(u"Key not added to " + (Name().empty() ? WidenLatin1(ClassName()) : Name()) + u": frame " +
                WidenLatin1(FloatToStrGeneral(frame)) + u" is not from 0 to 4294967295");
    return;
  }
  TAnimationKey* key = keys_->AddKey();
  if (!key) return;
  key->key = static_cast<std::uint32_t>(frame);
  key->SetAlpha(alpha);
  key->SetColorText(color);
  key->SetSecondColorText(secondColor);
}

void AnimationEffect::AddAlphaKey(std::int32_t frame, float alpha) {
  AddKey(static_cast<float>(frame), alpha, u"", u"");
}

void AnimationEffect::SetKeyFrame(std::int32_t index, std::int32_t frame) {
  if (index < 0) return;
  while (keys_->Count() <= index)
    if (!keys_->AddKey()) return;
  keys_->Key(index)->key = static_cast<std::uint32_t>(std::max(frame, 0));
}

void AnimationEffect::CalcRunningTime() {
  if (keys_->Count() >= 2) SetRunningTime(keys_->LastKey()->Time());
}

float AnimationEffect::CorrectTimeWithin(float t, float total) const {
  if (t <= total) return t;
  return Loop() ? t - total : total;
}

float AnimationEffect::CorrectTime(float t) {
  if (keys_->Count() < 2) return 0;
  return CorrectTimeWithin(t, keys_->LastKey()->Time());
}

bool AnimationEffect::FindKeys(float t, TAnimationKey*& k1, TAnimationKey*& k2) {
  return keys_->Count() >= 2 && FindPair(*keys_, t, k1, k2);
}

void AnimationEffect::ProcessEffect(float, float) {
  CalcRunningTime();
  curTime_ = CorrectTime(Elapsed());
  TAnimationKey* k1 = nullptr;
  TAnimationKey* k2 = nullptr;
  if (!FindKeys(curTime_, k1, k2)) return;
  Apply(*k1, *k2, KeyFraction(curTime_, *k1, *k2));
}

void AnimationEffect::Apply(const TAnimationKey& k1, const TAnimationKey& k2, float f) {
  BaseObject* parent = Parent();
  if (!parent) return;
  const std::uint32_t channels = Channels();
  auto on = [channels](TAnimationChannel channel) { return (channels & channel) != 0; };
  auto lerp = [f](float a, float b) { return Lerp(a, b, f); };

  // A positioned object is visual too: one question where most parents are.
  PositionObject* position = parent->AsPositionObject();
  VisualObject* visual = position ? position : parent->AsVisualObject();
  if (visual && on(acAlpha)) visual->SetAlpha(lerp(k1.alpha, k2.alpha));
  // The colour channel reaches no object; the second colour a widget's font.
  if (on(acSecondColor))
    if (TFontPersistent* font = FontOf(*parent)) font->SetColorNative(ColorLerp(k1.secondColor, k2.secondColor, f));
  if (!position) return;
  if (on(acXAngle)) position->SetXAngle(lerp(k1.xAngle, k2.xAngle));
  if (on(acYAngle)) position->SetYAngle(lerp(k1.yAngle, k2.yAngle));
  if (on(acZAngle)) position->SetZAngle(lerp(k1.zAngle, k2.zAngle));
  if (on(acX)) position->SetX(lerp(k1.x, k2.x));
  if (on(acY)) position->SetY(lerp(k1.y, k2.y));
  if (on(acZ)) position->SetZ(lerp(k1.z, k2.z));
  if (on(acDeltaX)) position->SetX(lerp(startPosition_.x + k1.deltaX, startPosition_.x + k2.deltaX));
  if (on(acDeltaY)) position->SetY(lerp(startPosition_.y + k1.deltaY, startPosition_.y + k2.deltaY));
  if (on(acDeltaZ)) position->SetZ(lerp(startPosition_.z + k1.deltaZ, startPosition_.z + k2.deltaZ));
  if (on(acScale)) {
    const float scale = lerp(k1.scale, k2.scale);
    position->Scale()->SetCoordinateX(scale);
    position->Scale()->SetCoordinateY(scale);
    position->Scale()->SetCoordinateZ(scale);
  }
}

void AnimationEffect::TakeCurrent(TAnimationKey& key) {
  BaseObject* parent = Parent();
  if (!parent) return;
  const std::uint32_t channels = Channels();
  auto on = [channels](TAnimationChannel channel) { return (channels & channel) != 0; };
  if (VisualObject* visual = parent->AsVisualObject(); visual && on(acAlpha)) key.alpha = visual->Alpha();
  if (on(acSecondColor))
    if (TFontPersistent* font = FontOf(*parent)) key.secondColor = font->Color();
  PositionObject* position = parent->AsPositionObject();
  if (!position) return;
  if (on(acXAngle)) key.xAngle = position->XAngle();
  if (on(acYAngle)) key.yAngle = position->YAngle();
  if (on(acZAngle)) key.zAngle = position->ZAngle();
  if (on(acX)) key.x = position->X();
  if (on(acY)) key.y = position->Y();
  if (on(acZ)) key.z = position->Z();
  if (on(acScale)) key.scale = position->Scale()->Coordinates().x;
}

void AnimationEffect::SetRunning(bool value) {
  if (PositionObject* position = Parent() ? Parent()->AsPositionObject() : nullptr)
    startPosition_ = position->Position()->Coordinates();
  if (useCurrent_ && keys_->Count() >= 2) TakeCurrent(*keys_->Key(0));
  Effect::SetRunning(value);
}

// -------------------------------------------------------------- TwoPassEffect

void TwoPassEffect::Describe(TClassBuilder<TwoPassEffect>& c) {
  c.Property("pass1", &TwoPassEffect::Keys, &TwoPassEffect::SetKeys);
  c.Property("pass2", &TwoPassEffect::Pass2, &TwoPassEffect::SetPass2);
  c.Property("pauseTime", &TwoPassEffect::PauseTime, &TwoPassEffect::SetPauseTime).Default(0);
}

TwoPassEffect::TwoPassEffect(const TCreateContext& context)
    : AnimationEffect(context), pass2_(new TAnimationKeys(this)) {}

TwoPassEffect::~TwoPassEffect() { FreeAndNil(pass2_); }

void TwoPassEffect::SetPass2(TAnimationKeys* value) {
  if (!value || value == pass2_) return;
  pass2_->Assign(value);
}

void TwoPassEffect::CalcRunningTime() {
  const TAnimationKey* end1 = Keys()->LastKey();
  const TAnimationKey* end2 = pass2_->LastKey();
  if (!end1 || !end2) return;
  // From the keys' own frames, so that the offset enters once: read back
  // through Time() it would grow by itself every frame.
  const float offset = end1->Time() + pauseTime_;
  SetRunningTime(offset + static_cast<float>(end2->key) / kAnimationKeyRate);
  for (int i = 0; i < pass2_->Count(); ++i) pass2_->Key(i)->timeOffset = offset;
}

float TwoPassEffect::CorrectTime(float t) {
  if (!BothPasses()) return 0;
  return CorrectTimeWithin(t, RunningTime());
}

bool TwoPassEffect::FindKeys(float t, TAnimationKey*& k1, TAnimationKey*& k2) {
  if (!BothPasses()) return false;
  if (FindPair(*Keys(), t, k1, k2)) return true;
  TAnimationKey* end1 = Keys()->LastKey();
  // The pause, up to where pass 2 begins.
  if (end1->Time() < t && t <= pass2_->Key(0)->Time()) {
    k1 = end1;
    k2 = pass2_->Key(0);
    return true;
  }
  return FindPair(*pass2_, t, k1, k2);
}

}  // namespace corvane
