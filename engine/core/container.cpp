#include "engine/core/container.h"

#include <algorithm>

#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/engine_services.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Container)

std::function<void(VisualObject*)> CustomSetFocused;

void Container::Describe(TClassBuilder<Container>& c) {
  c.Property("focusedObject", &Container::FocusedObject, &Container::SetFocused).Stored(false);
  c.Property("hotObject", &Container::HotObject, &Container::SetHotObject).Stored(false);
  c.Property("capturedObject", &Container::CapturedObject, &Container::SetCaptured).Stored(false);
  c.Method("enterModal", &Container::enterModal);
  c.Method("cancelModal", &Container::cancelModal);
}

Container::Container(const TCreateContext& context) : VisualObject(context) { ReceiveFreeNotices(); }

void Container::BeforeDestruction() {
  if (VisualObject* focused = focused_) {
    TWeak<Container> self(this);
    focused->KillFocus();
    if (!self.Get()) return;
  }
  focused_ = hot_ = captured_ = nullptr;
  modal_.clear();
  VisualObject::BeforeDestruction();
}

void Container::FreeNotify(BaseObject* object) {
  VisualObject::FreeNotify(object);
  if (focused_ == object) focused_ = nullptr;
  if (hot_ == object) hot_ = nullptr;
  if (captured_ == object) captured_ = nullptr;
  // A freed modal object counts as a pop for the call waiting on it.
  std::erase(modal_, object);
}

// ------------------------------------------------------------------- focus

void Container::SetFocused(VisualObject* object) {
  if (object == focused_) return;
  TWeak<Container> self(this);
  TWeak<VisualObject> next(object);
  if (VisualObject* old = focused_) {
    focused_ = nullptr;
    old->SetFocusedFlag(false);
    old->KillFocus();
    if (!self.Get()) return;
  }
  object = next.Get();
  if (!object || !object->Style().Contains(vsCanFocused)) return;
  focused_ = object;
  object->SetFocusedFlag(true);
  object->SetFocus();
  if (CustomSetFocused && next.Get()) CustomSetFocused(object);
}

void Container::SetHotObject(VisualObject* object) {
  if (object == hot_) return;
  TWeak<Container> self(this);
  TWeak<VisualObject> next(object);
  if (VisualObject* old = hot_) {
    hot_ = nullptr;
    old->SetHot(false);
    old->MouseLeave();
    if (!self.Get()) return;
  }
  object = next.Get();
  if (!object || !object->TracksHover()) return;
  hot_ = object;
  object->SetHot(true);
  object->MouseEnter();
}

// ------------------------------------------------------------------- mouse

VisualObject* Container::Target(float x, float y) {
  VisualObject* root = modal_.empty() ? this : modal_.back();
  return root->ObjectByPoint(x, y);
}

namespace {

TPoint LocalPoint(VisualObject* target, float x, float y) { return target->AbsoluteToLocal(Point(x, y)); }

}  // namespace

void Container::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  VisualObject* target = Target(x, y);
  if (!target) return;
  const TPoint p = LocalPoint(target, x, y);
  // The container itself as the target takes the plain behaviour, not the
  // routing again.
  if (target == this) VisualObject::MouseDown(button, shift, p.x, p.y);
  else target->MouseDown(button, shift, p.x, p.y);
}

void Container::MouseMove(TShiftState shift, float x, float y, float dx, float dy) {
  TWeak<Container> self(this);
  if (captured_) {
    TWeak<VisualObject> captured(captured_);
    SetHotObject(ObjectByPoint(x, y));
    if (!self.Get() || !captured.Get()) return;
    const TPoint p = LocalPoint(captured.Get(), x, y);
    if (captured.Get() == this) VisualObject::MouseMove(shift, p.x, p.y, dx, dy);
    else captured->MouseMove(shift, p.x, p.y, dx, dy);
    return;
  }
  TWeak<VisualObject> target(Target(x, y));
  if (!target.Get()) {
    SetHotObject(nullptr);
    return;
  }
  if (!target->TracksHover()) SetHotObject(nullptr);
  else if (!target->Hot()) SetHotObject(target.Get());
  if (!self.Get() || !target.Get()) return;
  const TPoint p = LocalPoint(target.Get(), x, y);
  if (target.Get() == this) VisualObject::MouseMove(shift, p.x, p.y, dx, dy);
  else target->MouseMove(shift, p.x, p.y, dx, dy);
}

