// Dummy: a positioned object with no look and no behaviour of its own. It
// groups children under one placement, stands in for objects of classes
// that are not registered, and lays out GUI widgets placed in it over the
// applet's window exactly as the applet lays out its own.
#pragma once

#include "engine/core/position_object.h"

namespace corvane {

class Dummy : public PositionObject {
  CORVANE_CLASS(Dummy, PositionObject)
  using PositionObject::PositionObject;

  // A GUI widget among the children turns layout on (for good).
  void AddChild(BaseObject* child) override;
  // Every recalculation lays the widgets out again.
  void RecalcAbsolute() override;
  // The applet's layout over the whole window, with the applet's remembered
  // extents; nothing without GUI children, an applet or a window.
  void ReAlign();
  bool HasGuiChildren() const { return hasGuiChildren_; }
  bool IsGroupingObject() const override { return true; }

 private:
  bool hasGuiChildren_ = false;
};

}  // namespace corvane
