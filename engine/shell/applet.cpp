#include "engine/shell/applet.h"

#include <algorithm>
#include <charconv>

#include "base/geometry/color.h"
#include "base/geometry/point_rect_persistent.h"
#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/streams/resource_man.h"
#include "base/system/log_target.h"
#include "base/system/steady_clock.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/dummy.h"
#include "engine/core/event.h"
#include "engine/core/object_loader.h"
#include "engine/shell/applet_collaborators.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"
#include "engine/shell/preferences.h"
#include "engine/shell/score_table.h"
#include "platform/device.h"
#include "platform/filters/filter.h"
#include "platform/platform.h"
#include "platform/sound_engine.h"
#include "platform/window.h"
#include "resources/cache/cache.h"
#include "scene/materials.h"
#include "scene/physics/dynamic_engine.h"
#include "script/script_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Applet)

bool InitNoVisible = false;
std::uintptr_t InitEmbeddedHandle = 0;
std::u16string InitEmbeddedColor = u"#FF000000";
std::int32_t InitEmbeddedWidth = 801;
std::int32_t InitEmbeddedHeight = 601;
bool InitEmbeddedAutoSize = false;

namespace {

bool EngineEmbedded() { return Engine && Engine->Embedded(); }

// The engine's "+" arguments.
TWideStringList* EngineParams() { return Engine ? Engine->Params() : nullptr; }
TPlatform* ThePlatform() { return Engine ? Engine->Platform() : nullptr; }

// printf's "%8.5f" without the C locale.
std::u16string Seconds(float value) {
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::fixed, 5);
  std::string text(buffer, result.ec == std::errc() ? result.ptr : buffer);
  if (text.size() < 8) text.insert(0, 8 - text.size(), ' ');
  return WidenLatin1(text);
}

// An instance of a class variable's class when it is set, of the kind
// expected, and can be made.
template <class T>
T* MakeFromClass(TClass cls, Applet* owner) {
  if (!cls || !cls->InheritsFrom(T::StaticClass()) || !cls->CanCreate()) return nullptr;
  TCreateContext context(owner);
  context.Applet = owner;
  return dynamic_cast<T*>(cls->CreateInstance(context));
}

// Frees the object a field holds, clearing the field first.
template <class T>
void Release(T*& field) {
  if (T* object = field) {
    field = nullptr;
    object->Free();
  }
}

}  // namespace

