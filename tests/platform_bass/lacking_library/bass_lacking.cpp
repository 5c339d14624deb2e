// A libbass stand-in that lacks one entry point the engine calls
// (BASS_ChannelSetAttributes): the engine must take it as not loaded. Every
// entry point it has aborts, so a call through it fails the test.
#include <cstdlib>

#include "libs/bass/api/bass_api.h"

#define LACKING_STUB(name, type) \
  extern "C" __attribute__((visibility("default"))) void name() { std::abort(); }
LACKING_STUB(BASS_Init, BassInitFunc)
LACKING_STUB(BASS_Start, BassStartFunc)
LACKING_STUB(BASS_Free, BassFreeFunc)
LACKING_STUB(BASS_SampleLoad, BassSampleLoadFunc)
LACKING_STUB(BASS_SampleGetChannel, BassSampleGetChannelFunc)
LACKING_STUB(BASS_SampleFree, BassSampleFreeFunc)
LACKING_STUB(BASS_MusicLoad, BassMusicLoadFunc)
LACKING_STUB(BASS_MusicFree, BassMusicFreeFunc)
LACKING_STUB(BASS_StreamCreateFileUser, BassStreamCreateFileUserFunc)
LACKING_STUB(BASS_StreamFree, BassStreamFreeFunc)
LACKING_STUB(BASS_ChannelPlay, BassChannelPlayFunc)
LACKING_STUB(BASS_ChannelStop, BassChannelStopFunc)
LACKING_STUB(BASS_ChannelPause, BassChannelPauseFunc)
LACKING_STUB(BASS_ChannelIsActive, BassChannelIsActiveFunc)
