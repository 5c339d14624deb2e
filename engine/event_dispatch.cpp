// The input half of the event queue: keys go to the listeners and then to
// the applet, which routes them in its tree; mouse and wheel events go to
// the applet in applet units; each ends with the applet's own handler. Also
// the mouse acquisition, the wait for input and the script globals.
#include <algorithm>
#include <vector>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_registry.h"
#include "base/streams/resource_man.h"
#include "base/text/text_convert.h"
#include "engine/applet.h"
#include "engine/container.h"
#include "engine/dummy.h"
#include "engine/engine.h"
#include "engine/event.h"
#include "engine/key_constants.h"
#include "engine/mission.h"
#include "engine/position_object.h"
#include "engine/preferences.h"
#include "engine/score_table.h"
#include "gui/gui_object.h"
#include "platform/device.h"
#include "platform/filters/filter.h"
#include "platform/platform.h"
#include "scene/materials.h"
#include "script/script_engine.h"

namespace corvane {

namespace {

// The listeners as they stand when a key is dispatched; each is asked only
// while it still lives (a listener may free itself or the next one).
std::vector<TWeak<VisualObject>> Snapshot(const std::vector<VisualObject*>& listeners) {
  return {listeners.begin(), listeners.end()};
}

}  // namespace

TPoint Event::AppletPoint(std::int32_t x, std::int32_t y) const {
  const Applet* applet = GetApplet();
  const float scale = applet && applet->Scale() > 0 ? applet->Scale() : 1.0f;
  const std::int32_t ox = applet ? applet->DrawOffsetX() : 0;
  const std::int32_t oy = applet ? applet->DrawOffsetY() : 0;
  return {static_cast<float>(x - ox) / scale, static_cast<float>(y - oy) / scale};
}

// ------------------------------------------------------------------- keys

void Event::DispatchKeyDown(TKeyEvent* event) {
  event->Handled = true;
  TWeak<Event> self(this);
  TWeak<Applet> applet(GetApplet());
  if (event->Key == kKeyEscape && applet.Get()) applet->cancelModal(mrCancel);
  if (!self.Get()) return;
  if (event->Char == kConsoleChar) {
    if (applet.Get()) applet->ToggleConsole();
    return;
  }
  if (event->Key != 0 && !isKeyDown(event->Key)) keysDown_.push_back(event->Key);
  // Key and Char are the event's own: a receiver that changes them changes
  // them for the receivers after it.
  for (const TWeak<VisualObject>& listener : Snapshot(listeners_)) {
    if (VisualObject* receiver = listener.Get()) receiver->KeyDown(event->Key, event->Char, event->Shift);
    if (!self.Get()) return;
  }
  if (applet.Get()) applet->KeyDown(event->Key, event->Char, event->Shift);
}

void Event::DispatchKeyUp(TKeyEvent* event) {
  if (event->Key != 0) std::erase(keysDown_, event->Key);
  event->Handled = true;
  TWeak<Event> self(this);
  TWeak<Applet> applet(GetApplet());
  for (const TWeak<VisualObject>& listener : Snapshot(listeners_)) {
    if (VisualObject* receiver = listener.Get()) receiver->KeyUp(event->Key, event->Char, event->Shift);
    if (!self.Get()) return;
  }
  if (applet.Get()) applet->KeyUp(event->Key, event->Char, event->Shift);
  if (!self.Get()) return;
  paramKey = event->Key != 0 ? event->Key : event->Char;
  if (applet.Get()) applet->CallScript(applet->OnKeyPress());
}

// ------------------------------------------------------------------ mouse

void Event::DispatchMouseDown(TMouseEvent* event) {
  event->Handled = true;
  TWeak<Event> self(this);
  TWeak<Applet> applet(GetApplet());
  paramPoint_->SetPoint(AppletPoint(event->X, event->Y));
  if (applet.Get()) applet->MouseDown(event->Button, event->Shift, paramPoint_->x, paramPoint_->y);
  if (!self.Get()) return;
  if (event->Button == mbLeft) isLButtonDown_ = true;
  if (event->Button == mbRight) isRButtonDown_ = true;
  if (event->Shift.Contains(ssAlt)) isAltDown_ = true;
  paramPoint_->SetPoint(AppletPoint(event->X, event->Y));
  if (applet.Get()) applet->CallScript(applet->OnMouseDown());
}

void Event::DispatchMouseUp(TMouseEvent* event) {
  event->Handled = true;
  TWeak<Applet> applet(GetApplet());
  if (!applet.Get() || applet->Paused()) return;
  TWeak<Event> self(this);
  if (event->Button == mbLeft) isLButtonDown_ = false;
  if (event->Button == mbRight) isRButtonDown_ = false;
  isAltDown_ = false;
  paramPoint_->SetPoint(AppletPoint(event->X, event->Y));
  applet->MouseUp(event->Button, event->Shift, paramPoint_->x, paramPoint_->y);
  if (!self.Get()) return;
  paramPoint_->SetPoint(AppletPoint(event->X, event->Y));
  if (applet.Get()) applet->CallScript(applet->OnMouseUp());
}

void Event::DispatchMouseMove(TMouseEvent* event) {
  event->Handled = true;
  TWeak<Event> self(this);
  TWeak<Applet> applet(GetApplet());
  if (event->OutsideWindow()) {
    paramDelta_->SetPoint({0, 0});
    paramPoint_->SetPoint({0, 0});
    // Outside the window: a point left of and above the applet area, in
    // window pixels.
    if (applet.Get())
      applet->MouseMove(event->Shift, static_cast<float>(-1 - applet->DrawOffsetX()),
                        static_cast<float>(-1 - applet->DrawOffsetY()), 0, 0);
    if (!self.Get()) return;
    paramDelta_->SetPoint({0, 0});
    paramPoint_->SetPoint({0, 0});
  } else {
    const TPoint delta{static_cast<float>(event->DX), static_cast<float>(event->DY)};
    paramDelta_->SetPoint(delta);
    paramPoint_->SetPoint(AppletPoint(event->X, event->Y));
    if (applet.Get()) applet->MouseMove(event->Shift, paramPoint_->x, paramPoint_->y, delta.x, delta.y);
    if (!self.Get()) return;
    paramDelta_->SetPoint(delta);
    paramPoint_->SetPoint(AppletPoint(event->X, event->Y));
  }
  if (applet.Get()) applet->CallScript(applet->OnMouseMove());
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
  TWeak<Applet> applet(GetApplet());
  if (!applet.Get() || applet->Paused()) return;
  TWeak<Event> self(this);
  applet->MouseWheel(event->Shift, static_cast<float>(event->Delta));
  if (!self.Get() || !applet.Get()) return;
  const float scale = applet->Scale() > 0 ? applet->Scale() : 1.0f;
  const float delta = static_cast<float>(event->Delta) / scale;
  paramDelta_->SetPoint({delta, delta});
  applet->CallScript(applet->OnMouseWheel());
}

// --------------------------------------------------------- mouse and waits

void Event::acquireMouse() {
  if (Engine && Engine->Platform() && GetApplet()) Engine->Platform()->AcquireMouse(GetApplet()->Window());
  mouseAsquired_ = true;
}

void Event::unacquireMouse() {
  mouseAsquired_ = false;
  if (Engine && Engine->Platform() && GetApplet()) Engine->Platform()->AcquireDisable(GetApplet()->Window());
}

void Event::waitForEvents() {
  TWeak<Event> self(this);
  TWeak<Applet> applet(GetApplet());
  waiting_ = true;
  while (Engine) {
    if (!applet.Get() || applet->Terminated()) break;
    if (!Engine->RunStep()) break;
    if (!self.Get()) return;
    if (!waiting_) return;
  }
  if (self.Get()) waiting_ = false;
}

// --------------------------------------------------------- script globals

void Event::SetScriptVars() {
  Applet* applet = GetApplet();
  TScriptEngine* scripts = applet ? applet->ScriptEngine() : nullptr;
  if (!scripts) return;
  for (TClass cls : {BaseObject::StaticClass(), PositionObject::StaticClass(), Container::StaticClass(),
                     VisualObject::StaticClass(), Dummy::StaticClass(), Mission::StaticClass(),
                     GuiObject::StaticClass()})
    scripts->RegisterClass(cls);
  // The widget classes, as far as they are registered.
  for (const char* name :
       {"Button", "StaticText", "Image", "Dropdown", "ColorDropdown", "Edit", "Form", "ImageForm", "DebugForm"})
    if (const TClass cls = GetClass(name)) scripts->RegisterClass(cls);

  auto publish = [scripts](const char16_t* name, TObject* object) {
    if (object) scripts->RegisterVariable(name, WidenLatin1(object->ClassName()), object);
  };
  publish(u"engine", Engine);
  publish(u"device", applet->Device());
  publish(u"applet", applet);
  publish(u"preferences", applet->GetPreferences());
  publish(u"scoreTable", applet->GetScoreTable());
  publish(u"event", this);
  publish(u"materials", applet->GetMaterials());
  publish(u"filter", applet->Filter());
  publish(u"mostTop", applet->MostTop());
  publish(u"inspector", applet->Inspector());
  if (Engine) {
    publish(u"externalResMan", Engine->ExternalResMan());
    publish(u"embeddedResMan", Engine->EmbeddedResMan());
  }
  publish(u"resMan", applet->ResMan());

  for (const TScriptConstant& constant : kScriptConstants) scripts->RegisterConst(constant.Name, constant.Value);
}

void Event::SetScriptClass() {
  Applet* applet = GetApplet();
  TScriptEngine* scripts = applet ? applet->ScriptEngine() : nullptr;
  const std::vector<TClass>* classes = GlobalClassList();
  if (!scripts || !classes) return;
  // A copy: a registration made meanwhile must not move the walk.
  const std::vector<TClass> walk = *classes;
  for (TClass cls : walk)
    if (cls && cls->InheritsFrom(BaseObject::StaticClass())) scripts->RegisterClass(cls);
}

}  // namespace corvane
