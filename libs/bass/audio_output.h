// Where the mix goes: an SDL2 audio device (the default driver or the
// "dummy" one, whose thread pulls the mix in real time) or, for tests, a
// manual output that mixes only when asked. Only SDL's audio subsystem is
// started and stopped here: a window in the same process shares libSDL2.
#pragma once

#include <SDL2/SDL_audio.h>

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace libbass {

class AudioOutput {
 public:
  // Fills `frames` stereo float frames; runs with the output locked.
  using Renderer = void (*)(void* user, float* stereo, std::size_t frames);

  ~AudioOutput() { Close(); }

  // device: BASS_DEVICE_DEFAULT, BASS_DEVICE_NOSOUND or BASS_DEVICE_MANUAL.
  // The output stays silent until Start.
  bool Open(std::int32_t device, std::uint32_t rate, Renderer renderer, void* user);
  bool IsOpen() const { return open_; }
  bool IsManual() const { return open_ && device_ == 0; }
  void Start();
  // Stops the output, joining SDL's mixing thread, and quits SDL's audio.
  void Close();

  // Excludes the mixing (BasicLockable, for std::lock_guard).
  void lock();
  void unlock();

  // The manual output's next frames; silence before Start.
  void RenderManual(float* stereo, std::size_t frames);

 private:
  static void Pull(void* self, Uint8* stream, int length);

  bool open_ = false;
  bool started_ = false;  // the manual output's; SDL keeps its own
  SDL_AudioDeviceID device_ = 0;  // 0 for the manual output
  std::mutex manualLock_;
  Renderer renderer_ = nullptr;
  void* user_ = nullptr;
};

}  // namespace libbass
