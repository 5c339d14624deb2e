#include "resources/cache/cache.h"

#include "base/reflection/class_builder.h"
#include "base/streams/memory_stream.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "platform/device.h"
#include "platform/filters/filter.h"
#include "platform/sound_engine.h"
#include "script/script_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TCache)

namespace {

// The shared object listed under the name, count + 1; null for a
// remembered miss. Whether the name is listed.
template <class T>
bool Hand(const TCacheList& list, std::u16string_view name, T*& shared) {
  TObject* object = nullptr;
  if (!list.Find(name, object)) return false;
  shared = static_cast<T*>(object);
  if (shared) ++shared->RefCount;
  return true;
}

// Count - 1 of a listed object; true (and the entry gone) when it reached 0.
template <class T>
bool Release(TCacheList& list, T* object) {
  if (!list.Holds(object)) return false;
  if (--object->RefCount > 0) return false;
  list.RemoveObject(object);
  return true;
}

}  // namespace

TCache::TCache(const TCreateContext& context) : BaseObject(context) {}

TCache::~TCache() = default;

void TCache::BeforeDestruction() {
  Clear();
  EngineLog(u"cleared");
  // Every holder in the applet is gone by now: what is still listed was
  // held past its holder's life, and would otherwise outlive the applet
  // (textures, sounds, compiled scripts).
  DestroyAll(meshes_);
  EngineLog(u"mesh ok");
  DestroyAll(scripts_);
  EngineLog(u"script ok");
  EngineLog(u"stream ok");
  DestroyAll(sounds_);
  EngineLog(u"sound ok");
  DestroyAll(music_);
  EngineLog(u"music ok");
  DestroyAll(pixmaps_);
  EngineLog(u"pixmap ok");
  DestroyAll(fonts_);
  EngineLog(u"font ok");
  BaseObject::BeforeDestruction();
}

TDevice* TCache::Device() const { return GetApplet() ? GetApplet()->Device() : nullptr; }

TScriptEngine* TCache::Scripts() const { return GetApplet() ? GetApplet()->ScriptEngine() : nullptr; }

TSoundEngine* TCache::SoundEngine() {
  TAppletServices* applet = GetApplet();
  if (!applet) return nullptr;
  if (!applet->SoundEngine() && SoundEngineClass && SoundEngineClass->InheritsFrom(TSoundEngine::StaticClass())) {
    auto* engine = static_cast<TSoundEngine*>(SoundEngineClass->CreateInstance(TCreateContext(applet->AppletObject())));
    if (!engine) return nullptr;  // an abstract class: nothing to make
    applet->SetSoundEngine(engine);
    engine->SetPause(applet->Paused());
    if (TScriptEngine* scripts = Scripts())
      scripts->RegisterVariable(u"soundEngine", WidenLatin1(engine->ClassName()), engine);
  }
  return applet->SoundEngine();
}

// ------------------------------------------------------------------- loading

TFont* TCache::LoadFont(const std::u16string& name, float size, TFontStyles style) {
  const std::u16string key = name + IntToStr(TruncFontSize(size)) + WidenLatin1(FontStyleToStr(style));
  TFont* font = nullptr;
  if (Hand(fonts_, key, font)) return font;
  TDevice* device = Device();
  font = device ? device->CreateSysFont(Utf16ToUtf8(name), size, style) : nullptr;
  fonts_.Add(key, font);
  if (font) ++font->RefCount;
  return font;
}

TPixmap* TCache::LoadPixmap(TResourceMan* resMan, const std::u16string& name) {
  TPixmap* pixmap = nullptr;
  if (Hand(pixmaps_, name, pixmap)) return pixmap;
  TFilter* filter = GetApplet() ? GetApplet()->Filter() : nullptr;
  pixmap = filter ? filter->LoadPixmap(resMan, name) : nullptr;
  if (!pixmap) return nullptr;
  pixmaps_.Add(name, pixmap);
  ++pixmap->RefCount;
  return pixmap;
}

TMesh* TCache::LoadMesh(TResourceMan* resMan, const std::u16string& name) {
  TMesh* mesh = nullptr;
  if (Hand(meshes_, name, mesh)) return mesh;
  TFilter* filter = GetApplet() ? GetApplet()->Filter() : nullptr;
  mesh = filter ? filter->LoadMesh(resMan, name) : nullptr;
  meshes_.Add(name, mesh);
  if (mesh) ++mesh->RefCount;
  return mesh;
}

TSound* TCache::LoadSound(TResourceMan* resMan, const std::u16string& name) {
  TSoundEngine* engine = SoundEngine();
  TSound* sound = nullptr;
  if (Hand(sounds_, name, sound)) return sound;
  sound = engine ? engine->LoadSound(resMan, Utf16ToUtf8(name)) : nullptr;
  if (!sound) return nullptr;
  sounds_.Add(name, sound);
  ++sound->RefCount;
  return sound;
}

TMusic* TCache::LoadMusic(TResourceMan* resMan, const std::u16string& name) {
  TSoundEngine* engine = SoundEngine();
  TMusic* music = nullptr;
  if (Hand(music_, name, music)) return music;
  music = engine ? engine->LoadMusic(resMan, Utf16ToUtf8(name)) : nullptr;
  if (!music) return nullptr;
  music_.Add(name, music);
  ++music->RefCount;
  return music;
}

