#include "platform/bass/bass_binding.h"

#include <array>
#include <iterator>
#include <cstring>

namespace corvane {

#define CORVANE_BASS_POINTER(name, type) type* name = nullptr;
BASS_API_ENTRY_POINTS(CORVANE_BASS_POINTER)
#undef CORVANE_BASS_POINTER

BassSetEAXParametersFunc* BASS_SetEAXParameters = nullptr;

TLibHandle BASS_Handle = 0;

const char* const kBassEntryPointNames[kBassEntryPointCount] = {
    "BASS_SetConfig", "BASS_GetConfig", "BASS_GetVersion", "BASS_GetDeviceDescription",
    "BASS_ErrorGetCode", "BASS_Init", "BASS_SetDevice", "BASS_GetDevice", "BASS_Free",
    "BASS_GetDSoundObject", "BASS_GetInfo", "BASS_Update", "BASS_GetCPU", "BASS_Start",
    "BASS_Stop", "BASS_Pause", "BASS_SetVolume", "BASS_GetVolume", "BASS_PluginLoad",
    "BASS_PluginFree", "BASS_Set3DFactors", "BASS_Get3DFactors", "BASS_Set3DPosition",
    "BASS_Get3DPosition", "BASS_Apply3D", "BASS_SetEAXParameters", "BASS_GetEAXParameters",
    "BASS_MusicLoad", "BASS_MusicFree", "BASS_MusicSetAttribute", "BASS_MusicGetAttribute",
    "BASS_MusicGetName", "BASS_MusicGetOrders", "BASS_MusicGetOrderPosition", "BASS_SampleLoad",
    "BASS_SampleCreate", "BASS_SampleCreateDone", "BASS_SampleFree", "BASS_SampleGetInfo",
    "BASS_SampleSetInfo", "BASS_SampleGetChannel", "BASS_SampleStop", "BASS_StreamCreate",
    "BASS_StreamCreateFile", "BASS_StreamCreateURL", "BASS_StreamCreateFileUser",
    "BASS_StreamFree", "BASS_StreamGetTags", "BASS_StreamGetFilePosition",
    "BASS_RecordGetDeviceDescription", "BASS_RecordInit", "BASS_RecordSetDevice",
    "BASS_RecordGetDevice", "BASS_RecordFree", "BASS_RecordGetInfo", "BASS_RecordGetInputName",
    "BASS_RecordSetInput", "BASS_RecordGetInput", "BASS_RecordStart", "BASS_ChannelBytes2Seconds",
    "BASS_ChannelSeconds2Bytes", "BASS_ChannelGetDevice", "BASS_ChannelIsActive",
    "BASS_ChannelGetInfo", "BASS_ChannelSetFlags", "BASS_ChannelPreBuf", "BASS_ChannelPlay",
    "BASS_ChannelStop", "BASS_ChannelPause", "BASS_ChannelSetAttributes",
    "BASS_ChannelGetAttributes", "BASS_ChannelSlideAttributes", "BASS_ChannelIsSliding",
    "BASS_ChannelSet3DAttributes", "BASS_ChannelGet3DAttributes", "BASS_ChannelSet3DPosition",
    "BASS_ChannelGet3DPosition", "BASS_ChannelGetLength", "BASS_ChannelSetPosition",
    "BASS_ChannelGetPosition", "BASS_ChannelGetLevel", "BASS_ChannelGetData",
    "BASS_ChannelSetSync", "BASS_ChannelRemoveSync", "BASS_ChannelSetDSP",
    "BASS_ChannelRemoveDSP", "BASS_ChannelSetEAXMix", "BASS_ChannelGetEAXMix",
    "BASS_ChannelSetLink", "BASS_ChannelRemoveLink", "BASS_ChannelSetFX", "BASS_ChannelRemoveFX",
    "BASS_FXSetParameters", "BASS_FXGetParameters"};

namespace {

std::array<void*, kBassEntryPointCount> gFound{};

void* Found(const char* name) {
  for (std::size_t i = 0; i < kBassEntryPointCount; ++i)
    if (std::strcmp(kBassEntryPointNames[i], name) == 0) return gFound[i];
  return nullptr;
}

void ClearPointers() {
  gFound.fill(nullptr);
  BASS_SetEAXParameters = nullptr;
#define CORVANE_BASS_CLEAR(name, type) name = nullptr;
  BASS_API_ENTRY_POINTS(CORVANE_BASS_CLEAR)
#undef CORVANE_BASS_CLEAR
}

}  // namespace

void* BassEntryPoint(std::size_t index) { return index < kBassEntryPointCount ? gFound[index] : nullptr; }

bool Load_BASSDLL(const std::string& name) {
  if (BASS_Handle != 0) return true;
  const TLibHandle lib = LoadLib(name, true, false);
  if (lib == 0) return false;
  for (std::size_t i = 0; i < kBassEntryPointCount; ++i) gFound[i] = LoadProc(lib, kBassEntryPointNames[i]);
  bool complete = true;
#define CORVANE_BASS_BIND(entry, type)                            \
  entry = reinterpret_cast<type*>(Found(#entry));                 \
  complete = complete && entry != nullptr;
  BASS_API_ENTRY_POINTS(CORVANE_BASS_BIND)
#undef CORVANE_BASS_BIND
  if (!complete) {
    ClearPointers();
    FreeLib(lib);
    return false;
  }
  BASS_SetEAXParameters = reinterpret_cast<BassSetEAXParametersFunc*>(Found("BASS_SetEAXParameters"));
  BASS_Handle = lib;
  return true;
}

BassBool BASS_SetEAXPreset(std::int32_t preset) {
  struct TPreset {
    std::int32_t environment;
    float volume, decay, damping;
  };
#define CORVANE_BASS_PRESET(environment, volume, decay, damping) TPreset{environment, volume, decay, damping},
  static constexpr TPreset kPresets[] = {BASS_EAX_PRESETS(CORVANE_BASS_PRESET)};
#undef CORVANE_BASS_PRESET
  if (!BASS_SetEAXParameters || preset < 0 || preset >= static_cast<std::int32_t>(std::size(kPresets)))
    return BASS_FALSE;
  const TPreset& p = kPresets[preset];
  return BASS_SetEAXParameters(p.environment, p.volume, p.decay, p.damping);
}

void Unload_BASSDLL() {
  if (BASS_Handle == 0) return;
  // The mixing thread is joined before the library's code goes away.
  BASS_Free();
  ClearPointers();
  FreeLib(BASS_Handle);
  BASS_Handle = 0;
}

}  // namespace corvane
