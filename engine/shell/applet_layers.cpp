// The applet's top layer (the design manipulators, the inspector, the fade
// screen, the debug form, the particle renderers and the cursor) and the
// console that it toggles over the game.
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "engine/core/dummy.h"
#include "engine/core/event.h"
#include "engine/shell/applet.h"
#include "engine/shell/applet_collaborators.h"
#include "engine/shell/engine.h"
#include "engine/shell/gizmo.h"
#include "engine/shell/screen_gizmo.h"
#include "gui/applet_roles.h"
#include "gui/gui_object.h"
#include "scene/applet_roles.h"
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
  auto* animation = collaborator::As<TAlphaAnimation>(effect, u"TAlphaAnimation");
  if (!animation) return;
  effect->SetName(name);
  animation->AddAlphaKey(first.frame, first.alpha);
  animation->AddAlphaKey(last.frame, last.alpha);
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
  if (auto* inspector = collaborator::MakeAs<GuiObject>("InspectorForm", layer, u"GuiObject")) {
    inspector_ = inspector;
    inspector->SetWidth(200);
    inspector->SetHeight(600);
    inspector->SetX(600);
    if (inspector_.Get()) inspector_->hide();
  }
  CreateFadeScreen();
  CreateDebugForm();
  CreateRenders();
  CreateCursor();
}

void Applet::CreateFadeScreen() {
  auto* screen = collaborator::MakeAs<GuiObject>("Screen", mostTop_.Get(), u"GuiObject");
  auto* fill = collaborator::As<TScreenFill>(screen, u"TScreenFill");
  if (!fill) return;
  screen_ = screen;
  fill->SetFillColor(u"#FF000000");
  // An overlay for the eye only: left at alpha 0 by hideScreen, it would
  // otherwise take every click over the whole window.
  screen->SetHotTrack(false);
  screen->hide();
  AddFadeEffect(screen, u"show", {0, 0.0f}, {10, 1.0f});
  AddFadeEffect(screen, u"hide", {0, 1.0f}, {10, 0.0f});
}

void Applet::CreateDebugForm() {
  BaseObject* layer = mostTop_.Get() ? static_cast<BaseObject*>(mostTop_.Get()) : this;
  auto* form = collaborator::MakeAs<GuiObject>("DebugForm", layer, u"GuiObject");
  if (!form) return;
  debugForm_ = form;
  form->SetName(u"debugForm");
  form->SetHeight(120);
  if (debugForm_.Get()) debugForm_->SetVisible(debugInfo_);
}

void Applet::CreateRenders() {
  BaseObject* layer = mostTop_.Get() ? static_cast<BaseObject*>(mostTop_.Get()) : this;
  // Additive, blended, and additive with the depth test: the index an
  // effect picks by its blending mode and depth test.
  struct TRendering {
    bool additive;
    bool zTest;
  };
  static constexpr TRendering kRenderings[3] = {{true, false}, {false, false}, {true, true}};
  for (int i = 0; i < 3; ++i) {
    BaseObject* renderer = collaborator::Make("ParticleRenderer", layer);
    auto* rendering = collaborator::As<TParticleRendering>(renderer, u"TParticleRendering");
    if (!rendering) return;
    renderers_[i] = renderer;
    rendering->SetRendering(kRenderings[i].additive, kRenderings[i].zTest);
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
  auto* positioned = collaborator::MakeAs<PositionObject>("Sprite", holder, u"PositionObject");
  auto* picture = collaborator::As<TSpritePicture>(positioned, u"TSpritePicture");
  if (!picture) return;
  positioned->SetMaterialName(u"gui");
  positioned->SetX(8);
  positioned->SetY(18);
  picture->SetSpriteSize(64, 64);
  picture->SetPicture("defaultcur_pixmap");
}

TRect Applet::GetConsoleRect() const {
  const float scale = scale_ > 0 ? scale_ : 1.0f;
  const float mx = static_cast<float>(DrawOffsetX()) / scale;
  const float my = static_cast<float>(DrawOffsetY()) / scale;
  return {-mx, -my, static_cast<float>(width_) + mx, static_cast<float>(height_) / 2.0f};
}

bool Applet::ConsoleShown() const {
  const VisualObject* console = console_.Get();
  return console && console->Visible();
}

void Applet::ToggleConsole() {
  if (!consoleEnabled_) return;
  TWeak<Applet> self(this);
  if (!console_.Get()) {
    Dummy* layer = mostTop_.Get();
    GuiObject* made =
        collaborator::MakeAs<GuiObject>("TConsole", layer ? static_cast<BaseObject*>(layer) : this, u"GuiObject");
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
