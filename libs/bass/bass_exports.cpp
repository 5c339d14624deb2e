// The C entry points: each forwards to the one Library, and no C++
// exception crosses into the caller (a failed allocation is a failed call).
#include "libs/bass/api/bass_api.h"
#include "libs/bass/library.h"

namespace {

libbass::Library& TheLibrary() {
  // Destroyed when the library is unloaded, which frees what is left.
  static libbass::Library library;
  return library;
}

template <class F>
auto Guarded(F&& call) noexcept -> decltype(call()) {
  try {
    return call();
  } catch (...) {
    return {};
  }
}

BassBool AsBool(bool value) { return value ? BASS_TRUE : BASS_FALSE; }

}  // namespace

extern "C" {

BassBool BASS_SetConfig(uint32_t option, uint32_t value) {
  return Guarded([&] { return AsBool(TheLibrary().SetConfig(option, value)); });
}

int32_t BASS_ErrorGetCode(void) {
  return Guarded([&] { return TheLibrary().ErrorCode(); });
}

BassBool BASS_Init(int32_t device, uint32_t frequency, uint32_t, void*, const void*) {
  return Guarded([&] { return AsBool(TheLibrary().Init(device, frequency)); });
}

BassBool BASS_Start(void) {
  return Guarded([&] { return AsBool(TheLibrary().Start()); });
}

BassBool BASS_Free(void) {
  return Guarded([&] { return AsBool(TheLibrary().Free()); });
}

BassHandle BASS_SampleLoad(BassBool fromMemory, const void* data, uint32_t offset, uint32_t length,
                           uint32_t maxPlaybacks, uint32_t flags) {
  if (!fromMemory || !data) return 0;
  return Guarded([&] {
    return TheLibrary().LoadSample(static_cast<const unsigned char*>(data) + offset, length,
                                   maxPlaybacks, flags);
  });
}

BassHandle BASS_SampleGetChannel(BassHandle sample, BassBool onlyNew) {
  return Guarded([&] { return TheLibrary().SampleChannel(sample, onlyNew != BASS_FALSE); });
}

BassBool BASS_SampleFree(BassHandle sample) {
  return Guarded([&] { return AsBool(TheLibrary().FreeSample(sample)); });
}

BassHandle BASS_MusicLoad(BassBool fromMemory, const void* data, uint32_t offset, uint32_t length,
                          uint32_t flags, uint32_t reserved) {
  if (!fromMemory || !data || reserved != 0) return 0;
  return Guarded([&] {
    return TheLibrary().LoadMusic(static_cast<const unsigned char*>(data) + offset, length, flags);
  });
}

BassBool BASS_MusicFree(BassHandle music) {
  return Guarded([&] { return AsBool(TheLibrary().FreeChannel(music, libbass::ChannelKind::kMusic)); });
}

BassHandle BASS_StreamCreateFileUser(BassBool, uint32_t flags, BassFileProc proc, void* user) {
  return Guarded([&] { return TheLibrary().CreateStream(proc, user, flags); });
}

BassBool BASS_StreamFree(BassHandle stream) {
  return Guarded(
      [&] { return AsBool(TheLibrary().FreeChannel(stream, libbass::ChannelKind::kStream)); });
}

BassBool BASS_ChannelPlay(BassHandle channel, BassBool restart) {
  return Guarded([&] { return AsBool(TheLibrary().Play(channel, restart != BASS_FALSE)); });
}

BassBool BASS_ChannelStop(BassHandle channel) {
  return Guarded([&] { return AsBool(TheLibrary().Stop(channel)); });
}

BassBool BASS_ChannelPause(BassHandle channel) {
  return Guarded([&] { return AsBool(TheLibrary().Pause(channel)); });
}

uint32_t BASS_ChannelIsActive(BassHandle channel) {
  return Guarded([&] { return TheLibrary().IsActive(channel); });
}

BassBool BASS_ChannelSetAttributes(BassHandle channel, int32_t frequency, int32_t volume,
                                   int32_t pan) {
  return Guarded(
      [&] { return AsBool(TheLibrary().SetAttributes(channel, frequency, volume, pan)); });
}

BassBool BASS_SetEAXParameters(int32_t, float, float, float) {
  return BASS_FALSE;  // the mix has no reverb
}

uint32_t BassManual_Render(float* stereoFrames, uint32_t frameCount) {
  return Guarded([&] { return TheLibrary().RenderManual(stereoFrames, frameCount); });
}

}  // extern "C"
