// libbass.so loaded by path at run time, the way the engine loads it by
// name, with every entry point fetched by name. Unloading frees the library
// first, so nothing of it runs once it is gone.
#pragma once

#include "libs/bass/bass_api.h"

namespace libbass::test {

class LoadedLibBass {
 public:
  LoadedLibBass();
  ~LoadedLibBass() { Unload(); }
  LoadedLibBass(const LoadedLibBass&) = delete;
  LoadedLibBass& operator=(const LoadedLibBass&) = delete;

  // Whether the library and all its entry points were found.
  bool Loaded() const { return complete_; }
  // BASS_Free, then dlclose; nothing when not loaded.
  void Unload();
  // The file loaded.
  static const char* Path();
  // A symbol of the library by name (nullptr when absent).
  void* Symbol(const char* name) const;

  BassInitFunc* BASS_Init = nullptr;
  BassStartFunc* BASS_Start = nullptr;
  BassFreeFunc* BASS_Free = nullptr;
  BassSampleLoadFunc* BASS_SampleLoad = nullptr;
  BassSampleGetChannelFunc* BASS_SampleGetChannel = nullptr;
  BassSampleFreeFunc* BASS_SampleFree = nullptr;
  BassMusicLoadFunc* BASS_MusicLoad = nullptr;
  BassMusicFreeFunc* BASS_MusicFree = nullptr;
  BassStreamCreateFileUserFunc* BASS_StreamCreateFileUser = nullptr;
  BassStreamFreeFunc* BASS_StreamFree = nullptr;
  BassChannelPlayFunc* BASS_ChannelPlay = nullptr;
  BassChannelStopFunc* BASS_ChannelStop = nullptr;
  BassChannelPauseFunc* BASS_ChannelPause = nullptr;
  BassChannelIsActiveFunc* BASS_ChannelIsActive = nullptr;
  BassChannelSetAttributesFunc* BASS_ChannelSetAttributes = nullptr;
  BassManualRenderFunc* BassManual_Render = nullptr;

 private:
  void* library_ = nullptr;
  bool complete_ = false;
};

}  // namespace libbass::test
