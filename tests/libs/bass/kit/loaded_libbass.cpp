#include "tests/libs/bass/kit/loaded_libbass.h"

#include <dlfcn.h>

namespace libbass::test {

namespace {

template <class F>
bool Fetch(void* library, const char* name, F*& to) {
  to = reinterpret_cast<F*>(dlsym(library, name));
  return to != nullptr;
}

}  // namespace

const char* LoadedLibBass::Path() { return LIBBASS_TEST_LIBRARY_PATH; }

LoadedLibBass::LoadedLibBass() {
  library_ = dlopen(Path(), RTLD_NOW | RTLD_LOCAL);
  if (!library_) return;
  bool all = true;
  all &= Fetch(library_, "BASS_Init", BASS_Init);
  all &= Fetch(library_, "BASS_Start", BASS_Start);
  all &= Fetch(library_, "BASS_Free", BASS_Free);
  all &= Fetch(library_, "BASS_SampleLoad", BASS_SampleLoad);
  all &= Fetch(library_, "BASS_SampleGetChannel", BASS_SampleGetChannel);
  all &= Fetch(library_, "BASS_SampleFree", BASS_SampleFree);
  all &= Fetch(library_, "BASS_MusicLoad", BASS_MusicLoad);
  all &= Fetch(library_, "BASS_MusicFree", BASS_MusicFree);
  all &= Fetch(library_, "BASS_StreamCreateFileUser", BASS_StreamCreateFileUser);
  all &= Fetch(library_, "BASS_StreamFree", BASS_StreamFree);
  all &= Fetch(library_, "BASS_ChannelPlay", BASS_ChannelPlay);
  all &= Fetch(library_, "BASS_ChannelStop", BASS_ChannelStop);
  all &= Fetch(library_, "BASS_ChannelPause", BASS_ChannelPause);
  all &= Fetch(library_, "BASS_ChannelIsActive", BASS_ChannelIsActive);
  all &= Fetch(library_, "BASS_ChannelSetAttributes", BASS_ChannelSetAttributes);
  all &= Fetch(library_, "BassManual_Render", BassManual_Render);
  complete_ = all;
}

void* LoadedLibBass::Symbol(const char* name) const {
  return library_ ? dlsym(library_, name) : nullptr;
}

void LoadedLibBass::Unload() {
  if (!library_) return;
  if (BASS_Free) BASS_Free();
  dlclose(library_);
  library_ = nullptr;
  complete_ = false;
}

}  // namespace libbass::test
