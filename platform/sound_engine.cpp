#include "platform/sound_engine.h"

#include <algorithm>
#include <new>

#include "base/reflection/class_builder.h"
#include "base/streams/resource_man.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "platform/script_made_media.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TSound)
CORVANE_IMPLEMENT_CLASS(TMusic)
CORVANE_IMPLEMENT_CLASS(TSoundEngine)

TClass SoundEngineClass = nullptr;

void TSoundEngine::Describe(TClassBuilder<TSoundEngine>& c) {
  c.Property("soundVolume", &TSoundEngine::SoundVolume, &TSoundEngine::SetSoundVolume);
  c.Property("musicVolume", &TSoundEngine::MusicVolume, &TSoundEngine::SetMusicVolume);
  c.Property("pause", &TSoundEngine::Pause, &TSoundEngine::SetPause).Default(false);
}

void TSoundEngine::AfterConstruction() {
  TSomePersistent::AfterConstruction();
  SetSoundVolume(0.5f);
  SetMusicVolume(0.3f);
}

void TSoundEngine::BeforeDestruction() {
  while (!sounds_.empty()) {
    TSound* sound = sounds_.back();
    DestroySound(sound);
  }
  while (!musics_.empty()) {
    TMusic* music = musics_.back();
    DestroyMusic(music);
  }
  TSomePersistent::BeforeDestruction();
}

namespace {

// A load that ran out of memory is reported and loads nothing; what the
// load had made is freed as the exception unwinds.
template <class F>
auto LoadOrReport(const char* what, const std::string& fileName, F&& load) -> decltype(load()) {
  try {
    return load();
  } catch (const std::bad_alloc&) {
    EngineError(u"Out of memory loading " + Utf8ToUtf16(what) + u" " + Utf8ToUtf16(fileName));
    return nullptr;
  }
}

}  // namespace

TSound* TSoundEngine::LoadSound(TResourceMan* resMan, const std::string& fileName) {
  if (resMan && !ResourceThere(*resMan, fileName, u"load sound")) return nullptr;
  return LoadOrReport("sound", fileName, [&] {
    sounds_.reserve(sounds_.size() + 1);  // no allocation once the library holds the sample
    TSound* sound = OpenSound(resMan, fileName);
    if (sound) sounds_.push_back(sound);
    return sound;
  });
}

void TSoundEngine::DestroySound(TSound*& sound) {
  TSound* s = sound;
  sound = nullptr;
  if (!s) return;
  sounds_.erase(std::remove(sounds_.begin(), sounds_.end(), s), sounds_.end());
  CloseSound(*s);
  s->Free();
}

TSound* TSoundEngine::ScriptLoadSound(TResourceMan* resMan, const std::string& fileName) {
  return MarkMadeForScript(LoadSound(resMan, fileName));
}

void TSoundEngine::ScriptDestroySound(TSound*& sound) {
  if (sound && ScriptMayDestroy(sound, sounds_, u"sound")) DestroySound(sound);
}

TMusic* TSoundEngine::ScriptLoadMusic(TResourceMan* resMan, const std::string& fileName) {
  return MarkMadeForScript(LoadMusic(resMan, fileName));
}

void TSoundEngine::ScriptDestroyMusic(TMusic*& music) {
  if (music && ScriptMayDestroy(music, musics_, u"music")) DestroyMusic(music);
}

TMusic* TSoundEngine::LoadMusic(TResourceMan* resMan, const std::string& fileName) {
  if (resMan && !ResourceThere(*resMan, fileName, u"load music")) return nullptr;
  return LoadOrReport("music", fileName, [&] {
    musics_.reserve(musics_.size() + 1);
    TMusic* music = OpenMusic(resMan, fileName);
    if (music) musics_.push_back(music);
    return music;
  });
}

void TSoundEngine::DestroyMusic(TMusic*& music) {
  TMusic* m = music;
  music = nullptr;
  if (!m) return;
  musics_.erase(std::remove(musics_.begin(), musics_.end(), m), musics_.end());
  CloseMusic(*m);
  m->Free();
}

}  // namespace corvane
