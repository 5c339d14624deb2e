// VisualObject: everything in an applet's tree that is drawn or takes the
// mouse. It adds visibility, alpha, a material name, paint order and
// culling, dirty-rectangle reporting, hit testing, the virtual mouse, key
// and focus operations containers route to, hover and focus state, and the
// stock show, hide, enter and leave effects.
#pragma once

#include <cstdint>
#include <string>

#include "base/geometry/geometry.h"
#include "base/reflection/set.h"
#include "engine/core/base_object.h"
#include "platform/low_event.h"
#include "platform/media.h"

namespace corvane {

class Container;

CORVANE_ENUM(VisualObjectStyle, vsMouseAware, vsCanFocused, vsCanMirrored);
using VisualObjectStyles = TSet<VisualObjectStyle>;

// While a mirror draws its reflection, only children that may be mirrored
// are painted.
extern bool MirrorPaint;

class VisualObject : public BaseObject {
  CORVANE_CLASS(VisualObject, BaseObject)
  static void Describe(TClassBuilder<VisualObject>& c);
  explicit VisualObject(const TCreateContext& context);
  // A child made with its owner is adopted while only its base part exists;
  // once whole, it is adopted again so that the parent's visual part (and
  // its descendants' overrides) see it as what it is.
  void AfterConstruction() override;
  void Loaded() override;
  // Adopts the child, then recalculates this object (a visual child under a
  // translucent parent takes the parent's alpha). While a stream is read
  // into this object the recalculation waits for the end of the read.
  // Only the child is recalculated when nothing this object lays out
  // changed since its last recalculation: the whole object, walking every
  // child, on every add made adding n children cost n squared.
  void AddChild(BaseObject* child) override;
  void Remove(BaseObject* child) override;
  // A widget below changed what its place among its siblings depends on
  // (size, alignment, visibility, place): the next add lays them out again.
  void LayoutChanged() { layoutStale_ = true; }
  // Reads the object, then recalculates it once when children arrived: a
  // recalculation (and the layout that rides on it) per child would make
  // loading N siblings cost N squared.
  void ReadState(TGReader& reader) override;
  VisualObject* AsVisualObject() override { return this; }

  // Published state.
  bool Hot() const { return hot_; }
  void SetHot(bool value) { hot_ = value; }
  bool HotTrack() const { return hotTrack_; }
  void SetHotTrack(bool value) { hotTrack_ = value; }
  bool DesignTrack() const { return designTrack_; }
  void SetDesignTrack(bool value) { designTrack_ = value; }
  // hotTrack, or designTrack at design time: the object takes part in
  // hovering and in hit testing.
  bool TracksHover() const { return hotTrack_ || (DesignTime() && designTrack_); }
  bool Focused() const { return focused_; }
  void SetFocusedFlag(bool value) { focused_ = value; }
  const std::u16string& MaterialName() const { return material_; }
  void SetMaterialName(const std::u16string& value) { material_ = value; }
  float Alpha() const { return alpha_; }
  void SetAlpha(float value);
  THitTest HitTest() const { return hitTest_; }
  void SetHitTest(THitTest value) { hitTest_ = value; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value) { transparent_ = value; }
  bool Visible() const { return visible_; }
  bool Mirrored() const { return style_.Contains(vsCanMirrored); }
  void SetMirrored(bool value);
  VisualObjectStyles Style() const { return style_; }
  void SetStyle(VisualObjectStyles value) { style_ = value; }
  const std::u16string& OnMouseDown() const { return onMouseDown_; }
  void SetOnMouseDown(const std::u16string& text) { onMouseDown_ = text; }
  void SetOnMouseEnter(const std::u16string& text) { onMouseEnter_ = text; }
  void SetOnMouseLeave(const std::u16string& text) { onMouseLeave_ = text; }
  void SetOnSetFocus(const std::u16string& text) { onSetFocus_ = text; }
  void SetOnKillFocus(const std::u16string& text) { onKillFocus_ = text; }

  // Drawing.
  virtual void SetMatrix() {}
  virtual void PaintDesign();
  virtual void Paint() {}
  virtual void PaintChildren();
  // Culls or draws the object, then its children.
  virtual void PaintObject();
  // Grouping objects (Dummy, Mission) are never drawn themselves while the
  // applet culls by bounds; their children still are.
  virtual bool IsGroupingObject() const { return false; }
  // Drawn whatever the bounds say (what it draws lies anywhere, e.g. the
  // particle renderers').
  virtual bool NeverCulled() const { return false; }