void Applet::Describe(TClassBuilder<Applet>& c) {
  auto ignoreInt = [](Applet&, std::int32_t) {};
  c.Property("terminated", &Applet::Terminated, &Applet::SetTerminated).Stored(false);
  c.Property("pause", &Applet::Paused, &Applet::SetPause).Stored(false);
  c.Property("params", [](const Applet&) { return EngineParams(); },
             [](Applet&, TWideStringList*) {})
      .Stored(false);
  c.Property("defaultPixmap", &Applet::DefaultPixmap).Stored(false);
  c.Property("defaultSkin", &Applet::DefaultSkin).Stored(false);
  c.Property("defaultOptions", &Applet::DefaultOptions).Stored(false);
  c.Property("deviceCount", &Applet::DeviceCount, ignoreInt).Stored(false);
  c.Property("deviceIndex", &Applet::DeviceIndex, &Applet::SetDeviceIndex).Stored(false);
  c.Property("deviceName", &Applet::DeviceName, &Applet::SetDeviceName);
  c.Property("modelScale", &Applet::modelScale_);
  c.Property("consoleEnabled", &Applet::consoleEnabled_).Default(true);
  c.Property("effectInScript", &Applet::effectInScript_).Default(false);
  c.Property("boundsCulling", &Applet::boundsCulling_).Default(false);
  c.Property("debugInfo", &Applet::debugInfo_).Stored(false);
  c.Property("debugWireFrame", &Applet::debugWireFrame_).Stored(false);
  c.Property("debugDynamics", &Applet::debugDynamics_).Stored(false);
  c.Property("bkColor", [](const Applet& a) { return ColorToStr(a.bkColor_); },
             [](Applet& a, const std::u16string& text) { a.bkColor_ = StrToColor(text); });
  c.Property("lighting", &Applet::lighting_).Default(false);
  c.Property("left", &Applet::Left, &Applet::SetLeft).NoDefault();
  c.Property("top", &Applet::Top, &Applet::SetTop).NoDefault();
  c.Property("width", &Applet::Width, &Applet::SetWidth).NoDefault();
  c.Property("height", &Applet::Height, &Applet::SetHeight).NoDefault();
  c.Property("title", &Applet::Title, &Applet::SetTitle);
  c.Property("appname", &Applet::appname_);
  c.Property("scale", &Applet::Scale, &Applet::SetScale).Stored([](const Applet& a) { return a.scale_ != 1.0f; });
  c.Property("place", &Applet::Place, &Applet::SetPlace).Default(normalPlace);
  c.Property("cursorFile", [](const Applet& a) { return a.cursorFile_; },
             [](Applet& a, const std::string& value) {
               a.cursorFile_ = value;
               if (!value.empty()) a.CreateCursor();
             });
  c.Property("iconFile", &Applet::iconFile_);
  c.Property("style", &Applet::WindowStyle, &Applet::SetWindowStyle).Default(systemStyle);
  c.Property("frameRate", &Applet::frameRate_).Default(0);
  c.Property("storePreferenses", &Applet::storePreferenses_).Default(true);
  c.Property("maskFile", [](const Applet& a) { return a.maskFile_; },
             [](Applet& a, const std::u16string& value) {
               a.maskFile_ = value;
               if (a.window_) a.window_->MaskFile = Utf16ToUtf8(value);
             });
  c.Property("maskMargin", [](const Applet& a) { return a.maskMargin_; },
             [](Applet& a, TRectPersistent* value) {
               if (value && value != a.maskMargin_) a.maskMargin_->Assign(value);
               if (a.window_) a.window_->MaskMargin = a.maskMargin_->GetRect();
             });
  c.Property("autoScale", &Applet::AutoScale, &Applet::SetAutoScale).Default(false);
  c.Property("autoScaleSizeX", &Applet::AutoScaleSizeX, &Applet::SetAutoScaleSizeX).NoDefault();
  c.Property("autoScaleSizeY", &Applet::AutoScaleSizeY, &Applet::SetAutoScaleSizeY).NoDefault();
  c.Property("fullScreen", &Applet::FullScreen, &Applet::SetFullScreen).Default(false);
  c.Property("screenModes", &Applet::ScreenModes,
             [](Applet& a, TWideStringList* value) {
               if (value && value != a.screenModes_) a.screenModes_->Assign(value);
             })
      .Stored(false);
  c.Property("screenModeIndex", &Applet::ScreenModeIndex, &Applet::SetScreenModeIndex).Stored(false);
  c.Property("screenMode", &Applet::ScreenMode, &Applet::SetScreenMode);
  c.Property("onLoad", &Applet::onLoad_);
  c.Property("onFree", &Applet::onFree_);
  c.Property("onMouseMove", &Applet::onMouseMove_);
  c.Property("onMouseUp", &Applet::onMouseUp_);
  c.Property("onMouseWheel", &Applet::onMouseWheel_);
  c.Property("onKeyPress", &Applet::onKeyPress_);
  c.Property("onActivate", &Applet::onActivate_);
  c.Property("onDeactivate", &Applet::onDeactivate_);

  c.Method("terminate", &Applet::terminate);
  c.Method("makepng", &Applet::makepng);
  c.Method("toggleConsole", &Applet::toggleConsole);
  c.Method("sleep", &Applet::sleep);
  c.Method("new", &Applet::New);
  c.Method("newFromFile", &Applet::newFromFile);
  c.Method("newFromCache", &Applet::newFromCache);
  c.Method("storeObject", &Applet::storeObject);
  c.Method("createBin", &Applet::createBin);
  c.Method("startMission", &Applet::startMission);
  c.Method("editMission", &Applet::editMission);
  c.Method("showMessage", &Applet::showMessage);
  c.Method("fadeScreenToColor", &Applet::fadeScreenToColor);
  c.Method("hideScreen", &Applet::hideScreen);
  c.Method("fadeScreenToColorWait", &Applet::fadeScreenToColorWait);
  c.Method("hideScreenWait", &Applet::hideScreenWait);
  c.Method("killParticles", &Applet::killParticles);
  c.Method("devices", &Applet::devices);
}

// ------------------------------------------------------------ construction

