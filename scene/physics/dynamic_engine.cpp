#include "scene/physics/dynamic_engine.h"

#include <cmath>
#include <map>

#include "base/reflection/class_builder.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TDynamicEngine)

TClass DynamicEngineClass = nullptr;

namespace {

std::map<std::string, TClass>& Registry() {
  static std::map<std::string, TClass> registry;
  return registry;
}

}  // namespace

std::u16string ExplosionRefusal(const TSpaceVector& centre, float radius, float strength) {
  const auto text = [](float value) { return WidenLatin1(FloatToStrGeneral(value)); };
  if (!std::isfinite(centre.x) || !std::isfinite(centre.y) || !std::isfinite(centre.z))
    return u"its centre is no number";
  if (!(radius >= 0) || !std::isfinite(radius)) return u"radius " + text(radius) + u" is not a length";
  if (!(std::fabs(strength) <= kMaxExplosionStrength))
    return u"strength " + text(strength) + u" is not from " + text(-kMaxExplosionStrength) + u" to " +
           text(kMaxExplosionStrength);
  return {};
}

void TDynamicEngine::UpdateWorlds(float dt) {
  if (ScreenWorld != 0) UpdateWorld(ScreenWorld, dt);
  if (SpaceWorld != 0) UpdateWorld(SpaceWorld, dt);
}

std::uint64_t TDynamicEngine::BodyMatrixStamp(std::int32_t) { return NewMatrixStamp(); }

std::uint64_t TDynamicEngine::NewMatrixStamp() {
  // One counter for every engine: an object that keeps a number of one
  // engine's body never meets it again on another (64 bits do not wrap).
  static std::uint64_t last = 0;
  return ++last;
}

void RegisterDynamic(TClass cls) {
  if (cls) Registry()[AsciiUpperCase(cls->Name())] = cls;
}

}  // namespace corvane
