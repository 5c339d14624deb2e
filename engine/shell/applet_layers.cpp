// The applet's top layer (the design manipulators, the inspector, the fade
// screen, the debug form, the particle renderers and the cursor) and the
// console that it toggles over the game.
#include "base/text/text_convert.h"
#include "engine/core/dummy.h"
#include "engine/core/event.h"
#include "engine/shell/applet.h"
#include "engine/shell/applet_collaborators.h"
#include "engine/shell/engine.h"
#include "engine/shell/gizmo.h"
#include "engine/shell/screen_gizmo.h"
#include "gui/gui_object.h"
#include "platform/window.h"

namespace corvane {

namespace {

// A key frame the fade effects use: frame and alpha.
struct TFadeKey {
  std::int32_t frame;
  float alpha;
};

void AddFadeEffect(BaseObject* screen, const char16_t* name, TFadeKey first, TFadeKey last) {
  BaseObject* effect = collaborator::Make("AnimationEffect", screen);
  if (!effect) return;
  effect->SetName(name);
  collaborator::AddAnimationKey(effect, first.frame, first.alpha);
  collaborator::AddAnimationKey(effect, last.frame, last.alpha);
}

}  // namespace

void Applet::CreateMostTop() {
  if (mostTop_.Get()) return;
  auto* layer = Create<Dummy>(TCreateContext(this));
  layer->SetName(u"mostTopLayer");
  layer->IncludeStyle(csExternal);
  mostTop_ = layer;
  gizmo_ = Create<Gizmo>(TCreateContext(layer));
  gizmo_->hide();
  screenGizmo_ = Create<ScreenGizmo>(TCreateContext(layer));
  screenGizmo_->hide();
  if (VisualObject* inspector = collaborator::MakeVisual("InspectorForm", layer)) {
    inspector_ = inspector;
    collaborator::Set(inspector, "width", Variant(200.0f));
    collaborator::Set(inspector, "height", Variant(600.0f));
    collaborator::Set(inspector, "x", Variant(600.0f));
    if (inspector_.Get()) inspector_->hide();
  }
  CreateFadeScreen();
  CreateDebugForm();
  CreateRenders();
  CreateCursor();
}

void Applet::CreateFadeScreen() {
  VisualObject* screen = collaborator::MakeVisual("Screen", mostTop_.Get());
  if (!screen) return;
  screen_ = screen;
  collaborator::Set(screen, "Color", Variant(u"#FF000000"));
  screen->hide();
  AddFadeEffect(screen, u"show", {0, 0.0f}, {10, 1.0f});
  AddFadeEffect(screen, u"hide", {0, 1.0f}, {10, 0.0f});
}

void Applet::CreateDebugForm() {
  BaseObject* layer = mostTop_.Get() ? static_cast<BaseObject*>(mostTop_.Get()) : this;
  VisualObject* form = collaborator::MakeVisual("DebugForm", layer);
  if (!form) return;
  debugForm_ = form;
  form->SetName(u"debugForm");
  collaborator::Set(form, "height", Variant(120.0f));
  if (debugForm_.Get()) debugForm_->SetVisible(debugInfo_);
}

void Applet::CreateRenders() {
  BaseObject* layer = mostTop_.Get() ? static_cast<BaseObject*>(mostTop_.Get()) : this;
  // The shared renderer, then one for screen objects and one for space
  // objects.
  for (int i = 0; i < 3; ++i) {
    BaseObject* renderer = collaborator::Make("ParticleRenderer", layer);
    if (!renderer) return;
    renderers_[i] = renderer;
    if (i == 0) collaborator::Set(renderer, "shared", Variant(true));
    else if (PositionObject* positioned = renderer->AsPositionObject())
      positioned->SetKind(i == 1 ? okScreen : okSpace);
  }
}

void Applet::CreateCursor() {
  if (PositionObject* previous = cursor_.Get()) {
    cursor_ = nullptr;
    previous->Free();
  }
  BaseObject* layer = mostTop_.Get() ? static_cast<BaseObject*>(mostTop_.Get()) : this;
  if (!cursorFile_.empty()) {
    BaseObject* loaded = newFromFile(Utf8ToUtf16(cursorFile_), layer);
    if (!loaded) return;
    if (PositionObject* positioned = loaded->AsPositionObject()) cursor_ = positioned;
    else loaded->Free();
    return;
  }
  if (!collaborator::Registered("Sprite")) return;
  auto* holder = Create<Dummy>(TCreateContext(layer));
  holder->IncludeStyle(csExternal);
  cursor_ = holder;
  BaseObject* sprite = collaborator::Make("Sprite", holder);
  PositionObject* positioned = sprite ? sprite->AsPositionObject() : nullptr;
  if (!positioned) return;
  positioned->SetMaterialName(u"gui");
  positioned->SetX(8);
  positioned->SetY(18);
  collaborator::Set(positioned, "width", Variant(64.0f));
  collaborator::Set(positioned, "height", Variant(64.0f));
  collaborator::Set(collaborator::Sub(positioned, "pixmap"), "src", Variant(std::string("defaultcur_pixmap")));
}

TRect Applet::GetConsoleRect() const {
  const float scale = scale_ > 0 ? scale_ : 1.0f;
  const float mx = static_cast<float>(DrawOffsetX()) / scale;
  const float my = static_cast<float>(DrawOffsetY()) / scale;
  return {-mx, -my, static_cast<float>(width_) + mx, static_cast<float>(height_) / 2.0f};
}

void Applet::ToggleConsole() {
  if (!consoleEnabled_) return;
  TWeak<Applet> self(this);
  if (!console_.Get()) {
    Dummy* layer = mostTop_.Get();
    VisualObject* made = collaborator::MakeVisual("TConsole", layer ? static_cast<BaseObject*>(layer) : this);
    if (!made) return;
    made->hide();
    console_ = made;
    if (layer) layer->ReAlign();
  }
  TWeak<VisualObject> console(console_.Get());
  if (!console.Get()) return;
  if (console->Visible()) {
    cancelModal(mrCancel);
    return;
  }
  if (auto* gui = dynamic_cast<GuiObject*>(console.Get())) gui->SetBoundsRect(GetConsoleRect());
  console->SetAlpha(0.0f);
  console->show();
  console->fadeShowWait();
  if (!self.Get() || !console.Get() || Terminated()) return;
  // The edit line: the console's first child that takes the focus.
  for (BaseObject* child : console->ChildList())
    if (VisualObject* edit = child->AsVisualObject(); edit && edit->Style().Contains(vsCanFocused)) {
      edit->focus();
      break;
    }
  if (!self.Get() || !console.Get()) return;
  enterModal(console.Get());
  if (!self.Get() || !console.Get() || Terminated()) return;
  console->SetAlpha(1.0f);
  console->fadeHideWait();
  if (console.Get()) console->hide();
}

}  // namespace corvane
