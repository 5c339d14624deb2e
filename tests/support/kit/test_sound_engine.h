// A sound engine for tests: every file loads unless its name contains
// "missing"; what happens is written to a journal that outlives the engine
// (the cache makes and the applet frees it), one line per event:
// "sound volume 0.5", "open sound a.wav", "close sound a.wav", "play ...".
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/sound_engine.h"

namespace corvane::test {

class TTestSoundEngine : public TSoundEngine {
  CORVANE_CLASS(TTestSoundEngine, TSoundEngine)
  using TSoundEngine::TSoundEngine;

  static std::vector<std::string>& Journal();

  void SetSoundVolume(float value) override;
  void SetMusicVolume(float value) override;
  void SetPause(bool value) override;
  void PlaySound(TSound* sound) override { Note("play sound", sound ? sound->Handle : 0); }
  void StopSound(TSound* sound) override { Note("stop sound", sound ? sound->Handle : 0); }
  void PlayMusic(TMusic* music) override { Note("play music", music ? music->Handle : 0); }
  void PauseMusic(TMusic* music) override { Note("pause music", music ? music->Handle : 0); }
  void StopMusic(TMusic* music) override { Note("stop music", music ? music->Handle : 0); }

 protected:
  TSound* OpenSound(TResourceMan* resMan, const std::string& fileName) override;
  void CloseSound(TSound& sound) override { Note("close sound", sound.Handle); }
  TMusic* OpenMusic(TResourceMan* resMan, const std::string& fileName) override;
  void CloseMusic(TMusic& music) override { Note("close music", music.Handle); }

 private:
  void Note(const std::string& what, std::uintptr_t handle);
  std::map<std::uintptr_t, std::string> names_;
  std::uintptr_t next_ = 0;
};

}  // namespace corvane::test
