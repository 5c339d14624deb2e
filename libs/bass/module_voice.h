// Tracker modules (MOD, XM, S3M, IT, ...): loaded from memory by libopenmpt
// and rendered at the output's rate as they play.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "libs/bass/voice.h"

struct openmpt_module;

namespace libbass {

class ModuleVoice final : public Voice {
 public:
  // nullptr when the bytes are no module libopenmpt reads.
  static std::unique_ptr<ModuleVoice> Create(const void* bytes, std::size_t size, bool loop,
                                             std::uint32_t outputRate);
  ~ModuleVoice() override;
  ModuleVoice(const ModuleVoice&) = delete;
  ModuleVoice& operator=(const ModuleVoice&) = delete;

  std::size_t Mix(const MixBuses& buses, std::size_t frames, float gain) override;
  void Rewind() override;

 private:
  ModuleVoice(openmpt_module* module, std::uint32_t outputRate);

  openmpt_module* module_;
  std::int32_t rate_;
  std::vector<float> rendered_;
};

}  // namespace libbass