Applet::Applet(const TCreateContext& context) : Container(context) {
  SetApplet(this);
  resMan_ = context.ResMan;
  ownsResMan_ = context.Applet == nullptr;
  // Until AfterConstruction is over: the handlers run while the applet is
  // read, and onLoad, may wait in frames that see it terminate.
  busy_ = 1;
  Construct();
}

Applet::Applet(const TCreateContext& context, TTreeOnly) : Container(context), treeOnly_(true) {
  SetApplet(this);
  resMan_ = context.ResMan;
  ownsResMan_ = context.Applet == nullptr;
  maskMargin_ = Create<TRectPersistent>(TCreateContext(this));
  screenModes_ = Create<TWideStringList>(TCreateContext(this));
}

Applet::~Applet() = default;

void Applet::Construct() {
  EngineLog(u"Start of the root object creation");
  title_ = u"New Applet";
  iconFile_ = "icon.png";
  modelScale_ = 1.0f;
  SetAlpha(1.0f);
  if (!EngineEmbedded()) {
    left_ = top_ = InitNoVisible ? 10000 : 100;
    width_ = 801;
    height_ = 601;
    bkColor_ = 0xFF000000u;
    style_ = systemStyle;
  } else {
    left_ = top_ = 0;
    width_ = InitEmbeddedWidth;
    height_ = InitEmbeddedHeight;
    bkColor_ = StrToColor(InitEmbeddedColor);
    autoSize_ = InitEmbeddedAutoSize;
    style_ = maskStyle;
    embeddedHandle_ = InitEmbeddedHandle;
  }
  prevWidth_ = static_cast<float>(width_);
  prevHeight_ = static_cast<float>(height_);
  autoScaleSizeX_ = 800;
  autoScaleSizeY_ = 600;
  storePreferenses_ = true;
  boundsCulling_ = false;
  active_ = true;
  scale_ = 1.0f;
  place_ = normalPlace;
  lighting_ = false;
  pause_ = false;
  consoleEnabled_ = true;
  maskMargin_ = Create<TRectPersistent>(TCreateContext(this));
  screenModes_ = Create<TWideStringList>(TCreateContext(this));
  screenModeIndex_ = -1;
  fullScreen_ = false;

  EngineLog(u"Create main window");
  CreateWindow();
  if (!window_) {
    EngineError(u"Can't create main window");
    return;
  }
  EngineLog(u"Main window created");
  if (!DeviceList().empty() && DefaultDevice >= 0) {
    EngineLog(u"Create main device");
    SetDeviceIndex(DefaultDevice);
  }
  if (!device_) {
    EngineError(u"No suported devices registered");
    return;
  }
  EngineLog(u"Device was created successful");
  device_->SetCameraPos({0, -150, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1});

  CreateServices();
  LoadDefaults();
  EngineLog(u"Create most top layer");
  CreateMostTop();
  EngineLog(u"Set script vars");
  SetScriptVars();
  EngineLog(u"load main object and script");
  constructed_ = true;
  if (!FileName().empty()) LoadCompanionScript(FileName());
}

void Applet::CreateServices() {
  scriptEngine_ = MakeFromClass<TScriptEngine>(ScriptEngineClass, this);
  // The services are children, and not the game's: never saved with it.
  cache_ = Create<TCache>(TCreateContext(this));
  cache_->IncludeStyle(csExternal);
  filter_ = MakeFromClass<TFilter>(FilterClass, this);
  if (filter_) filter_->IncludeStyle(csExternal);
  event_ = Create<Event>(TCreateContext(this));
  event_->IncludeStyle(csExternal);
  // The materials are the game's: saved with the applet, read back by
  // LoadMaterials.
  materials_ = collaborator::MakeAs<Materials>("Materials", this, u"Materials");
  if (materials_) materials_->ExcludeStyle(csExternal);
  preferences_ = Create<Preferences>(TCreateContext(this));
  preferences_->IncludeStyle(csExternal);
  scoreTable_ = Create<ScoreTable>(TCreateContext(this));
  scoreTable_->IncludeStyle(csExternal);
}