void Container::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  VisualObject* target = captured_ ? captured_ : Target(x, y);
  if (!target) return;
  const TPoint p = LocalPoint(target, x, y);
  if (target == this) VisualObject::MouseUp(button, shift, p.x, p.y);
  else target->MouseUp(button, shift, p.x, p.y);
}

void Container::MouseWheel(TShiftState shift, float delta) {
  if (VisualObject* receiver = KeyReceiver()) receiver->MouseWheel(shift, delta);
}

// --------------------------------------------------------------------- keys

VisualObject* Container::KeyReceiver() const {
  if (!focused_ || focused_ == this) return nullptr;
  if (modal_.empty()) return focused_;
  // Inside the modal top: a walk up from the focus, as deep as it stands.
  const VisualObject* top = modal_.back();
  for (const BaseObject* p = focused_; p; p = p->Parent())
    if (p == top) return focused_;
  return nullptr;
}

void Container::KeyDown(std::uint16_t& key, char16_t& ch, TShiftState shift) {
  TWeak<Container> self(this);
  if (key == 9) {
    // Inside a modal object the focus stays inside it.
    const BaseObject* ring = modal_.empty() ? static_cast<const BaseObject*>(this) : modal_.back();
    const auto& children = ring->ChildList();
    if (!children.empty()) {
      const auto n = static_cast<std::int32_t>(children.size());
      std::int32_t next = 0;
      if (focused_) {
        const std::int32_t at = ring->IndexOfChild(focused_);
        if (!shift.Contains(ssShift)) next = at + 1 >= n ? 0 : at + 1;
        else next = at <= 0 ? n - 1 : at - 1;
      }
      SetFocused(children[static_cast<std::size_t>(next)]->AsVisualObject());
      if (!self.Get()) return;
    }
    key = 0;
  }
  if (VisualObject* receiver = KeyReceiver()) receiver->KeyDown(key, ch, shift);
}

void Container::KeyUp(std::uint16_t& key, char16_t& ch, TShiftState shift) {
  if (VisualObject* receiver = KeyReceiver()) receiver->KeyUp(key, ch, shift);
}

// ------------------------------------------------------------------- modal

TModalResult Container::enterModal(VisualObject* object) {
  if (!object) return mrNone;
  if (std::find(modal_.begin(), modal_.end(), object) != modal_.end()) return mrNone;
  modal_.push_back(object);
  const std::size_t depth = modal_.size();
  TWeak<Container> self(this);
  TWeak<VisualObject> waited(object);
  TWeak<TAppletServices> applet(GetApplet());
  const bool hasApplet = GetApplet() != nullptr;
  auto giveUp = [&] {
    if (self.Get() && waited.Get()) std::erase(modal_, waited.Get());
    return mrCancel;
  };
  for (;;) {
    if (!self.Get()) return mrCancel;
    if (modal_.size() < depth) return modalResult_;
    if (hasApplet && (!applet.Get() || applet->Terminated())) return giveUp();
    if (!RunningEngine() || !RunningEngine()->RunStep()) return giveUp();
  }
}

void Container::cancelModal(TModalResult result) {
  if (modal_.empty()) return;
  TWeak<Container> self(this);
  TWeak<VisualObject> top(modal_.back());
  if (focused_ && top->FindChildObject(focused_, false)) SetFocused(nullptr);
  if (!self.Get()) return;
  if (top.Get() && hot_ && top->FindChildObject(hot_, false)) SetHotObject(nullptr);
  if (!self.Get()) return;
  if (top.Get() && captured_ && top->FindChildObject(captured_, false)) captured_->releaseCapture();
  if (!self.Get()) return;
  if (VisualObject* entry = top.Get()) {
    const auto it = std::find(modal_.begin(), modal_.end(), entry);
    if (it != modal_.end()) modal_.erase(it);
  }
  modalResult_ = result;
}

}  // namespace corvane
