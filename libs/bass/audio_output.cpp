#include "libs/bass/audio_output.h"

#include <SDL2/SDL.h>

#include <algorithm>

#include "libs/bass/api/bass_api.h"

namespace libbass {

namespace {

constexpr Uint16 kDeviceFrames = 1024;

}  // namespace

bool AudioOutput::Open(std::int32_t device, std::uint32_t rate, Renderer renderer, void* user) {
  if (open_) return false;
  renderer_ = renderer;
  user_ = user;
  started_ = false;
  if (device == BASS_DEVICE_MANUAL) {
    device_ = 0;
    open_ = true;
    return true;
  }
  if (device != BASS_DEVICE_DEFAULT && device != BASS_DEVICE_NOSOUND) return false;
  // The default honours SDL_AUDIODRIVER; the no-sound device is SDL's
  // "dummy" driver, named, whose thread still runs the clock.
  if (SDL_AudioInit(device == BASS_DEVICE_NOSOUND ? "dummy" : nullptr) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = static_cast<int>(rate);
  want.format = AUDIO_F32SYS;
  want.channels = 2;
  want.samples = kDeviceFrames;
  want.callback = &AudioOutput::Pull;
  want.userdata = this;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts our format to the device's.
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    SDL_AudioQuit();
    return false;
  }
  open_ = true;
  return true;
}

void AudioOutput::Start() {
  if (!open_) return;
  if (device_ != 0) {
    SDL_PauseAudioDevice(device_, 0);
  } else {
    std::lock_guard<std::mutex> hold(manualLock_);
    started_ = true;
  }
}

void AudioOutput::Close() {
  if (!open_) return;
  if (device_ != 0) {
    SDL_CloseAudioDevice(device_);
    SDL_AudioQuit();
    device_ = 0;
  }
  open_ = false;
  started_ = false;
}

void AudioOutput::lock() {
  if (device_ != 0)
    SDL_LockAudioDevice(device_);
  else
    manualLock_.lock();
}

void AudioOutput::unlock() {
  if (device_ != 0)
    SDL_UnlockAudioDevice(device_);
  else
    manualLock_.unlock();
}

void AudioOutput::RenderManual(float* stereo, std::size_t frames) {
  std::lock_guard<std::mutex> hold(manualLock_);
  if (started_)
    renderer_(user_, stereo, frames);
  else
    std::fill(stereo, stereo + 2 * frames, 0.0f);
}

void AudioOutput::Pull(void* self, Uint8* stream, int length) {
  auto* output = static_cast<AudioOutput*>(self);
  // SDL holds the device's lock around this call.
  output->renderer_(output->user_, reinterpret_cast<float*>(stream),
                    static_cast<std::size_t>(length) / (2 * sizeof(float)));
}

}  // namespace libbass
