// Coordinate objects: a plane or space vector as a persistent, so that a
// position, direction, up vector, scale or velocity can be a published
// property of a scene object (streamed, shown by the inspector, changed by
// scripts). Every change calls the owner back through OnChange, which the
// owner uses to rebuild what depends on the vector (its matrix).
#pragma once

#include <string>

#include "base/geometry/geometry.h"
#include "base/reflection/notify_event.h"
#include "base/reflection/persistent.h"

namespace corvane {

template <class C>
class TClassBuilder;

class TPlaneCoord : public TSomePersistent {
  CORVANE_CLASS(TPlaneCoord, TSomePersistent)
  static void Describe(TClassBuilder<TPlaneCoord>& c);
  explicit TPlaneCoord(const TCreateContext& context) : TSomePersistent(context) {}
  // Created with all three components from value.
  static TPlaneCoord* CreateInitialized(TObject* owner, const TPlaneVector& value);

  // From another plane coordinate: all three components, without
  // notification.
  void Assign(const TPersistent* source) override;

  const TPlaneVector& Coordinates() const { return coords_; }

  // x, y + v.x, v.y.
  void Translate(const TPlaneVector& v);
  // x, y + f v; w := 1.
  void AddScaledVector(float f, const TPlaneVector& v);
  // Unit length; w := 1.
  void Normalize();
  // x, y times f.
  void Scale(float f);
  // x, y negated.
  void Invert();
  // Only w := 1: a plane coordinate has no axis to turn about.
  void Rotate(const TPlaneVector& axis, float angle);
  // (x, y, 1).
  void SetValues(float x, float y);
  void SetDirectVector(const TPlaneVector& v);
  // (0, 0, 1).
  void SetToZero();
  void SetCoordinateX(float x);
  void SetCoordinateY(float y);

  float VectorLength() const;
  float VectorNorm() const;
  // The larger of x and y.
  float MaxXY() const;
  // Whether x and y equal v's exactly; w is bookkeeping, not compared.
  bool Equals(const TPlaneVector& v) const;
  // x, y and w lie consecutively from here.
  float* AsAddress() { return &coords_.x; }
  // "x y" in the general number form.
  std::u16string GetAsString() const;

  TNotifyEvent OnChange;

 protected:
  void Change();

 private:
  TPlaneVector coords_;
};

// Streaming: x, y and z are written only where they differ from the
// coordinate's default. The default of a coordinate made by CreateInitialized
// is its initial value; an owner whose construction moves the coordinate
// after creating it calls MarkDefault() once its construction is over (at
// the end of its constructor, or in AfterConstruction when nothing has been
// read into it yet), so that the start value a fresh owner has is never
// written and anything else always is.
class TSpaceCoord : public TSomePersistent {
  CORVANE_CLASS(TSpaceCoord, TSomePersistent)
  static void Describe(TClassBuilder<TSpaceCoord>& c);
  // All zero, default (0, 0, 0, 1), stored.
  explicit TSpaceCoord(const TCreateContext& context) : TSomePersistent(context) {}
  // Created with all four components, and the default, from value; stored.
  static TSpaceCoord* CreateInitialized(TObject* owner, const TSpaceVector& value);

  // From another space coordinate: all four components, without
  // notification.
  void Assign(const TPersistent* source) override;

  const TSpaceVector& Coordinates() const { return coords_; }

  // x, y, z + v.
  void Translate(const TSpaceVector& v);
  // The coordinates plus SpaceVectorScale(v, f): x, y, z + f v, w + 1.
  void AddScaledVector(float f, const TSpaceVector& v);
  // Turned about axis by degrees.
  void Rotate(const TSpaceVector& axis, float degrees);
  void SetValues(float x, float y, float z);                // (x, y, z, 1)
  void SetSpaceVector(const TSpaceVector& v);               // (v.x, v.y, v.z, 1)
  void SetDirectVector(const TSpaceVector& v);              // all four
  void SetDirectVectorNoChange(const TSpaceVector& v);      // x, y, z; no notification
  void SetCoordinateX(float x);
  void SetCoordinateY(float y);
  void SetCoordinateZ(float z);

  // Published methods, callable from scripts.
  void setToZero();                   // (0, 0, 0, 0)
  void normalize();                   // unit length, w 1
  void invert();                      // x, y, z negated
  void copy(TSpaceCoord* other);      // all four of other's components
  void reflect(TSpaceCoord* normal);  // mirrored in the plane of normal
  void rotateX(float degrees);
  void rotateY(float degrees);
  void rotateZ(float degrees);
  void scale(float f);                // x, y, z times f, w 1

  // Whether the coordinate is streamed at all.
  bool IsStored() const { return stored_; }
  void SetStored(bool stored) { stored_ = stored; }
  bool IsStoredX() const { return stored_ && coords_.x != default_.x; }
  bool IsStoredY() const { return stored_ && coords_.y != default_.y; }
  bool IsStoredZ() const { return stored_ && coords_.z != default_.z; }
  const TSpaceVector& DefaultValue() const { return default_; }
  // The current value becomes the default.
  void MarkDefault() { default_ = coords_; }

  // Over x, y, z.
  float VectorLength() const;
  float VectorNorm() const;
  // The largest of x, y and z.
  float MaxXYZ() const;
  // Whether x, y and z equal v's exactly; w is bookkeeping, not compared.
  bool Equals(const TSpaceVector& v) const;
  // x, y, z and w lie consecutively from here.
  float* AsAddress() { return &coords_.x; }
  // "x y z" in the general number form.
  std::u16string GetAsString() const;

  TNotifyEvent OnChange;

 protected:
  void Change();

 private:
  TSpaceVector coords_;
  TSpaceVector default_{0, 0, 0, 1};
  bool stored_ = true;
};

}  // namespace corvane
