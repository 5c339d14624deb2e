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

// The shared object of the entry, count + 1; null for a remembered miss.
template <class T>
T* Hand(const THashedStringList& list, int index) {
  auto* object = static_cast<T*>(list.Objects(index));
  if (object) ++object->RefCount;
  return object;
}

// Count - 1 of a listed object; true (and the entry gone) when it reached 0.
template <class T>
bool Release(THashedStringList& list, T* object) {
  if (!object) return false;
  const int index = list.IndexOfObject(object);
  if (index < 0) return false;
  if (--object->RefCount > 0) return false;
  list.Delete(index);
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
  const int index = fonts_.IndexOf(key);
  if (index >= 0) return Hand<TFont>(fonts_, index);
  TDevice* device = Device();
  TFont* font = device ? device->CreateSysFont(Utf16ToUtf8(name), size, style) : nullptr;
  fonts_.AddObject(key, font);
  if (font) ++font->RefCount;
  return font;
}

TPixmap* TCache::LoadPixmap(TResourceMan* resMan, const std::u16string& name) {
  const int index = pixmaps_.IndexOf(name);
  if (index >= 0) return Hand<TPixmap>(pixmaps_, index);
  TFilter* filter = GetApplet() ? GetApplet()->Filter() : nullptr;
  TPixmap* pixmap = filter ? filter->LoadPixmap(resMan, name) : nullptr;
  if (!pixmap) return nullptr;
  pixmaps_.AddObject(name, pixmap);
  ++pixmap->RefCount;
  return pixmap;
}

TMesh* TCache::LoadMesh(TResourceMan* resMan, const std::u16string& name) {
  const int index = meshes_.IndexOf(name);
  if (index >= 0) return Hand<TMesh>(meshes_, index);
  TFilter* filter = GetApplet() ? GetApplet()->Filter() : nullptr;
  TMesh* mesh = filter ? filter->LoadMesh(resMan, name) : nullptr;
  meshes_.AddObject(name, mesh);
  if (mesh) ++mesh->RefCount;
  return mesh;
}

TSound* TCache::LoadSound(TResourceMan* resMan, const std::u16string& name) {
  TSoundEngine* engine = SoundEngine();
  const int index = sounds_.IndexOf(name);
  if (index >= 0) return Hand<TSound>(sounds_, index);
  TSound* sound = engine ? engine->LoadSound(resMan, Utf16ToUtf8(name)) : nullptr;
  if (!sound) return nullptr;
  sounds_.AddObject(name, sound);
  ++sound->RefCount;
  return sound;
}

TMusic* TCache::LoadMusic(TResourceMan* resMan, const std::u16string& name) {
  TSoundEngine* engine = SoundEngine();
  const int index = music_.IndexOf(name);
  if (index >= 0) return Hand<TMusic>(music_, index);
  TMusic* music = engine ? engine->LoadMusic(resMan, Utf16ToUtf8(name)) : nullptr;
  if (!music) return nullptr;
  music_.AddObject(name, music);
  ++music->RefCount;
  return music;
}

TScript* TCache::LoadScript(TResourceMan* resMan, const std::u16string& name) {
  const int index = scripts_.IndexOf(name);
  if (index >= 0) return Hand<TScript>(scripts_, index);
  TScriptEngine* engine = Scripts();
  TScript* script = engine ? engine->LoadScript(resMan, name) : nullptr;
  if (!script) return nullptr;
  scripts_.AddObject(name, script);
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

void TCache::DestroyAll(THashedStringList& list) {
  for (int i = list.Count() - 1; i >= 0; --i) {
    TObject* object = list.Objects(i);
    list.Delete(i);
    if (object) Destroy(object);
  }
}

// ------------------------------------------------------------------- streams

void TCache::AddStream(TResourceMan*, const std::u16string& name, TStream& stream) {
  if (streams_.IndexOf(name) >= 0) return;
  TOwned<TMemoryStream> copy(new TMemoryStream());
  copy->LoadFromStream(stream);
  streams_.AddObject(name, copy.release());
  streamCounts_.push_back(0);
}

TStream* TCache::LoadStream(TResourceMan*, const std::u16string& name) {
  const int index = streams_.IndexOf(name);
  if (index < 0) return nullptr;
  auto* stream = static_cast<TMemoryStream*>(streams_.Objects(index));
  stream->SetPosition(0);
  ++streamCounts_[static_cast<std::size_t>(index)];
  return stream;
}

void TCache::FreeStream(const std::u16string& name) {
  const int index = streams_.IndexOf(name);
  if (index < 0) return;
  if (--streamCounts_[static_cast<std::size_t>(index)] > 0) return;
  EngineLog(u"delete from cache " + name);
  TObject* stream = streams_.Objects(index);
  streams_.Delete(index);
  streamCounts_.erase(streamCounts_.begin() + index);
  stream->Free();
}

std::int32_t TCache::StreamRefCount(const std::u16string& name) const {
  const int index = streams_.IndexOf(name);
  return index < 0 ? -1 : streamCounts_[static_cast<std::size_t>(index)];
}

// -------------------------------------------------------------- housekeeping

void TCache::Clear() {
  // Each object once, as every holder releases it: one held only by the
  // cache goes, one held elsewhere stays listed for its holder's release.
  const auto releaseEach = [](THashedStringList& list, const auto& release) {
    for (int i = list.Count() - 1; i >= 0; --i) {
      if (i >= list.Count()) continue;
      if (TObject* object = list.Objects(i)) release(object);
      else list.Delete(i);  // a remembered miss
    }
  };
  releaseEach(music_, [this](TObject* o) { FreeMusic(static_cast<TMusic*>(o)); });
  releaseEach(sounds_, [this](TObject* o) { FreeSound(static_cast<TSound*>(o)); });
  releaseEach(meshes_, [this](TObject* o) { FreeMesh(static_cast<TMesh*>(o)); });
  releaseEach(pixmaps_, [this](TObject* o) { FreePixmap(static_cast<TPixmap*>(o)); });
  releaseEach(fonts_, [this](TObject* o) { FreeFont(static_cast<TFont*>(o)); });
  for (int i = streams_.Count() - 1; i >= 0; --i) {
    TObject* stream = streams_.Objects(i);
    streams_.Delete(i);
    stream->Free();
  }
  streamCounts_.clear();
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
