#include "tests/support/kit/test_sound_engine.h"

#include <charconv>

#include "base/reflection/class_builder.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TTestSoundEngine)

namespace {

// The shortest text that reads back as the same single.
std::string Shortest(float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::vector<std::string>& TTestSoundEngine::Journal() {
  static std::vector<std::string> journal;
  return journal;
}

void TTestSoundEngine::SetSoundVolume(float value) {
  TSoundEngine::SetSoundVolume(value);
  Journal().push_back("sound volume " + Shortest(value));
}

void TTestSoundEngine::SetMusicVolume(float value) {
  TSoundEngine::SetMusicVolume(value);
  Journal().push_back("music volume " + Shortest(value));
}

void TTestSoundEngine::SetPause(bool value) {
  TSoundEngine::SetPause(value);
  Journal().push_back(value ? "pause on" : "pause off");
}

TSound* TTestSoundEngine::OpenSound(TResourceMan*, const std::string& fileName) {
  if (fileName.find("missing") != std::string::npos) return nullptr;
  auto* sound = Create<TSound>(TCreateContext(Owner()));
  sound->Handle = ++next_;
  names_[sound->Handle] = fileName;
  Note("open sound", sound->Handle);
  return sound;
}

TMusic* TTestSoundEngine::OpenMusic(TResourceMan*, const std::string& fileName) {
  if (fileName.find("missing") != std::string::npos) return nullptr;
  auto* music = Create<TMusic>(TCreateContext(Owner()));
  music->Handle = ++next_;
  names_[music->Handle] = fileName;
  Note("open music", music->Handle);
  return music;
}

void TTestSoundEngine::Note(const std::string& what, std::uintptr_t handle) {
  const auto it = names_.find(handle);
  Journal().push_back(what + " " + (it == names_.end() ? std::string("?") : it->second));
}

}  // namespace corvane::test
