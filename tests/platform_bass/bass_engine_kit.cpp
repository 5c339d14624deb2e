#include "tests/platform_bass/bass_engine_kit.h"

#include <algorithm>
#include <cmath>

#include "base/streams/memory_stream.h"
#include "base/system/file_date.h"
#include "platform/bass/bass_binding.h"

namespace corvane::test {

std::unique_ptr<TStream> TBytesResMan::CreateStream(const std::string& name, std::uint16_t mode) {
  const auto it = files_.find(name);
  if (mode != 0 || it == files_.end()) return nullptr;
  return std::make_unique<TMemoryStream>(std::span<const std::uint8_t>(it->second.data(), it->second.size()));
}

std::int32_t TBytesResMan::FileDate(const std::string&) { return kNoFileDate; }

TBassEngineSetting::TBassEngineSetting(std::string library, std::int32_t device)
    : library_(TSoundEngineBass::LibraryName), device_(TSoundEngineBass::FirstDevice) {
  TSoundEngineBass::LibraryName = std::move(library);
  TSoundEngineBass::FirstDevice = device;
}

TBassEngineSetting::~TBassEngineSetting() {
  TSoundEngineBass::LibraryName = library_;
  TSoundEngineBass::FirstDevice = device_;
}

BassEngineTest::~BassEngineTest() { FreeEngine(); }

TSoundEngineBass& BassEngineTest::Engine() {
  if (!engine_) engine_.reset(Create<TSoundEngineBass>());
  return *engine_;
}

void BassEngineTest::FreeEngine() { engine_.reset(); }

std::vector<float> RenderManual(std::size_t frames) {
  std::vector<float> mix(2 * frames, -2.0f);
  auto* render = reinterpret_cast<BassManualRenderFunc*>(LoadProc(BASS_Handle, "BassManual_Render"));
  EXPECT_NE(render, nullptr) << "libbass.so is not loaded";
  if (render) {
    EXPECT_EQ(render(mix.data(), static_cast<std::uint32_t>(frames)), frames);
  }
  return mix;
}

float PeakOf(const std::vector<float>& mix, std::size_t from, std::size_t to) {
  float peak = 0;
  for (std::size_t i = 2 * from; i < std::min(mix.size(), 2 * to); ++i) peak = std::max(peak, std::fabs(mix[i]));
  return peak;
}

TSound* BassEngineTest::LoadSound(const std::string& name, Bytes bytes) {
  files.Put(name, std::move(bytes));
  return Engine().LoadSound(&files, name);
}

TMusic* BassEngineTest::LoadMusic(const std::string& name, Bytes bytes) {
  files.Put(name, std::move(bytes));
  return Engine().LoadMusic(&files, name);
}

}  // namespace corvane::test