void Applet::LoadDefaults() {
  TResourceMan* embedded = Engine ? Engine->EmbeddedResMan() : nullptr;
  if (!defaultPixmap_ && cache_ && embedded) defaultPixmap_ = cache_->LoadPixmap(embedded, u"defaultskin.pixmap");
  if (device_ && defaultPixmap_) device_->DefaultPixmap = defaultPixmap_;
  if (!defaultSkin_.Get() && embedded && collaborator::Registered("Skin")) {
    BaseObject* skin = LoadOwnObject(embedded, u"defaultskin.object", this);
    if (skin) skin->IncludeStyle(csExternal);
    defaultSkin_ = skin;
  }
}

void Applet::ReadState(TGReader& reader) {
  // An applet without its window or device reads nothing: it is not run.
  if (treeOnly_ || constructed_) Container::ReadState(reader);
}

void Applet::AfterConstruction() {
  struct TConstructed {
    Applet& applet;
    ~TConstructed() {
      if (!applet.treeOnly_) applet.LeaveCall();
    }
  } constructed{*this};
  Container::AfterConstruction();
  if (treeOnly_ || !constructed_) return;
  EngineLog(u"main object was loaded");
  TWeak<Applet> self(this);
  if (VisualObject* form = debugForm_.Get()) form->SetVisible(debugInfo_);
  TPlatform* platform = ThePlatform();
  if (style_ == maskStyle && window_) {
    window_->MaskMargin = maskMargin_->GetRect();
    window_->BufferWidth -= 1;
    if (platform) platform->ResizeWindow(window_, -1, -1);
  }
  if (EngineEmbedded()) bkColor_ = StrToColor(InitEmbeddedColor);
  ready_ = true;
  UpdateWindowState();
  if (platform && window_) {
    platform->SetIcon(window_, iconFile_);
    platform->ShowWindow(window_);
  }
  if (hasPendingDeviceName_) {
    hasPendingDeviceName_ = false;
    SetDeviceName(pendingDeviceName_);
  }
  // Streamed inside another applet, it has neither its name nor its
  // streamed switches yet.
  dataDeferred_ = HasState(csLoading) && Parent() && !dynamic_cast<SomeEngine*>(Parent());
  if (storePreferenses_ && !dataDeferred_) LoadPreferences();
  SaveWindow();
  if (preferences_ && preferences_->HasValue(u"screenmode")) SetScreenMode(preferences_->GetValue(u"screenmode"));
  if (!preferences_ || !preferences_->HasValue(u"fullscreen")) {
    if (hasPendingFullScreen_) {
      hasPendingFullScreen_ = false;
      SetFullScreen(pendingFullScreen_);
    } else {
      UpdateScreenMode();
    }
  } else {
    const std::u16string value = preferences_->GetValue(u"fullscreen");
    SetFullScreen(value == u"-1" || value == u"1" || WidenLatin1(AsciiLowerCase(NarrowLatin1(value))) == u"true");
  }
  repaint();
  UpdateWindow();
  if (platform && window_) platform->ResizeWindow(window_, -1, -1);
  RecalcAbsolute();
  ready_ = true;
  LoadMaterials();
  EngineLog(u"End of the root object creation");
  if (self.Get()) CallScript(onLoad_);
}

void Applet::Loaded() {
  Container::Loaded();
  if (!dataDeferred_) return;
  dataDeferred_ = false;
  if (storePreferenses_) LoadPreferences();
}

void Applet::LoadPreferences() {
  EngineLog(u"Score load");
  if (scoreTable_) scoreTable_->Load();
  EngineLog(u"Prefenses load");
  if (preferences_) preferences_->Load();
  EngineLog(u"Prefenses loaded");
  if (!preferences_ || !preferences_->HasValue(u"soundvolume")) return;
  EngineLog(u"Set sound from pref");
  if (SoundEngineClass && !soundEngine_) {
    if (auto* sounds = MakeFromClass<TSoundEngine>(SoundEngineClass, this)) {
      EngineLog(u"Create SoundEngine");
      soundEngine_ = sounds;
      sounds->SetPause(pause_);
      if (scriptEngine_) scriptEngine_->RegisterVariable(u"soundEngine", WidenLatin1(sounds->ClassName()), sounds);
    }
  }
  if (!soundEngine_) return;
  EngineLog(u"Set volumes");
  // A volume that is no number keeps the sound engine's own (reported).
  soundEngine_->SetSoundVolume(preferences_->GetFloatValue(u"soundvolume", soundEngine_->SoundVolume()));
  soundEngine_->SetMusicVolume(preferences_->GetFloatValue(u"musicvolume", soundEngine_->MusicVolume()));
}

