// PositionObject: the visual object with a place. A 2D screen object or a 3D
// space object with a position, a facing direction, an up vector, a scale
// and three angles, combined into a local matrix and, through the chain of
// positioned parents, an absolute matrix. It also carries simple motion
// (velocity, gravity, friction, stepped movement with contact checks), the
// hooks by which scene objects attach a body of the physics engine, and the
// collision, spawn and unspawn handlers.
//
// Matrix rows are right * scale.x, direction * scale.y, up * scale.z and
// (position, 1), with right = direction x up; absolute = local * parent's
// absolute under a positioned parent, else local. The absolute matrix (and
// its inverse) is cached and recomputed only after something above or at
// the object changed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/geometry/coord.h"
#include "base/geometry/geometry.h"
#include "engine/core/visual_object.h"

namespace corvane {

class TDynamicEngine;
class TGuiPlacement;

CORVANE_ENUM(TPositionObjectKind, okScreen, okSpace);

class PositionObject : public VisualObject {
  CORVANE_CLASS(PositionObject, VisualObject)
  static void Describe(TClassBuilder<PositionObject>& c);
  explicit PositionObject(const TCreateContext& context);
  ~PositionObject() override;
  void BeforeDestruction() override;
  PositionObject* AsPositionObject() override { return this; }
  // The cheap test for widgets: their placement in the GUI layout of their
  // parent; nullptr for every other positioned object.
  virtual TGuiPlacement* AsGuiPlacement() { return nullptr; }

  // Published state.
  TPositionObjectKind Kind() const { return kind_; }
  // Sets the kind here and on every positioned object below.
  void SetKind(TPositionObjectKind kind);
  bool ZTest() const { return zTest_; }
  void SetZTest(bool value) { zTest_ = value; }
  TSpaceCoord* Position() const { return position_.get(); }
  TSpaceCoord* Direction() const { return direction_.get(); }
  TSpaceCoord* Up() const { return up_.get(); }
  TSpaceCoord* Scale() const { return scale_.get(); }
  TSpaceCoord* Velocity() const { return velocity_.get(); }
  TSpaceCoord* Gravity() const { return gravity_.get(); }
  // Each copies the given coordinate's values into the object's own.
  void SetPosition(TSpaceCoord* value);
  void SetDirection(TSpaceCoord* value);
  void SetUp(TSpaceCoord* value);
  void SetScale(TSpaceCoord* value);
  void SetVelocity(TSpaceCoord* value);
  float X() const { return position_->Coordinates().x; }
  float Y() const { return position_->Coordinates().y; }
  float Z() const { return position_->Coordinates().z; }
  void SetX(float value) { position_->SetCoordinateX(value); }
  void SetY(float value) { position_->SetCoordinateY(value); }
  void SetZ(float value) { position_->SetCoordinateZ(value); }
  // Degrees about right, direction and up. Setting one turns direction and
  // up by the difference; the stored value is normalised into (-180, 180].
  float XAngle() const { return angles_.x; }
  float YAngle() const { return angles_.y; }
  float ZAngle() const { return angles_.z; }
  void SetXAngle(float value);
  void SetYAngle(float value);
  void SetZAngle(float value);
  // Writes the angles without turning anything (direction and up already
  // hold the turn).
  void SetAnglesDirect(float zAngle, float yAngle, float xAngle);
  // The extents of the bounds box.
  TSpaceCoord* Bounds() const;
  std::int32_t Body() const { return body_; }
  void SetBody(std::int32_t body) { body_ = body; }
  // A script's write of `body`. A body is made and destroyed with its
  // object, so any other number is refused with an error line: another
  // object's body would be moved and destroyed with this one.
  void WriteBody(std::int32_t body);
  bool Collisable() const { return collisable_; }
  void SetCollisable(bool value) { collisable_ = value; }
  bool ColliseTrack() const { return colliseTrack_; }
  void SetColliseTrack(bool value) { colliseTrack_ = value; }
  bool ColliseOnStay() const { return colliseOnStay_; }
  void SetColliseOnStay(bool value) { colliseOnStay_ = value; }
  bool Dynamic() const { return dynamic_; }
  void SetDynamic(bool value) { dynamic_ = value; }
  float Friction() const { return friction_; }
  void SetFriction(float value) { friction_ = value; }
  const std::u16string& OnTrigger() const { return onTrigger_; }
  // Run by the physics engine for each object a complex query reaches.
  const std::u16string& OnComplexCollise() const { return onComplexCollise_; }
  void SetOnComplexCollise(const std::u16string& text) { onComplexCollise_ = text; }
  void SetOnCollise(const std::u16string& text) { onCollise_ = text; }
  void SetOnTrigger(const std::u16string& text) { onTrigger_ = text; }
  bool Moving() const { return moving_; }
  float LastStep() const { return lastStep_; }
  const TSpaceVector& LastContactNormal() const { return lastNormal_; }

