// What the sound-engine tests share: files served from memory, and an
// engine over libbass.so whose output is the library's manual device, so
// that every frame heard comes from Render.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/reflection/object.h"
#include "base/streams/resource_man.h"
#include "libs/bass/api/bass_api.h"
#include "platform/bass/sound_engine_bass.h"
#include "tests/libs/bass/kit/sound_media.h"
#include "tests/support/capture_log.h"

namespace corvane::test {

using libbass::test::Bytes;

// Serves the files put into it; any other name does not open.
class TBytesResMan final : public TResourceMan {
 public:
  TBytesResMan() : TResourceMan(TCreateContext()) {}
  void Put(const std::string& name, Bytes bytes) { files_[name] = std::move(bytes); }
  std::unique_ptr<TStream> CreateStream(const std::string& name, std::uint16_t mode) override;
  bool StreamExists(const std::string& name) override { return files_.count(name) != 0; }
  std::int32_t FileDate(const std::string&) override;

 private:
  std::map<std::string, Bytes> files_;
};

// Sets the engine's library name and first device for one test, and puts
// them back.
class TBassEngineSetting {
 public:
  TBassEngineSetting(std::string library, std::int32_t device);
  ~TBassEngineSetting();
  TBassEngineSetting(const TBassEngineSetting&) = delete;
  TBassEngineSetting& operator=(const TBassEngineSetting&) = delete;

 private:
  std::string library_;
  std::int32_t device_;
};

// The next frames of the manual output's mix, two floats a frame.
std::vector<float> RenderManual(std::size_t frames);
// The largest magnitude in frames [from, to) of a mix.
float PeakOf(const std::vector<float>& mix, std::size_t from = 0, std::size_t to = static_cast<std::size_t>(-1));

class BassEngineTest : public ::testing::Test {
 protected:
  static constexpr int kRate = 44100;

  BassEngineTest() : BassEngineTest("bass", BASS_DEVICE_MANUAL) {}
  BassEngineTest(std::string library, std::int32_t device) : setting_(std::move(library), device) {}
  ~BassEngineTest() override;

  TSoundEngineBass& Engine();
  void FreeEngine();

  static std::vector<float> Render(std::size_t frames) { return RenderManual(frames); }
  static float Peak(const std::vector<float>& mix, std::size_t from = 0,
                    std::size_t to = static_cast<std::size_t>(-1)) {
    return PeakOf(mix, from, to);
  }
  static std::size_t Frames(double seconds) { return static_cast<std::size_t>(seconds * kRate); }

  TSound* LoadSound(const std::string& name, Bytes bytes);
  TMusic* LoadMusic(const std::string& name, Bytes bytes);

  TBassEngineSetting setting_;
  TCaptureLog log;
  TBytesResMan files;

 private:
  TOwned<TSoundEngineBass> engine_;
};

}  // namespace corvane::test