void Applet::LoadMaterials() {
  Materials* streamed = nullptr;
  for (BaseObject* child : ChildList())
    if (child != materials_ && SameText(child->ClassName(), "Materials"))
      if ((streamed = dynamic_cast<Materials*>(child))) break;
  if (streamed) {
    EngineLog(u"Load material from main.object");
    SetMaterials(streamed);
    if (scriptEngine_) scriptEngine_->RegisterVariable(u"materials", WidenLatin1(streamed->ClassName()), streamed);
    return;
  }
  if (!materials_) return;
  auto make = [this](const char16_t* name, const char16_t* ambient, const char16_t* diffuse,
                     const char16_t* specular, bool lighting) {
    auto* material = collaborator::MakeAs<Material>("Material", materials_, u"Material");
    if (!material) return;
    material->ExcludeStyle(csExternal);
    material->SetName(name);
    material->SetAmbient(ambient);
    material->SetDiffuse(diffuse);
    material->SetSpecular(specular);
    material->SetLighting(lighting);
  };
  make(u"default", u"#FF969696", u"#FF969696", u"#FFFFFFFF", true);
  make(u"gui", u"#FFFFFFFF", u"#FFFFFFFF", u"#FFFFFFFF", false);
}

// ------------------------------------------------------------- services

bool Applet::IsChildService(const BaseObject* object) const {
  return object && (object == cache_ || object == filter_ || object == event_ || object == materials_ ||
                    object == preferences_ || object == scoreTable_);
}

bool Applet::IsServiceObject(const BaseObject* object) const {
  return IsChildService(object) || (object && object == mostTop_.Get());
}

void Applet::SetMaterials(Materials* materials) {
  if (materials == materials_) return;
  Materials* old = materials_;
  materials_ = materials;
  if (old) old->Free();
}

void Applet::SetDynamicEngine(TDynamicEngine* engine) {
  if (engine == dynamicEngine_) return;
  Release(dynamicEngine_);
  dynamicEngine_ = engine;
}

BaseObject* Applet::Renderer(std::int32_t index) const {
  return index >= 0 && index < 3 ? renderers_[index].Get() : nullptr;
}

void Applet::SetViewFrustums(const TFrustum& screen, const TFrustum& space) {
  screenFrustum_ = screen;
  spaceFrustum_ = space;
}

bool Applet::DebugFormVisible() const {
  const VisualObject* form = debugForm_.Get();
  return form && form->Visible();
}

// -------------------------------------------------------------------- life

void Applet::terminate() {
  if (!EngineEmbedded()) SetTerminated(true);
}

void Applet::SetTerminated(bool value) {
  terminated_ = value;
  if (value && endingSince_ < 0) endingSince_ = SteadySeconds();
  // A script that runs on (a loop around a wait that now returns at once,
  // or one that never waits) is stopped at its next step.
  if (value && scriptEngine_) scriptEngine_->InterruptScripts();
}

double Applet::EndingSince() const {
  double since = -1;
  for (const BaseObject* object = this; object && !IsEngine(object); object = object->Parent())
    if (const auto* applet = dynamic_cast<const Applet*>(object); applet && applet->endingSince_ >= 0)
      since = since < 0 ? applet->endingSince_ : std::min(since, applet->endingSince_);
  return since;
}

void Applet::CloseRequested() {
  if (TEngineServices* engine = RunningEngine()) engine->NoteCloseRequest();
  for (BaseObject* object = this; object && !IsEngine(object); object = object->Parent())
    if (auto* applet = dynamic_cast<Applet*>(object)) applet->terminate();
}

void Applet::Dispose() { terminate(); }

void Applet::SetPause(bool value) {
  pause_ = value;
  if (soundEngine_) soundEngine_->SetPause(value);
}

void Applet::RunHandler(const std::u16string& handler) { CallScript(handler); }

void Applet::Activate() {
  EngineLog(u"Activate app");
  if (event_ && event_->MouseAsquired())
    if (TPlatform* platform = ThePlatform()) platform->AcquireMouse(window_);
  TWeak<Applet> self(this);
  RunHandler(onActivate_);
  if (self.Get()) active_ = true;
}