  // Matrices.
  const TSpaceMatrix& LocalMatrix() const { return local_; }
  // Takes direction, up and position from the rows (a zero row gives the
  // default axis), scale 1, and rebuilds.
  void SetLocalMatrix(const TSpaceMatrix& m);
  virtual void RebuildMatrix();
  virtual const TSpaceMatrix& GetAbsoluteMatrix();
  const TSpaceMatrix& GetInvertAbsoluteMatrix();
  virtual TSpaceVector GetAbsolutePosition();
  virtual TSpaceVector GetAbsoluteDirection();
  virtual TSpaceVector GetAbsoluteUp();
  TSpaceVector GetAbsoluteRight();
  TSpaceVector RightVector() const;
  TSpaceVector LeftVector() const;
  void SetAbsolutePosition(const TSpaceVector& p);
  void SetAbsoluteDirection(const TSpaceVector& v);
  void SetAbsoluteUp(const TSpaceVector& v);
  void RecalcAbsolute() override;
  void SetParent(BaseObject* parent) override;
  TPoint AbsoluteToLocal(const TPoint& p) override;
  TPoint LocalToAbsolute(const TPoint& p) override;
  TSpaceVector VectorAbsoluteToLocal(const TSpaceVector& v) override;
  TSpaceVector VectorLocalToAbsolute(const TSpaceVector& v) override;
  // position += direction * d.
  void Move(float d);

  // Bounds: none here; scene objects override both.
  virtual float GetBoundsRadius() { return 0; }
  virtual TAABB GetBoundsBox();

  // Physics.
  TDynamicEngine* PhysicsEngine() const;
  // The physics world of the object's kind; 0 without a physics engine.
  std::int32_t World() const;
  // Creates the applet's physics engine when a class is registered and the
  // applet has none; descendants then create their body.
  virtual void CreateDynamics();
  virtual void DestroyDynamics() {}
  void recreateDynamic();
  // A contact reported by the physics engine.
  virtual void Collise(PositionObject* other, const TSpaceVector& position, const TSpaceVector& normal);
  std::int32_t complexCollise(bool runHandlers);
  void spawn();
  void unspawn();
  // Pushes the bodies within radius away from the object (a velocity change
  // of strength); unusable values are refused with an error line.
  void explode(float radius, float strength);
  void screenToLocal(float x, float y);

  // Motion: one step of dt seconds, cut into steps no longer than the
  // bounds radius with a contact check after each.
  void forward(float dt);
  // Undoes the last forward step.
  void back();

  // Drawing.
  void SetMatrix() override;
  void PaintObject() override;
  virtual void PaintDynamics();
  TRect GetUpdateRect() override;
  // The update rectangle of a local rectangle (0, 0, width, height): the
  // smallest one holding its corners in absolute units, grown from
  // (4096, 4096, -4096, -4096).
  TRect CornersUpdateRect(float width, float height);

  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void ProcessTick(float dt, float time) override;
  void PrepareForDispose() override;

 protected:
  // For descendants' DestroyDynamics: the physics engine (when there is
  // one) removes the body, and the handle is cleared.
  void RemoveBody();

  virtual void PositionChanged();
  virtual void DirectionChanged();
  virtual void UpChanged();
  virtual void ScaleChanged();
  virtual void VelocityChanged();
  virtual void GravityChanged() {}

 private:
  static TSpaceCoord* MakeCoord(TObject* owner, const TSpaceVector& value);
  // The positioned parent, or nullptr.
  PositionObject* PositionParent() const;
  bool SyncsBody() const;
  // Marks the cached matrices of the subtree out of date, whatever their
  // state (the subtree moved to another parent), and moves bodies along.
  void InvalidateSubtree();
  void SetAngle(float TSpaceVector::*angle, const TSpaceVector& axis, float value);
  // Clears the contacts and asks the physics engine for this object's
  // contacts (when it tracks them, an engine exists and it is not being
  // disposed).
  void CheckContacts();
  // position += velocity * seconds.
  void Advance(float seconds);

  TPositionObjectKind kind_ = okScreen;
  bool zTest_ = false;
  TOwned<TSpaceCoord> position_;
  TOwned<TSpaceCoord> direction_;
  TOwned<TSpaceCoord> up_;
  TOwned<TSpaceCoord> scale_;
  TOwned<TSpaceCoord> velocity_;
  TOwned<TSpaceCoord> gravity_;
  mutable TOwned<TSpaceCoord> bounds_;
  TSpaceVector angles_{0, 0, 0, 1};
  std::int32_t body_ = 0;
  bool collisable_ = false;
  bool colliseTrack_ = false;
  bool colliseOnStay_ = false;
  bool dynamic_ = false;
  float friction_ = 1.0f;
  // What a tick of a resting body reads, kept together with body_.
  bool absoluteDirty_ = true;
  bool inverseDirty_ = true;
  // Set while a change callback rewrites the other vectors.
  bool updating_ = false;
  bool moving_ = false;
  // The body's matrix stamp when copiedBody_ was found equal to its matrix
  // (0: not known to be), and whether absolute_ has equalled
  // copiedAbsolute_ since it was last computed.
  bool absoluteCopied_ = false;
  std::uint64_t copiedStamp_ = 0;
  TSpaceMatrix local_ = IdentitySpaceMatrix;
  TSpaceMatrix absolute_ = IdentitySpaceMatrix;
  TSpaceMatrix inverse_ = IdentitySpaceMatrix;
  std::u16string onCollise_;
  std::u16string onComplexCollise_;
  std::u16string onComplexColliseAction_;
  std::u16string onTrigger_;
  std::u16string onSpawn_;
  std::u16string onUnspawn_;
  float lastStep_ = 0;
  TSpaceVector lastNormal_{};
  std::vector<PositionObject*> contacts_;
  // The body's matrix last copied into the object, and the object's
  // absolute matrix right after (zero before any copy).
  TSpaceMatrix copiedBody_{};
  TSpaceMatrix copiedAbsolute_{};
  bool nonFiniteReported_ = false;
};

}  // namespace corvane