  // Placement: the cached absolute transforms of the subtree are out of
  // date (positioned objects mark theirs, then the children follow).
  virtual void RecalcAbsolute();
  virtual TPoint AbsoluteToLocal(const TPoint& p) { return p; }
  virtual TPoint LocalToAbsolute(const TPoint& p) { return p; }
  virtual TSpaceVector VectorAbsoluteToLocal(const TSpaceVector& v) { return v; }
  virtual TSpaceVector VectorLocalToAbsolute(const TSpaceVector& v) { return v; }

  // Whether a stream is being read into this object (or a batch of
  // children is being added); the recalculation is then owed and done once
  // the read (the batch) ends. Descendants that lay out their children as
  // they arrive ask this first.
  bool RecalcAfterRead();

  // Many children added in a row (a widget building its parts): each
  // AddChild's recalculation, and a widget's layout with it, which walk
  // every child, are done once when the outermost batch ends.
  class TChildBatch {
   public:
    explicit TChildBatch(VisualObject& object);
    ~TChildBatch();
    TChildBatch(const TChildBatch&) = delete;
    TChildBatch& operator=(const TChildBatch&) = delete;

   private:
    TWeak<VisualObject> object_;
  };

  // Dirty rectangles: handed up to the applet.
  virtual void AddUpdateRect(const TRect& r);
  virtual TRect GetUpdateRect();
  void repaint();

  // Hit tests.
  virtual bool PointInObject(float x, float y) { return false; }
  virtual bool RayCastIntersect(const TSpaceVector& origin, const TSpaceVector& direction) { return false; }
  virtual THitTest GetHitTest(float x, float y);
  // The top-most hot-tracking object at the point, this one included.
  virtual VisualObject* ObjectByPoint(float x, float y);

  // Input, in the object's local coordinates (the container converts).
  virtual void SetFocus();
  virtual void KillFocus();
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void MouseDown(TMouseButton button, TShiftState shift, float x, float y);
  virtual void MouseMove(TShiftState shift, float x, float y, float dx, float dy) {}
  virtual void MouseUp(TMouseButton button, TShiftState shift, float x, float y) {}
  virtual void MouseWheel(TShiftState shift, float delta) {}
  // A receiver that consumes the key sets it to 0.
  virtual void KeyDown(std::uint16_t& key, char16_t& ch, TShiftState shift) {}
  virtual void KeyUp(std::uint16_t& key, char16_t& ch, TShiftState shift) {}
  // Whether, while it has the keys, it takes every key as a modal object
  // does (an open pop-up): the game hears none of them.
  virtual bool HoldsKeys() const { return false; }

  // Visibility.
  virtual void SetVisible(bool value);
  void show() { SetVisible(true); }
  void hide() { SetVisible(false); }
  void fadeShow();
  void fadeHide();
  void fadeShowWait();
  void fadeHideWait();
  void scheduleShow(float delay);
  void scheduleHide(float delay);
  // Visible, and every visual object above it too.
  bool isVisible() const;

  // Focus and capture through the nearest container.
  Container* GeContainer();
  void focus();
  void capture();
  void releaseCapture();

  void ScheduledHide() override { hide(); }
  void ScheduledShow() override { show(); }
  bool IsVisibleForEffects() const override { return isVisible(); }

 private:
  bool hot_ = false;
  bool hotTrack_ = false;
  bool designTrack_ = false;
  bool focused_ = false;
  std::u16string material_;
  float alpha_ = 1.0f;
  // An alpha set while the object is loading, applied once it is loaded;
  // below 0 when none.
  float deferredAlpha_ = -1.0f;
  // Children arrived while a stream was read into the object, or during a
  // batch.
  bool recalcAfterRead_ = false;
  // Something the layout of the children depends on changed since this
  // object was last recalculated on an add.
  bool layoutStale_ = true;
  int childBatches_ = 0;
  THitTest hitTest_ = htNone;
  bool transparent_ = false;
  bool visible_ = true;
  VisualObjectStyles style_;
  std::u16string onMouseDown_;
  std::u16string onMouseEnter_;
  std::u16string onMouseLeave_;
  std::u16string onSetFocus_;
  std::u16string onKillFocus_;
  // What was captured before this object took the capture; put back by
  // releaseCapture while it lives.
  TWeak<VisualObject> previousCapture_;
};

}  // namespace corvane
