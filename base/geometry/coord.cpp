#include "base/geometry/coord.h"

#include "base/geometry/matrix.h"
#include "base/geometry/scalar_math.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TPlaneCoord)
CORVANE_IMPLEMENT_CLASS(TSpaceCoord)

namespace {

std::u16string NumberText(float v) { return WidenLatin1(FloatToStrGeneral(v)); }

}  // namespace

// --- TPlaneCoord ---

void TPlaneCoord::Describe(TClassBuilder<TPlaneCoord>& c) {
  c.Property("x", [](const TPlaneCoord& o) { return o.coords_.x; }, &TPlaneCoord::SetCoordinateX);
  c.Property("y", [](const TPlaneCoord& o) { return o.coords_.y; }, &TPlaneCoord::SetCoordinateY);
}

TPlaneCoord* TPlaneCoord::CreateInitialized(TObject* owner, const TPlaneVector& value) {
  TPlaneCoord* coord = Create<TPlaneCoord>(TCreateContext(owner));
  coord->coords_ = value;
  return coord;
}

void TPlaneCoord::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TPlaneCoord*>(source)) coords_ = other->coords_;
  else TSomePersistent::Assign(source);
}

void TPlaneCoord::Change() {
  if (OnChange) OnChange(this);
}

void TPlaneCoord::Translate(const TPlaneVector& v) {
  coords_.x += v.x;
  coords_.y += v.y;
  Change();
}

void TPlaneCoord::AddScaledVector(float f, const TPlaneVector& v) {
  coords_ = {static_cast<float>(coords_.x + static_cast<double>(f) * v.x),
             static_cast<float>(coords_.y + static_cast<double>(f) * v.y), 1};
  Change();
}

void TPlaneCoord::Normalize() {
  NormalizePlaneVector(coords_);
  Change();
}

void TPlaneCoord::Scale(float f) {
  coords_.x *= f;
  coords_.y *= f;
  Change();
}

void TPlaneCoord::Invert() {
  coords_.x = -coords_.x;
  coords_.y = -coords_.y;
  Change();
}

void TPlaneCoord::Rotate(const TPlaneVector& /*axis*/, float /*angle*/) {
  coords_.w = 1;
  Change();
}

void TPlaneCoord::SetValues(float x, float y) {
  coords_ = {x, y, 1};
  Change();
}

void TPlaneCoord::SetDirectVector(const TPlaneVector& v) {
  coords_ = v;
  Change();
}

void TPlaneCoord::SetToZero() { SetValues(0, 0); }

void TPlaneCoord::SetCoordinateX(float x) {
  coords_.x = x;
  Change();
}

void TPlaneCoord::SetCoordinateY(float y) {
  coords_.y = y;
  Change();
}

float TPlaneCoord::VectorLength() const { return PlaneVectorLength(coords_); }
float TPlaneCoord::VectorNorm() const { return PlaneVectorNorm(coords_); }

float TPlaneCoord::MaxXY() const { return MaxFloat(coords_.x, coords_.y); }

bool TPlaneCoord::Equals(const TPlaneVector& v) const { return coords_.x == v.x && coords_.y == v.y; }

std::u16string TPlaneCoord::GetAsString() const { return NumberText(coords_.x) + u" " + NumberText(coords_.y); }

// --- TSpaceCoord ---

void TSpaceCoord::Describe(TClassBuilder<TSpaceCoord>& c) {
  // Writing the length is accepted and changes nothing.
  c.Property("length", &TSpaceCoord::VectorLength, [](TSpaceCoord&, float) {}).Stored(false);
  c.Property("x", [](const TSpaceCoord& o) { return o.coords_.x; }, &TSpaceCoord::SetCoordinateX)
      .Stored(&TSpaceCoord::IsStoredX);
  c.Property("y", [](const TSpaceCoord& o) { return o.coords_.y; }, &TSpaceCoord::SetCoordinateY)
      .Stored(&TSpaceCoord::IsStoredY);
  c.Property("z", [](const TSpaceCoord& o) { return o.coords_.z; }, &TSpaceCoord::SetCoordinateZ)
      .Stored(&TSpaceCoord::IsStoredZ);
  c.Method("setToZero", &TSpaceCoord::setToZero);
  c.Method("normalize", &TSpaceCoord::normalize);
  c.Method("invert", &TSpaceCoord::invert);
  c.Method("copy", &TSpaceCoord::copy);
  c.Method("reflect", &TSpaceCoord::reflect);
  c.Method("rotateX", &TSpaceCoord::rotateX);
  c.Method("rotateY", &TSpaceCoord::rotateY);
  c.Method("rotateZ", &TSpaceCoord::rotateZ);
  c.Method("scale", &TSpaceCoord::scale);
}