void Applet::Deactivate() {
  EngineLog(u"Deactivate app");
  active_ = false;
  if (event_ && event_->MouseAsquired())
    if (TPlatform* platform = ThePlatform()) platform->AcquireDisable(window_);
  RunHandler(onDeactivate_);
}

void Applet::ProcessTick(float dt, float time) {
  if (pause_) return;
  TWeak<Applet> self(this);
  if (PositionObject* cursor = cursor_.Get()) cursor->SetVisible(!event_ || !event_->MouseAsquired());
  ResetPaintCounts();
  TPlatform* platform = ThePlatform();
  const bool measure = platform && DebugFormVisible();
  double start = measure ? platform->GetCurrentTime() : 0.0;
  UpdateWindow();
  if (measure && Engine)
    Engine->ShowInfo(u"Rendering", Seconds(static_cast<float>(platform->GetCurrentTime() - start)));
  ResetScriptTime();
  if (measure) start = platform->GetCurrentTime();
  BaseObject::ProcessTick(dt, time);
  if (!self.Get()) return;
  CallScript(OnTick());
  if (!self.Get()) return;
  if (device_) device_->ProcessTick(dt, time);
  if (event_) event_->ProcessEvents();
  if (!self.Get()) return;
  if (dynamicEngine_) dynamicEngine_->UpdateWorlds(dt);
  if (DebugFormVisible()) PostDebugInfo(start);
  if (scriptEngine_) scriptEngine_->ProcessGarbageColection();
  if (device_) device_->FlipWindow();
  if (Dummy* layer = mostTop_.Get(); layer && !ChildList().empty() && ChildList().back() != layer)
    layer->BringToFront();
}

void Applet::PostDebugInfo(double tickStart) {
  if (!Engine) return;
  TPlatform* platform = ThePlatform();
  Engine->ShowInfo(u"Objects", IntToStr(LiveCount()));
  Engine->ShowInfo(u"Scripting", Seconds(scriptTime_));
  Engine->ShowInfo(u"DeltaTime", Seconds(Engine->DeltaTime()));
  Engine->ShowInfo(u"ProcessTick", Seconds(platform ? static_cast<float>(platform->GetCurrentTime() - tickStart) : 0.0f));
  const std::int32_t w = window_ ? window_->Width : 0;
  const std::int32_t h = window_ ? window_->Height : 0;
  Engine->ShowInfo(u"Wnd Size:", IntToStr(w) + u"x" + IntToStr(h));
  Engine->ShowInfo(u"Vis/Invis", IntToStr(visibleCount_) + u"/" + IntToStr(invisibleCount_));
  if (cache_) cache_->WriteStat();
}

// ---------------------------------------------------------------- teardown

void Applet::BeforeDestruction() {
  terminated_ = true;
  if (endingSince_ < 0) endingSince_ = SteadySeconds();
  // An applet that never stood (no window or device) has nothing to store
  // or report.
  if (constructed_) {
    CallScript(onFree_);
    StoreAtEnd();
    LogDebugBoard();
    if (device_) device_->WriteStatistics();
  }
  FreeGameObjects();
  FreeServices();
  if (constructed_) EngineLog(u"Objects destroyed");
  DestroyWindow();
  defaultPixmap_ = nullptr;
  defaultSkin_ = nullptr;
  Container::BeforeDestruction();
}

void Applet::StoreAtEnd() {
  // A nested applet whose load ended before its preferences and scores
  // were read has none of its own in hand: storing would write over them.
  if (storedAtEnd_ || !constructed_ || !storePreferenses_ || dataDeferred_) return;
  storedAtEnd_ = true;
  StorePreferences();
}

void Applet::StorePreferences() {
  if (scoreTable_) scoreTable_->Store();
  if (!preferences_) return;
  preferences_->SetValue(u"screenmode", screenMode_);
  preferences_->SetValue(u"fullscreen", fullScreen_ ? u"TRUE" : u"FALSE");
  preferences_->SetValue(u"left", IntToStr(left_));
  preferences_->SetValue(u"top", IntToStr(top_));
  if (soundEngine_) {
    preferences_->SetValue(u"soundvolume", FloatToStr(soundEngine_->SoundVolume()));
    preferences_->SetValue(u"musicvolume", FloatToStr(soundEngine_->MusicVolume()));
  }
  preferences_->Store();
}

