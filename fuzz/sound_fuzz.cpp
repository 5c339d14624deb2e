// Hands arbitrary bytes to libbass.so, loaded by path as the engine loads
// it by name, as a sample, as a tracker module and as a looping stream,
// and mixes each for a moment on the manual output. Whatever the bytes,
// this must end without a crash, a hang or memory beyond the library's caps.
#include <dlfcn.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "libs/bass/api/bass_api.h"

// libsndfile 1.2.0 leaks libvorbis's set-up when an OGG's headers are cut
// short; that allocation alone is excused.
extern "C" const char* __lsan_default_suppressions() { return "leak:vorbis_info_init\n"; }

namespace {

struct Library {
  Library() {
    handle = dlopen(CORVANE_LIBBASS_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!handle) std::abort();
#define CORVANE_FUZZ_BIND(name, type) \
  name = reinterpret_cast<type*>(dlsym(handle, #name)); \
  if (!name) std::abort();
    BASS_API_ENTRY_POINTS(CORVANE_FUZZ_BIND)
    CORVANE_FUZZ_BIND(BassManual_Render, BassManualRenderFunc)
#undef CORVANE_FUZZ_BIND
    if (!BASS_Init(BASS_DEVICE_MANUAL, 44100, 0, nullptr, nullptr) || !BASS_Start()) std::abort();
  }
  void* handle;
#define CORVANE_FUZZ_FIELD(name, type) type* name = nullptr;
  BASS_API_ENTRY_POINTS(CORVANE_FUZZ_FIELD)
  CORVANE_FUZZ_FIELD(BassManual_Render, BassManualRenderFunc)
#undef CORVANE_FUZZ_FIELD
};

Library& TheLibrary() {
  static Library* library = new Library;  // lives as long as the process
  return *library;
}

struct Source {
  const std::uint8_t* data;
  std::uint64_t size;
  std::uint64_t pos;
};

std::uint64_t SourceProc(std::uint32_t action, std::uint64_t param1, void* param2, void* user) {
  auto* s = static_cast<Source*>(user);
  switch (action) {
    case BASS_FILE_READ: {
      const std::uint64_t n = std::min(param1, s->size - s->pos);
      if (n > 0) std::memcpy(param2, s->data + s->pos, n);
      s->pos += n;
      return n;
    }
    case BASS_FILE_LENGTH:
      return s->size;
    case BASS_FILE_SEEK:
      if (param1 > s->size) return 0;
      s->pos = param1;
      return 1;
    default:
      return 0;
  }
}

void PlayAWhile(Library& lib, BassHandle channel) {
  if (channel == 0) return;
  lib.BASS_ChannelPlay(channel, BASS_TRUE);
  static std::vector<float> mix(2 * 4096);
  lib.BassManual_Render(mix.data(), 4096);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Library& lib = TheLibrary();
  const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(size, UINT32_MAX));
  const BassHandle sample = lib.BASS_SampleLoad(BASS_TRUE, data, 0, length, 1, BASS_SAMPLE_LOOP);
  PlayAWhile(lib, lib.BASS_SampleGetChannel(sample, BASS_FALSE));
  lib.BASS_SampleFree(sample);

  const BassHandle music = lib.BASS_MusicLoad(BASS_TRUE, data, 0, length, BASS_MUSIC_LOOP, 0);
  PlayAWhile(lib, music);
  lib.BASS_MusicFree(music);

  Source source{data, size, 0};
  const BassHandle stream = lib.BASS_StreamCreateFileUser(BASS_FALSE, BASS_SAMPLE_LOOP, &SourceProc, &source);
  PlayAWhile(lib, stream);
  lib.BASS_StreamFree(stream);
  return 0;
}
