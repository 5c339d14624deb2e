#include "libs/bass/module_voice.h"

#include <libopenmpt/libopenmpt.h>

#include <algorithm>

#include "libs/bass/frame_mix.h"

namespace libbass {

namespace {

constexpr std::size_t kRenderFrames = 1024;

}  // namespace

ModuleVoice::ModuleVoice(openmpt_module* module, std::uint32_t outputRate)
    : module_(module), rate_(static_cast<std::int32_t>(outputRate)), rendered_(2 * kRenderFrames) {}

std::unique_ptr<ModuleVoice> ModuleVoice::Create(const void* bytes, std::size_t size, bool loop,
                                                 std::uint32_t outputRate) {
  // Silent: a bad module is the caller's to report, through the handle 0.
  openmpt_module* module = openmpt_module_create_from_memory2(
      bytes, size, openmpt_log_func_silent, nullptr, openmpt_error_func_ignore, nullptr, nullptr,
      nullptr, nullptr);
  if (!module) return nullptr;
  std::unique_ptr<ModuleVoice> voice(new ModuleVoice(module, outputRate));
  openmpt_module_set_repeat_count(module, loop ? -1 : 0);
  return voice;
}

ModuleVoice::~ModuleVoice() { openmpt_module_destroy(module_); }

std::size_t ModuleVoice::Mix(const MixBuses& buses, std::size_t frames, float gain) {
  std::size_t written = 0;
  while (written < frames) {
    const std::size_t want = std::min(frames - written, kRenderFrames);
    const std::size_t got =
        openmpt_module_read_interleaved_float_stereo(module_, rate_, want, rendered_.data());
    MixStereo(rendered_.data(), gain, buses.stereo + 2 * written, std::min(got, want));
    written += std::min(got, want);
    if (got < want) break;
  }
  return written;
}

void ModuleVoice::Rewind() { openmpt_module_set_position_seconds(module_, 0.0); }

}  // namespace libbass
