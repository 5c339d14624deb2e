// Container: a visual object that routes mouse and keyboard input to the
// objects inside it. It keeps the object under the mouse (hot), the object
// with the keyboard focus and the object that captured the mouse, and a
// stack of modal objects: while the stack is not empty, mouse input is hit
// tested only inside its top, and enterModal blocks (running whole frames)
// until its object is dismissed with cancelModal. The applet is a container.
#pragma once

#include <functional>
#include <vector>

#include "engine/core/visual_object.h"

namespace corvane {

CORVANE_ENUM(TModalResult, mrNone, mrOk, mrCancel);

// Called with every newly focused object when assigned (a designer's hook).
extern std::function<void(VisualObject*)> CustomSetFocused;

class Container : public VisualObject {
  CORVANE_CLASS(Container, VisualObject)
  static void Describe(TClassBuilder<Container>& c);
  explicit Container(const TCreateContext& context);
  void BeforeDestruction() override;

  VisualObject* FocusedObject() const { return focused_; }
  VisualObject* HotObject() const { return hot_; }
  VisualObject* CapturedObject() const { return captured_; }
  // Moves the focus: the old object loses it; the new one takes it only
  // when it may be focused (otherwise the focus stays empty).
  void SetFocused(VisualObject* object);
  // The new object becomes hot only when it tracks hovering.
  void SetHotObject(VisualObject* object);
  void SetCaptured(VisualObject* object) { captured_ = object; }

  // The modal stack; its last entry is the top.
  const std::vector<VisualObject*>& ModalStack() const { return modal_; }
  TModalResult ModalResult() const { return modalResult_; }
  // Pushes the object and runs whole frames until it leaves the stack;
  // returns the container's modal result then. mrNone at once for no object
  // or one already on the stack; mrCancel when the applet terminates (or no
  // more frames can run) while waiting.
  TModalResult enterModal(VisualObject* object);
  // Drops the top entry (clearing focus, hover and capture inside it) and
  // stores the result.
  void cancelModal(TModalResult result);

  void FreeNotify(BaseObject* object) override;

  // Input in the container's coordinates; each target gets its own local
  // point.
  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseMove(TShiftState shift, float x, float y, float dx, float dy) override;
  void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseWheel(TShiftState shift, float delta) override;
  // Tab (9) moves the focus among the direct children (Shift+Tab back),
  // those of the modal top while there is one, and is consumed; every key
  // then goes to the key receiver.
  void KeyDown(std::uint16_t& key, char16_t& ch, TShiftState shift) override;
  void KeyUp(std::uint16_t& key, char16_t& ch, TShiftState shift) override;
  // What keys and the wheel go to: the focused object, but while a modal
  // object is up only when it is that object or lies inside it (a box
  // shown over an edit takes every key, and the edit none); otherwise
  // none.
  VisualObject* KeyReceiver() const;

 private:
  // The object under the point: searched in the modal top when there is
  // one, else in the whole container.
  VisualObject* Target(float x, float y);

  VisualObject* focused_ = nullptr;
  VisualObject* hot_ = nullptr;
  VisualObject* captured_ = nullptr;
  std::vector<VisualObject*> modal_;
  TModalResult modalResult_ = mrNone;
};

}  // namespace corvane