TSpaceCoord* TSpaceCoord::CreateInitialized(TObject* owner, const TSpaceVector& value) {
  TSpaceCoord* coord = Create<TSpaceCoord>(TCreateContext(owner));
  coord->coords_ = value;
  coord->default_ = value;
  coord->stored_ = true;
  return coord;
}

void TSpaceCoord::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TSpaceCoord*>(source)) coords_ = other->coords_;
  else TSomePersistent::Assign(source);
}

void TSpaceCoord::Change() {
  if (OnChange) OnChange(this);
}

void TSpaceCoord::Translate(const TSpaceVector& v) {
  coords_.x += v.x;
  coords_.y += v.y;
  coords_.z += v.z;
  Change();
}

void TSpaceCoord::AddScaledVector(float f, const TSpaceVector& v) {
  coords_ = SpaceVectorAdd(coords_, SpaceVectorScale(v, f));
  Change();
}

void TSpaceCoord::Rotate(const TSpaceVector& axis, float degrees) {
  RotateVector(coords_, axis, DegToRad(degrees));
  Change();
}

void TSpaceCoord::rotateX(float degrees) { Rotate({1, 0, 0, 1}, degrees); }
void TSpaceCoord::rotateY(float degrees) { Rotate({0, 1, 0, 1}, degrees); }
void TSpaceCoord::rotateZ(float degrees) { Rotate({0, 0, 1, 1}, degrees); }

void TSpaceCoord::normalize() {
  NormalizeSpaceVector(coords_);
  Change();
}

void TSpaceCoord::scale(float f) {
  coords_ = SpaceVectorScale(coords_, f);
  Change();
}

void TSpaceCoord::invert() {
  coords_.x = -coords_.x;
  coords_.y = -coords_.y;
  coords_.z = -coords_.z;
  Change();
}

void TSpaceCoord::SetValues(float x, float y, float z) {
  coords_ = {x, y, z, 1};
  Change();
}

void TSpaceCoord::SetSpaceVector(const TSpaceVector& v) { SetValues(v.x, v.y, v.z); }

void TSpaceCoord::SetDirectVector(const TSpaceVector& v) {
  coords_ = v;
  Change();
}

void TSpaceCoord::SetDirectVectorNoChange(const TSpaceVector& v) {
  coords_.x = v.x;
  coords_.y = v.y;
  coords_.z = v.z;
}

void TSpaceCoord::setToZero() { SetDirectVector({0, 0, 0, 0}); }

void TSpaceCoord::SetCoordinateX(float x) {
  coords_.x = x;
  Change();
}

void TSpaceCoord::SetCoordinateY(float y) {
  coords_.y = y;
  Change();
}

void TSpaceCoord::SetCoordinateZ(float z) {
  coords_.z = z;
  Change();
}

void TSpaceCoord::copy(TSpaceCoord* other) {
  if (!other) {
    EngineError(u"copy: no coordinate to copy from");
    return;
  }
  SetDirectVector(other->coords_);
}

void TSpaceCoord::reflect(TSpaceCoord* normal) {
  if (!normal) {
    EngineError(u"reflect: no normal to reflect at");
    return;
  }
  const float angle = ArcCos(SpaceVectorAngleCosine(normal->coords_, coords_));
  TSpaceVector result;
  if (std::fabs(angle) <= cPIdiv2) {
    // Not pointing against the normal: sent along it, keeping its length.
    EngineLog(u"reflext to normal");
    TSpaceVector n = normal->coords_;
    NormalizeSpaceVector(n);
    result = SpaceVectorScale(n, VectorLength());
  } else {
    result = SpaceVectorReflect(coords_, normal->coords_);
  }
  SetDirectVector(result);
}

float TSpaceCoord::VectorLength() const { return SpaceVectorLength(coords_); }
float TSpaceCoord::VectorNorm() const { return SpaceVectorNorm(coords_); }

float TSpaceCoord::MaxXYZ() const { return MaxFloat(MaxFloat(coords_.x, coords_.y), coords_.z); }

bool TSpaceCoord::Equals(const TSpaceVector& v) const {
  return coords_.x == v.x && coords_.y == v.y && coords_.z == v.z;
}

std::u16string TSpaceCoord::GetAsString() const {
  return NumberText(coords_.x) + u" " + NumberText(coords_.y) + u" " + NumberText(coords_.z);
}

}  // namespace corvane