TScript* TCache::LoadScript(TResourceMan* resMan, const std::u16string& name) {
  TScript* script = nullptr;
  if (Hand(scripts_, name, script)) return script;
  TScriptEngine* engine = Scripts();
  script = engine ? engine->LoadScript(resMan, name) : nullptr;
  if (!script) return nullptr;
  scripts_.Add(name, script);
  ++script->RefCount;
  return script;
}

// ----------------------------------------------------------------- releasing

void TCache::FreeFont(TFont* font) {
  if (Release(fonts_, font)) Destroy(font);
}

void TCache::FreePixmap(TPixmap* pixmap) {
  if (Release(pixmaps_, pixmap)) Destroy(pixmap);
}

void TCache::FreeMesh(TMesh* mesh) {
  if (Release(meshes_, mesh)) Destroy(mesh);
}

void TCache::FreeSound(TSound* sound) {
  if (Release(sounds_, sound)) Destroy(sound);
}

void TCache::FreeMusic(TMusic* music) {
  if (Release(music_, music)) Destroy(music);
}

void TCache::FreeScript(TScript* script) {
  if (Release(scripts_, script)) Destroy(script);
}

void TCache::Destroy(TObject* object) {
  TAppletServices* applet = GetApplet();
  TDevice* device = Device();
  TSoundEngine* sounds = applet ? applet->SoundEngine() : nullptr;
  if (auto* pixmap = dynamic_cast<TPixmap*>(object)) {
    if (device) device->DestroyPixmap(pixmap);
    else pixmap->Free();
  } else if (auto* mesh = dynamic_cast<TMesh*>(object)) {
    if (device) device->DestroyMesh(mesh);
    else mesh->Free();
  } else if (auto* font = dynamic_cast<TFont*>(object)) {
    if (device) device->DestroyFont(font);
    else font->Free();
  } else if (auto* sound = dynamic_cast<TSound*>(object)) {
    if (sounds) sounds->DestroySound(sound);
    else sound->Free();
  } else if (auto* music = dynamic_cast<TMusic*>(object)) {
    if (sounds) sounds->DestroyMusic(music);
    else music->Free();
  } else if (auto* script = dynamic_cast<TScript*>(object)) {
    if (TScriptEngine* engine = Scripts()) engine->FreeScript(script);
    else script->Free();
  } else if (object) {
    object->Free();
  }
}

void TCache::DestroyAll(TCacheList& list) {
  list.NewestFirst([&](const std::u16string& name, TObject* object) {
    list.Remove(name);
    if (object) Destroy(object);
  });
}

// ------------------------------------------------------------------- streams

void TCache::AddStream(TResourceMan*, const std::u16string& name, TStream& stream) {
  TObject* listed = nullptr;
  if (streams_.Find(name, listed)) return;
  TOwned<TMemoryStream> copy(new TMemoryStream());
  copy->LoadFromStream(stream);
  streams_.Add(name, copy.release());
}

TStream* TCache::LoadStream(TResourceMan*, const std::u16string& name) {
  TObject* listed = nullptr;
  if (!streams_.Find(name, listed)) return nullptr;
  auto* stream = static_cast<TMemoryStream*>(listed);
  stream->SetPosition(0);
  ++*streams_.CountOf(name);
  return stream;
}

void TCache::FreeStream(const std::u16string& name) {
  std::int32_t* count = streams_.CountOf(name);
  if (!count || --*count > 0) return;
  EngineLog(u"delete from cache " + name);
  TObject* stream = nullptr;
  streams_.Find(name, stream);
  streams_.Remove(name);
  stream->Free();
}

std::int32_t TCache::StreamRefCount(const std::u16string& name) const {
  return streams_.CountOr(name, -1);
}

// -------------------------------------------------------------- housekeeping

void TCache::Clear() {
  // Each object once, as every holder releases it: one held only by the
  // cache goes, one held elsewhere stays listed for its holder's release.
  const auto releaseEach = [](TCacheList& list, const auto& release) {
    list.NewestFirst([&](const std::u16string& name, TObject* object) {
      if (object) release(object);
      else list.Remove(name);  // a remembered miss
    });
  };
  releaseEach(music_, [this](TObject* o) { FreeMusic(static_cast<TMusic*>(o)); });
  releaseEach(sounds_, [this](TObject* o) { FreeSound(static_cast<TSound*>(o)); });
  releaseEach(meshes_, [this](TObject* o) { FreeMesh(static_cast<TMesh*>(o)); });
  releaseEach(pixmaps_, [this](TObject* o) { FreePixmap(static_cast<TPixmap*>(o)); });
  releaseEach(fonts_, [this](TObject* o) { FreeFont(static_cast<TFont*>(o)); });
  streams_.NewestFirst([this](const std::u16string&, TObject* stream) {
    streams_.RemoveObject(stream);
    stream->Free();
  });
}

void TCache::WriteStat() {
  EngineShowInfo(u"Cache Font", IntToStr(FontCount()));
  EngineShowInfo(u"Cache Pixmap", IntToStr(PixmapCount()));
  EngineShowInfo(u"Cache Mesh", IntToStr(MeshCount()));
  EngineShowInfo(u"Cache Script", IntToStr(ScriptCount()));
  EngineShowInfo(u"Cache Stream", IntToStr(StreamCount()));
  EngineShowInfo(u"Cache Sound", IntToStr(SoundCount()));
  EngineShowInfo(u"Cache Music", IntToStr(MusicCount()));
}

}  // namespace corvane
