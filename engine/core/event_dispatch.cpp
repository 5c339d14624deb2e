// The input half of the event queue: keys go to the listeners and then to
// the applet, which routes them in its tree; mouse and wheel events go to
// the applet in applet units; each ends with the applet's own handler. Also
// the mouse acquisition and the wait for input.
#include <algorithm>
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

void Event::DispatchKeyDown(TKeyEvent* event) {
  event->Handled = true;
  TWeak<Event> self(this);
  TWeak<TAppletServices> applet(GetApplet());
  if (event->Key == kKeyEscape && applet.Get()) applet->AppletObject()->cancelModal(mrCancel);
  if (!self.Get()) return;
  if (event->Char == kConsoleChar) {
    consoleKeyHeld_ = true;
    consoleKey_ = event->Key;
    if (applet.Get()) applet->ToggleConsole();
    return;
  }
  // A key typed into the console is the console's alone: no listener, no
  // held key, and (on its release) no onKeyPress of the game.
  if (applet.Get() && applet->ConsoleShown()) {
    applet->AppletObject()->KeyDown(event->Key, event->Char, event->Shift);
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
  const bool consoleKey =
      consoleKeyHeld_ && (event->Char == kConsoleChar || (event->Key != 0 && event->Key == consoleKey_));
  if (consoleKey) consoleKeyHeld_ = false;
  if (applet.Get() && applet->ConsoleShown()) {
    applet->AppletObject()->KeyUp(event->Key, event->Char, event->Shift);
    return;
  }
  if (consoleKey) return;
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
