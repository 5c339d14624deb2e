// The sound engine on the run-time loaded library "bass" (libbass.so):
// sounds are samples decoded into memory (streamed from their file when
// they would pass the program's budget of decoded sound), music is
// streamed (".ogg", ".mp3" anywhere in the lower-cased name) from its file
// on the mixing thread or loaded whole as a tracker module; streamed music
// and modules loop. What is read whole and what is decoded are bounded by
// SoundFileLimits (sound_limits.h).
//
// The first engine of the process loads the library and opens its output
// (the default device, else the no-sound one); the last one frees the
// output and unloads it. Without the library an engine exists but is
// disabled: its loads return nullptr and nothing plays.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sound_engine.h"

namespace corvane {

class TSoundEngineBass : public TSoundEngine {
  CORVANE_CLASS(TSoundEngineBass, TSoundEngine)
  static void Describe(TClassBuilder<TSoundEngineBass>& c);
  explicit TSoundEngineBass(const TCreateContext& context);
  // Opens the output when this is the first engine with the library.
  void AfterConstruction() override;
  ~TSoundEngineBass() override;

  // True when the library's output was started; while false every
  // operation but the volume setters does nothing.
  bool Enabled() const { return enabled_; }

  void SetSoundVolume(float value) override;
  // Also logs "music volume <value>" for every music.
  void SetMusicVolume(float value) override;
  // Pausing pauses the playing music and marks it; resuming plays the
  // marked music again. Sounds are not touched.
  void SetPause(bool value) override;

  // From the first frame, at the sound volume.
  void PlaySound(TSound* sound) override;
  void StopSound(TSound* sound) override;
  // Continues where it stopped, at the music volume; while the engine is
  // paused it only marks the music to start when the pause ends.
  void PlayMusic(TMusic* music) override;
  // Both also drop the mark, so that the end of a pause leaves the music
  // as the script left it.
  void PauseMusic(TMusic* music) override;
  void StopMusic(TMusic* music) override;

  // The library's volume (0-100) for a volume: clamped to [0, 1] first,
  // anything not finite as 0.
  static std::int32_t LibraryVolume(float value);
  // Whether music of that file name is streamed rather than a module.
  static bool IsStreamedMusic(const std::string& fileName);

  // The library name loaded ("bass") and the device opened first
  // (BASS_DEVICE_DEFAULT); tests point them elsewhere.
  static std::string LibraryName;
  static std::int32_t FirstDevice;

 protected:
  TSound* OpenSound(TResourceMan* resMan, const std::string& fileName) override;
  void CloseSound(TSound& sound) override;
  TMusic* OpenMusic(TResourceMan* resMan, const std::string& fileName) override;
  void CloseMusic(TMusic& music) override;

 private:
  // Gives the sound a stream of its file (a file of its own, or a
  // container's read through a handle of its own); else a line says it
  // stays silent.
  void StreamSound(TSound& sound, TResourceMan* resMan, const std::string& fileName);

  bool enabled_ = false;
};

// Registers TSoundEngineBass by name and makes it the sound-engine class.
void RegisterBassSoundEngine();

}  // namespace corvane
