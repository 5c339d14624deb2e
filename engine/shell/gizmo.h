// The 3D design manipulator. At design time the engine puts the applet's
// Gizmo on the selected space object: three coloured axis lines and six box
// handles (GizmoBox), three that move the object along its axes and three
// that turn it about them. Dragging the gizmo's body moves the object in
// the world x-y plane, along z with Shift, or turns it about its up axis
// with Ctrl. The gizmo keeps no reference to the object: every
// recalculation copies its placement onto the engine's DesignSelected.
// Moves snap to 0.5 units, turns to 15 degrees, by truncation toward zero.
#pragma once

#include <string>

#include "engine/core/position_object.h"
#include "scene/box.h"

namespace corvane {

class Gizmo;

// One handle of the gizmo; its tagString is its role ("movex", "rotatez"
// ...) and its tagInt its colour.
class GizmoBox : public Box {
  CORVANE_CLASS(GizmoBox, Box)
  explicit GizmoBox(const TCreateContext& context);

  // Trunc(v / 0.5) * 0.5 and Trunc(v / 15) * 15 (degrees).
  static float SnapMove(float v);
  static float SnapAngle(float v);

  bool Dragging() const { return dragging_; }
  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseMove(TShiftState shift, float x, float y, float dx, float dy) override;
  void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;
  // Half transparent where hidden by other geometry, solid in front.
  void Paint() override;

 private:
  // The drag step of each role, with the gizmo g.
  void DragMove(Gizmo* g, const TSpaceVector& origin, const TSpaceVector& direction);
  void DragRotate(Gizmo* g, const TSpaceVector& origin, const TSpaceVector& direction);

  bool dragging_ = false;
  float startAngle_ = 0;
};

class Gizmo : public PositionObject {
  CORVANE_CLASS(Gizmo, PositionObject)
  explicit Gizmo(const TCreateContext& context);

  // Puts the gizmo on the object (hidden while it copies, so that nothing
  // flows back).
  void SetObject(PositionObject* object);
  // The world length a horizontal distance in applet units covers at the
  // gizmo's depth; 0.5 when the rays miss.
  float ScreenToReal(float distance);
  // The handle of that role among the gizmo's children; nullptr when gone.
  GizmoBox* Handle(const std::u16string& role) const;
  bool Dragging() const { return dragging_; }

  // Then copies the placement onto the selected object.
  void RecalcAbsolute() override;
  // The selected object's own hit tests: a click on it hits the gizmo too.
  bool PointInObject(float x, float y) override;
  bool RayCastIntersect(const TSpaceVector& origin, const TSpaceVector& direction) override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseMove(TShiftState shift, float x, float y, float dx, float dy) override;
  void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;

 private:
  // The selected positioned object the gizmo edits (DesignTarget).
  PositionObject* Selected() const;

  bool dragging_ = false;
  float rotateAccumulator_ = 0;
  // Set while the placement is copied onto the selected object.
  bool copying_ = false;
};

// The engine's design-selected positioned object a manipulator edits;
// nullptr when there is none, or when it is the manipulator or inside it.
PositionObject* DesignTarget(const PositionObject* manipulator);
// Puts a (hidden) manipulator on the object: its absolute direction, up
// and position, in that order, and its angles written without turning.
void TakePlacement(PositionObject* manipulator, PositionObject* object);
// Copies from's absolute position, direction and up (in that order) and
// its angles onto to; false when either died on the way.
bool CopyPlacement(PositionObject* from, PositionObject* to);

// The ray through a point in applet coordinates from the applet's device:
// origin (w 1) and normalised direction (w 0). False without a device.
bool PickRay(const BaseObject* object, float x, float y, TSpaceVector& origin, TSpaceVector& direction);

}  // namespace corvane