void Applet::LogDebugBoard() {
  EngineLog(u"Last info===========");
  if (Engine) {
    const THashedStringList& board = Engine->LogBook().Info;
    for (int i = 0; i < board.Count(); ++i)
      EngineLog(board.GetName(i) + u" - " + board.GetValueFromIndex(i));
  }
  EngineLog(u"=====================");
}

void Applet::FreeGameObjects() {
  // The game's objects first, in list order, while every service they may
  // call on the way out still stands (the top layer and the default skin
  // among them); the services stay in the list until their turn. Nothing
  // is made under or moved to an applet being freed, so this is the whole
  // of them.
  FreeChildren([this](const BaseObject* child) { return IsChildService(child); });
  // Then those taken out of the tree and never placed again.
  std::vector<TWeak<BaseObject>> detached = std::move(detached_);
  for (TWeak<BaseObject>& object : detached)
    if (BaseObject* alone = object.Get(); alone && !alone->Parent()) alone->Free();
  if (Materials* materials = materials_) {
    materials_ = nullptr;
    materials->Free();
  }
}

void Applet::KeepDetached(BaseObject* object) {
  // Pruned each time the list doubles, so that a script moving objects
  // out and back in a loop keeps it as long as what is really detached.
  if (detached_.size() >= 2 * std::max<std::size_t>(detachedKept_, 16)) {
    std::erase_if(detached_, [](const TWeak<BaseObject>& o) { return !o.Get() || o.Get()->Parent(); });
    detachedKept_ = detached_.size();
  }
  detached_.emplace_back(object);
}

void Applet::FreeServices() {
  // Each field is cleared before its object goes, so that whatever runs
  // while it goes finds no service rather than a freed one.
  if (device_) device_->DefaultPixmap = nullptr;  // the cache destroys it
  Release(cache_);
  Release(dynamicEngine_);
  Release(soundEngine_);
  Release(maskMargin_);
  if (ownsResMan_) Release(resMan_);
  resMan_ = nullptr;
  Release(scriptEngine_);
  Release(filter_);
  Release(scoreTable_);
  Release(preferences_);
  Release(event_);
  Release(device_);
  Release(screenModes_);
}

// ------------------------------------------------------------------ saving

void Applet::BeforeSave() {
  Container::BeforeSave();
  if (VisualObject* console = console_.Get()) Remove(console);
  if (VisualObject* form = debugForm_.Get(); form && form->Parent() == this) Remove(form);
}

void Applet::AfterSave() {
  Container::AfterSave();
  if (VisualObject* form = debugForm_.Get(); form && !form->Parent()) AddChild(form);
  if (VisualObject* console = console_.Get(); console && !console->Parent()) AddChild(console);
}

// ------------------------------------------------------ for the tree

Applet* AppletOf(const BaseObject* object) {
  return object ? dynamic_cast<Applet*>(object->GetApplet()) : nullptr;
}

TObjectCache* Applet::ObjectCache() const { return cache_; }

void Applet::ApplyMaterial(const std::u16string& name, float alpha) {
  if (materials_)
    if (Material* found = materials_->getMaterial(name)) found->Apply(alpha);
}

// --------------------------------------------------------- window host

bool Applet::DrawsOwnCursor() const {
  const PositionObject* cursor = cursor_.Get();
  return cursor && cursor->isVisible();
}

void Applet::QueueEvent(std::unique_ptr<TLowEvent> event) {
  if (event_) event_->AddEvent(std::move(event));
}

float Applet::CurrentTime() const {
  TPlatform* platform = ThePlatform();
  return platform ? static_cast<float>(platform->GetCurrentTime()) : 0.0f;
}

TPixmap* Applet::LoadPixmapFile(TResourceMan* resMan, const std::string& fileName) {
  return filter_ ? filter_->LoadPixmap(resMan, Utf8ToUtf16(fileName)) : nullptr;
}

void Applet::SavePixmapFile(TResourceMan* resMan, const std::string& fileName, TPixmap* pixmap) {
  if (filter_) filter_->SavePixmap(resMan, Utf8ToUtf16(fileName), pixmap);
}

}  // namespace corvane
