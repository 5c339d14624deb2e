// The input half of the event queue: keys go to the listeners and then to
// the applet, which routes them in its tree; mouse and wheel events go to
// the applet in applet units; each ends with the applet's own handler. Also
// the mouse acquisition and the wait for input.
#include <algorithm>
#include <optional>
#include <vector>

#include "base/geometry/point_rect_persistent.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "engine/core/engine_services.h"
#include "engine/core/event.h"
#include "engine/core/key_constants.h"
#include "engine/core/position_object.h"
#include "platform/platform.h"

namespace corvane {

namespace {

// The listeners as they stand when a key is dispatched; each is asked only
// while it still lives (a listener may free itself or the next one).
std::vector<TWeak<VisualObject>> Snapshot(const std::vector<VisualObject*>& listeners) {
  return {listeners.begin(), listeners.end()};
}

}  // namespace

TPoint Event::AppletPoint(std::int32_t x, std::int32_t y) const {
  const TAppletServices* applet = GetApplet();
  const float scale = applet && applet->Scale() > 0 ? applet->Scale() : 1.0f;
  const std::int32_t ox = applet ? applet->DrawOffsetX() : 0;
  const std::int32_t oy = applet ? applet->DrawOffsetY() : 0;
  return {static_cast<float>(x - ox) / scale, static_cast<float>(y - oy) / scale};
}

// ------------------------------------------------------------------- keys

namespace {

// Keys belong to a modal object: the console on the screen, the object of
// a modal loop (a message box, a form), or what holds the keys while it
// has them (an open drop-down's list).
bool KeysAreModal(TAppletServices& applet) {
  Container* root = applet.AppletObject();
  const VisualObject* receiver = root->KeyReceiver();
  return applet.ConsoleShown() || !root->ModalStack().empty() || (receiver && receiver->HoldsKeys());
}

// A key's press and release carry the same virtual key, or (for a key that
// comes as a character) the same character.
bool SameKey(const TKeyEvent& event, std::uint16_t key, char16_t ch) {
  return event.Key != 0 ? event.Key == key : key == 0 && event.Char == ch;
}

}  // namespace

void Event::TakeKey(const TKeyEvent& event, VisualObject* receiver) {
  std::erase_if(takenKeys_, [&](const TTakenKey& taken) { return SameKey(event, taken.Key, taken.Char); });
  // Keys held at once are few; a record that never releases its keys
  // keeps the newest.
  if (takenKeys_.size() >= kMaxTakenKeys) takenKeys_.erase(takenKeys_.begin());
  takenKeys_.push_back({event.Key, event.Char, TWeak<VisualObject>(receiver)});
}

std::optional<TWeak<VisualObject>> Event::GiveBackKey(const TKeyEvent& event) {
  const auto it =
      std::ranges::find_if(takenKeys_, [&](const TTakenKey& taken) { return SameKey(event, taken.Key, taken.Char); });
  if (it == takenKeys_.end()) return std::nullopt;
  TWeak<VisualObject> receiver = it->Receiver;
  takenKeys_.erase(it);
  return receiver;
}

void Event::DispatchKeyDown(TKeyEvent* event) {
  event->Handled = true;
  TWeak<Event> self(this);
  TWeak<TAppletServices> applet(GetApplet());
  const bool consoleKey = event->Char == kConsoleChar;
  // While the console or a modal loop's object is up, a key is its alone:
  // no listener, no held key, and (on its release, whenever that comes) no
  // onKeyPress of the game.
  if (applet.Get() && KeysAreModal(*applet.Get())) {
    Container* root = applet->AppletObject();
    const bool escape = event->Key == kKeyEscape;
    TakeKey(*event, consoleKey ? nullptr : root->KeyReceiver());
    // It sees its Escape before the Escape ends its loop; one it used
    // (closing a pop-up in a modal form) ends nothing more.
    if (!consoleKey) root->KeyDown(event->Key, event->Char, event->Shift);
    if (!self.Get() || !applet.Get()) return;
    if (escape && event->Key == kKeyEscape) applet->AppletObject()->cancelModal(mrCancel);
    if (consoleKey && applet.Get()) applet->ToggleConsole();
    return;
  }
  if (consoleKey) {
    TakeKey(*event, nullptr);
    if (applet.Get()) applet->ToggleConsole();
    return;
  }
  if (event->Key != 0 && !isKeyDown(event->Key)) keysDown_.push_back(event->Key);
  // Key and Char are the event's own: a receiver that changes them changes
  // them for the receivers after it.
  for (const TWeak<VisualObject>& listener : Snapshot(Listeners())) {
    if (VisualObject* receiver = listener.Get()) receiver->KeyDown(event->Key, event->Char, event->Shift);
    if (!self.Get()) return;
  }
  if (applet.Get()) applet->AppletObject()->KeyDown(event->Key, event->Char, event->Shift);
}

void Event::DispatchKeyUp(TKeyEvent* event) {
  if (event->Key != 0) std::erase(keysDown_, event->Key);
  event->Handled = true;
  TWeak<Event> self(this);
  TWeak<TAppletServices> applet(GetApplet());
  // The release of a key whose press was a modal object's is that
  // receiver's, even once the object is gone from the screen (Escape, the
  // console's key): the game never sees half a keystroke.
  if (const std::optional<TWeak<VisualObject>> taken = GiveBackKey(*event)) {
    if (VisualObject* receiver = taken->Get()) receiver->KeyUp(event->Key, event->Char, event->Shift);
    return;
  }
  if (applet.Get() && KeysAreModal(*applet.Get())) {
    applet->AppletObject()->KeyUp(event->Key, event->Char, event->Shift);
    return;
  }
  for (const TWeak<VisualObject>& listener : Snapshot(Listeners())) {
    if (VisualObject* receiver = listener.Get()) receiver->KeyUp(event->Key, event->Char, event->Shift);
    if (!self.Get()) return;
  }
  if (applet.Get()) applet->AppletObject()->KeyUp(event->Key, event->Char, event->Shift);
  if (!self.Get()) return;
  paramKey = event->Key != 0 ? event->Key : event->Char;
  if (applet.Get()) applet->AppletObject()->CallScript(applet->OnKeyPress());
}

// ------------------------------------------------------------------ mouse

void Event::DispatchMouseDown(TMouseEvent* event) {
  event->Handled = true;
  TWeak<Event> self(this);
  TWeak<TAppletServices> applet(GetApplet());
  paramPoint_->SetPoint(AppletPoint(event->X, event->Y));
  if (applet.Get()) applet->AppletObject()->MouseDown(event->Button, event->Shift, paramPoint_->x, paramPoint_->y);
  if (!self.Get()) return;
  if (event->Button == mbLeft) isLButtonDown_ = true;
  if (event->Button == mbRight) isRButtonDown_ = true;
  if (event->Shift.Contains(ssAlt)) isAltDown_ = true;
  paramPoint_->SetPoint(AppletPoint(event->X, event->Y));
  if (applet.Get()) applet->AppletObject()->CallScript(applet->AppletObject()->OnMouseDown());
}

void Event::DispatchMouseUp(TMouseEvent* event) {
  event->Handled = true;
  TWeak<TAppletServices> applet(GetApplet());
  if (!applet.Get() || applet->Paused()) return;
  TWeak<Event> self(this);
  if (event->Button == mbLeft) isLButtonDown_ = false;
  if (event->Button == mbRight) isRButtonDown_ = false;
  isAltDown_ = false;
  paramPoint_->SetPoint(AppletPoint(event->X, event->Y));
  applet->AppletObject()->MouseUp(event->Button, event->Shift, paramPoint_->x, paramPoint_->y);
  if (!self.Get()) return;
  paramPoint_->SetPoint(AppletPoint(event->X, event->Y));
  if (applet.Get()) applet->AppletObject()->CallScript(applet->OnMouseUp());
}

void Event::DispatchMouseMove(TMouseEvent* event) {
  event->Handled = true;
  TWeak<Event> self(this);
  TWeak<TAppletServices> applet(GetApplet());
  if (event->OutsideWindow()) {
    paramDelta_->SetPoint({0, 0});
    paramPoint_->SetPoint({0, 0});
    // Outside the window: a point left of and above the applet area, in
    // window pixels.
    if (applet.Get())
      applet->AppletObject()->MouseMove(event->Shift, static_cast<float>(-1 - applet->DrawOffsetX()),
                        static_cast<float>(-1 - applet->DrawOffsetY()), 0, 0);
    if (!self.Get()) return;
    paramDelta_->SetPoint({0, 0});
    paramPoint_->SetPoint({0, 0});
  } else {
    const TPoint delta{static_cast<float>(event->DX), static_cast<float>(event->DY)};
    paramDelta_->SetPoint(delta);
    paramPoint_->SetPoint(AppletPoint(event->X, event->Y));
    if (applet.Get()) applet->AppletObject()->MouseMove(event->Shift, paramPoint_->x, paramPoint_->y, delta.x, delta.y);
    if (!self.Get()) return;
    paramDelta_->SetPoint(delta);
    paramPoint_->SetPoint(AppletPoint(event->X, event->Y));
  }
  if (applet.Get()) applet->AppletObject()->CallScript(applet->OnMouseMove());
  if (!self.Get() || !applet.Get()) return;
  if (PositionObject* cursor = applet->Cursor()) {
    cursor->SetX(paramPoint_->x);
    cursor->SetY(paramPoint_->y);
    cursor->SetZ(0);
    cursor->BringToFront();
  }
}

void Event::DispatchWheel(TWheelEvent* event) {
  event->Handled = true;
  TWeak<TAppletServices> applet(GetApplet());
  if (!applet.Get() || applet->Paused()) return;
  TWeak<Event> self(this);
  applet->AppletObject()->MouseWheel(event->Shift, static_cast<float>(event->Delta));
  if (!self.Get() || !applet.Get()) return;
  const float scale = applet->Scale() > 0 ? applet->Scale() : 1.0f;
  const float delta = static_cast<float>(event->Delta) / scale;
  paramDelta_->SetPoint({delta, delta});
  applet->AppletObject()->CallScript(applet->OnMouseWheel());
}

// --------------------------------------------------------- mouse and waits

void Event::acquireMouse() {
  TPlatform* platform = RunningEngine() ? RunningEngine()->Platform() : nullptr;
  if (platform && GetApplet()) platform->AcquireMouse(GetApplet()->Window());
  mouseAsquired_ = true;
}

void Event::unacquireMouse() {
  mouseAsquired_ = false;
  TPlatform* platform = RunningEngine() ? RunningEngine()->Platform() : nullptr;
  if (platform && GetApplet()) platform->AcquireDisable(GetApplet()->Window());
}

void Event::waitForEvents() {
  TWeak<Event> self(this);
  TWeak<TAppletServices> applet(GetApplet());
  waiting_ = true;
  while (RunningEngine()) {
    if (!applet.Get() || applet->Terminated()) break;
    if (!RunningEngine()->RunStep()) break;
    if (!self.Get()) return;
    if (!waiting_) return;
  }
  if (self.Get()) waiting_ = false;
}

}  // namespace corvane
