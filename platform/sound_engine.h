// The abstract sound service of an applet: loads sounds and music through
// the applet's resource manager, plays, pauses and stops them, and holds the
// two volumes and the pause switch that the preferences and scripts set.
// The applet (or its cache, on the first sound or music) creates the engine
// from SoundEngineClass, which the implementing unit sets at start-up.
//
// The engine keeps every loaded sound and music; the implementation
// supplies the library side (Open/Close) and the playing operations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/reflection/persistent.h"

namespace corvane {

class TResourceMan;
class TStream;

template <class C>
class TClassBuilder;

// One loaded sample. Only the applet's cache changes RefCount.
class TSound : public TSomePersistent {
  CORVANE_CLASS(TSound, TSomePersistent)
  using TSomePersistent::TSomePersistent;
  std::uintptr_t Handle = 0;   // the library's handle of the sample (or stream)
  std::uintptr_t Channel = 0;  // the channel that plays it
  std::int32_t RefCount = 0;
  // Loaded by a script through the published LoadSound: the one kind of
  // sound a script may destroy.
  bool MadeForScript = false;
  // What a sound too long to be decoded whole is streamed from, owned by
  // the library's stream until it closes it; nullptr for a sample.
  TStream* Source = nullptr;
};

// One loaded piece of music (streamed or a module).
class TMusic : public TSomePersistent {
  CORVANE_CLASS(TMusic, TSomePersistent)
  using TSomePersistent::TSomePersistent;
  std::uintptr_t Handle = 0;
  std::int32_t RefCount = 0;
  // Loaded by a script through the published LoadMusic: the one kind of
  // music a script may destroy.
  bool MadeForScript = false;
  // Paused by the engine's pause (not by a script): resumed when it ends.
  bool PausedByEngine = false;
  // What a streamed piece is read from, owned by the library's stream
  // until it closes it; nullptr for a module.
  TStream* Source = nullptr;
  // The bytes it holds in memory against the program's music budget.
  std::int64_t HeldBytes = 0;
};

class TSoundEngine : public TSomePersistent {
  CORVANE_CLASS(TSoundEngine, TSomePersistent)
  static void Describe(TClassBuilder<TSoundEngine>& c);
  // The owner is the applet.
  using TSomePersistent::TSomePersistent;
  // Sets the starting volumes (0.5 for sounds, 0.3 for music) through the
  // setters, so that the implementation applies them.
  void AfterConstruction() override;
  // Destroys the remaining sounds, then the remaining music, each last to
  // first through DestroySound / DestroyMusic.
  void BeforeDestruction() override;

  // Volumes from 0.0 (silent) to 1.0 (full). The setters store; an
  // implementation applies the value and calls them.
  float SoundVolume() const { return soundVolume_; }
  float MusicVolume() const { return musicVolume_; }
  bool Pause() const { return pause_; }
  virtual void SetSoundVolume(float value) { soundVolume_ = value; }
  virtual void SetMusicVolume(float value) { musicVolume_ = value; }
  // An implementation pauses playing music on a change to true and resumes
  // what was playing on a change to false.
  virtual void SetPause(bool value) { pause_ = value; }

  // Null when the file cannot be loaded.
  TSound* LoadSound(TResourceMan* resMan, const std::string& fileName);
  // Frees the sample, forgets it and nils the variable.
  void DestroySound(TSound*& sound);
  virtual void PlaySound(TSound* sound) = 0;
  virtual void StopSound(TSound* sound) = 0;

  TMusic* LoadMusic(TResourceMan* resMan, const std::string& fileName);
  void DestroyMusic(TMusic*& music);
  virtual void PlayMusic(TMusic* music) = 0;
  virtual void PauseMusic(TMusic* music) = 0;
  virtual void StopMusic(TMusic* music) = 0;

  // What scripts call by the names LoadSound, DestroySound, LoadMusic and
  // DestroyMusic. A script destroys only what it loaded itself: the
  // applet's players and effects hold theirs through the cache, which
  // would keep a freed pointer, so any other is refused with an error
  // line.
  TSound* ScriptLoadSound(TResourceMan* resMan, const std::string& fileName);
  void ScriptDestroySound(TSound*& sound);
  TMusic* ScriptLoadMusic(TResourceMan* resMan, const std::string& fileName);
  void ScriptDestroyMusic(TMusic*& music);

  const std::vector<TSound*>& Sounds() const { return sounds_; }
  const std::vector<TMusic*>& Musics() const { return musics_; }

 protected:
  // The library side: a new object with its handle (null on failure), and
  // the release of the handle (the engine frees the object).
  virtual TSound* OpenSound(TResourceMan* resMan, const std::string& fileName) = 0;
  virtual void CloseSound(TSound& sound) = 0;
  virtual TMusic* OpenMusic(TResourceMan* resMan, const std::string& fileName) = 0;
  virtual void CloseMusic(TMusic& music) = 0;

 private:
  float soundVolume_ = 0;
  float musicVolume_ = 0;
  bool pause_ = false;
  std::vector<TSound*> sounds_;
  std::vector<TMusic*> musics_;
};

// The sound-engine class the applet instantiates; nullptr when none.
extern TClass SoundEngineClass;

}  // namespace corvane
