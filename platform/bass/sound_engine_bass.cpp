#include "platform/bass/sound_engine_bass.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/streams/file_stream.h"
#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "platform/bass/bass_binding.h"
#include "platform/bass/bass_file_proc.h"
#include "platform/sound_limits.h"
#include "resources/vfs_res_man.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TSoundEngineBass)

std::string TSoundEngineBass::LibraryName = "bass";
std::int32_t TSoundEngineBass::FirstDevice = BASS_DEVICE_DEFAULT;

namespace {

// Live engines, and whether the library's output was started for them.
int gSoundEngineRef = 0;
bool gBassStarted = false;

constexpr std::uint32_t kMixRate = 44100;
// How many playbacks of one sample may sound at once.
constexpr std::uint32_t kSamplePlaybacks = 6;

// The file as the resource manager opens it; nullptr when it does not.
std::unique_ptr<TStream> OpenFile(TResourceMan* resMan, const std::string& fileName) {
  return resMan ? resMan->CreateStream(fileName, 0) : nullptr;
}

// The file's bytes in memory when there are no more than limit less what
// is held already, which is also what the library's 32-bit lengths take;
// else nullptr and a line naming the file and the switch that sets the
// limit. A file that delivers less than its size is decoded as far as it
// came.
std::unique_ptr<TMemoryStream> ReadWithin(TStream& file, std::int64_t limit, std::int64_t held, const char* what,
                                          const char* limitSwitch, const std::string& fileName) {
  const std::int64_t size = file.Size();
  const std::u16string named = Utf8ToUtf16(what) + u" " + Utf8ToUtf16(fileName);
  if (size > limit - held || size > static_cast<std::int64_t>(std::numeric_limits<std::uint32_t>::max())) {
    EngineError(u"Can't load " + named + u": its " + IntToStr(size) + u" bytes pass the limit of " +
                IntToStr(limit) + u" (" + Utf8ToUtf16(limitSwitch) + u")" +
                (held > 0 ? u" beside the " + IntToStr(held) + u" held already" : u""));
    return nullptr;
  }
  auto memory = std::make_unique<TMemoryStream>();
  if (!memory->SetSize(size)) {
    EngineError(u"Can't load " + named + u": no memory for its " + IntToStr(size) + u" bytes");
    return nullptr;
  }
  std::int64_t got = 0;
  while (got < size) {
    const std::int64_t n = file.Read(static_cast<char*>(memory->Memory()) + got, size - got);
    if (n <= 0) break;
    got += n;
  }
  memory->SetSize(got);
  return memory;
}

// The opened file as a stream that the mixing thread may read while the
// main thread goes on, when there is one: a file of its own, or a
// container's file read through a handle of its own. (A container's own
// streams share its file and position with every other read of the
// applet.) nullptr otherwise.
std::unique_ptr<TStream> DetachedSource(TResourceMan* resMan, std::unique_ptr<TStream>& file,
                                        const std::string& fileName) {
  if (dynamic_cast<TFileStream*>(file.get())) return std::move(file);
  if (auto* container = dynamic_cast<TVirtualFileSystemResMan*>(resMan)) return container->CreateDetachedStream(fileName);
  return nullptr;
}

void DecodeError(const char* what, const std::string& fileName) {
  EngineError(u"Can't decode " + Utf8ToUtf16(what) + u" " + Utf8ToUtf16(fileName));
}

// A stream of the source, which it then owns; 0, the source freed, when
// none is made.
BassHandle StreamFrom(std::unique_ptr<TStream> source, std::uint32_t flags, TStream*& owned) {
  TStream* stream = source.release();
  const BassHandle handle = BASS_StreamCreateFileUser(BASS_FALSE, flags, &BassFileUserProc, stream);
  if (handle != 0) owned = stream;
  else stream->Free();  // a stream that was not made never closes its source
  return handle;
}

}  // namespace

void TSoundEngineBass::Describe(TClassBuilder<TSoundEngineBass>& c) {
  c.Method("LoadSound", &TSoundEngine::ScriptLoadSound);
  c.Method("DestroySound", &TSoundEngine::ScriptDestroySound);
  c.Method("PlaySound", &TSoundEngineBass::PlaySound);
  c.Method("StopSound", &TSoundEngineBass::StopSound);
  c.Method("LoadMusic", &TSoundEngine::ScriptLoadMusic);
  c.Method("DestroyMusic", &TSoundEngine::ScriptDestroyMusic);
  c.Method("PlayMusic", &TSoundEngineBass::PlayMusic);
  c.Method("PauseMusic", &TSoundEngineBass::PauseMusic);
  c.Method("StopMusic", &TSoundEngineBass::StopMusic);
}

TSoundEngineBass::TSoundEngineBass(const TCreateContext& context) : TSoundEngine(context) {
  // Later engines never try again while the library is absent.
  if (gSoundEngineRef == 0 && !Load_BASSDLL(LibraryName)) EngineError(u"Can't load Bass");
  ++gSoundEngineRef;
}

void TSoundEngineBass::AfterConstruction() {
  TSoundEngine::AfterConstruction();  // the starting volumes
  if (BASS_Handle != 0 && !gBassStarted) {
    EngineLog(u"Soun1dEngine - BASS - create");
    if (!BASS_Init(FirstDevice, kMixRate, 0, nullptr, nullptr)) {
      EngineError(u"BASS: Error initializing audio!");
      if (!BASS_Init(BASS_DEVICE_NOSOUND, kMixRate, 0, nullptr, nullptr))
        EngineError(u"BASS: Error initializing nosound!");
    }
    BASS_Start();
    gBassStarted = true;
  }
  enabled_ = gBassStarted;
}

TSoundEngineBass::~TSoundEngineBass() {
  // The sounds and music went in BeforeDestruction, while the output was
  // still open.
  if (--gSoundEngineRef > 0) return;
  if (gBassStarted) {
    gBassStarted = false;
    BASS_Free();
    EngineLog(u"SoundEngine - BASS - finished");
  }
  Unload_BASSDLL();
}

std::int32_t TSoundEngineBass::LibraryVolume(float value) {
  if (!std::isfinite(value) || value <= 0) return 0;
  if (value >= 1) return 100;
  return static_cast<std::int32_t>(value * 100);  // truncated
}

bool TSoundEngineBass::IsStreamedMusic(const std::string& fileName) {
  const std::string lower = AsciiLowerCase(fileName);
  return lower.find(".ogg") != std::string::npos || lower.find(".mp3") != std::string::npos;
}

void TSoundEngineBass::SetSoundVolume(float value) {
  TSoundEngine::SetSoundVolume(value);
  if (!enabled_) return;
  for (TSound* sound : Sounds())
    BASS_ChannelSetAttributes(static_cast<BassHandle>(sound->Channel), BASS_KEEP_FREQUENCY,
                              LibraryVolume(value), BASS_KEEP_PAN);
}

void TSoundEngineBass::SetMusicVolume(float value) {
  TSoundEngine::SetMusicVolume(value);
  for (TMusic* music : Musics()) {
    if (enabled_)
      BASS_ChannelSetAttributes(static_cast<BassHandle>(music->Handle), BASS_KEEP_FREQUENCY,
                                LibraryVolume(value), BASS_KEEP_PAN);
    EngineLog(u"music volume " + Utf8ToUtf16(FloatToStrGeneral(value)));
  }
}

void TSoundEngineBass::SetPause(bool value) {
  if (value == Pause()) return;
  TSoundEngine::SetPause(value);
  if (!enabled_) return;
  for (TMusic* music : Musics()) {
    const auto handle = static_cast<BassHandle>(music->Handle);
    if (value) {
      if (BASS_ChannelIsActive(handle) != BASS_ACTIVE_PLAYING) continue;
      BASS_ChannelPause(handle);
      music->PausedByEngine = true;
    } else if (music->PausedByEngine) {
      // Music asked to play during the pause has had no volume yet.
      BASS_ChannelSetAttributes(handle, BASS_KEEP_FREQUENCY, LibraryVolume(MusicVolume()), BASS_KEEP_PAN);
      BASS_ChannelPlay(handle, BASS_FALSE);
      music->PausedByEngine = false;
    }
  }
}

void TSoundEngineBass::PlaySound(TSound* sound) {
  if (!enabled_ || !sound) return;
  const auto channel = static_cast<BassHandle>(sound->Channel);
  BASS_ChannelSetAttributes(channel, BASS_KEEP_FREQUENCY, LibraryVolume(SoundVolume()), BASS_KEEP_PAN);
  BASS_ChannelPlay(channel, BASS_TRUE);
}

void TSoundEngineBass::StopSound(TSound* sound) {
  if (!enabled_ || !sound) return;
  BASS_ChannelPause(static_cast<BassHandle>(sound->Channel));
}

void TSoundEngineBass::PlayMusic(TMusic* music) {
  if (!enabled_ || !music) return;
  if (Pause()) {
    music->PausedByEngine = true;
    return;
  }
  const auto handle = static_cast<BassHandle>(music->Handle);
  BASS_ChannelSetAttributes(handle, BASS_KEEP_FREQUENCY, LibraryVolume(MusicVolume()), BASS_KEEP_PAN);
  BASS_ChannelPlay(handle, BASS_FALSE);
}

void TSoundEngineBass::PauseMusic(TMusic* music) {
  if (!enabled_ || !music) return;
  BASS_ChannelPause(static_cast<BassHandle>(music->Handle));
  music->PausedByEngine = false;
}

void TSoundEngineBass::StopMusic(TMusic* music) {
  if (!enabled_ || !music) return;
  BASS_ChannelStop(static_cast<BassHandle>(music->Handle));
  music->PausedByEngine = false;
}

TSound* TSoundEngineBass::OpenSound(TResourceMan* resMan, const std::string& fileName) {
  if (!enabled_) return nullptr;
  std::unique_ptr<TStream> file = OpenFile(resMan, fileName);
  if (!file) return nullptr;
  TOwned<TSound> sound(Create<TSound>(TCreateContext(Owner())));
  // Too large a file keeps a silent record, as an undecodable one does.
  std::unique_ptr<TMemoryStream> memory =
      ReadWithin(*file, SoundFileLimits.SoundBytes, 0, "sound", "-soundmb", fileName);
  file.reset();
  if (!memory) return sound.release();
  // The library bounds the samples of every engine together: the program's.
  BASS_SetConfig(BASS_CONFIG_SAMPLE_MEMORY,
                 static_cast<std::uint32_t>(std::clamp<std::int64_t>(SoundFileLimits.DecodedSoundBytes, 1,
                                                                     std::numeric_limits<std::uint32_t>::max())));
  sound->Handle = BASS_SampleLoad(BASS_TRUE, memory->Memory(), 0, static_cast<std::uint32_t>(memory->Size()),
                                  kSamplePlaybacks, 0);
  if (sound->Handle != 0) {
    sound->Channel = BASS_SampleGetChannel(static_cast<BassHandle>(sound->Handle), BASS_FALSE);
  } else if (BASS_ErrorGetCode() == BASS_ERROR_MEM) {
    // Too long to decode whole beside the program's other sounds: played
    // as it is read from its file, one playback at a time.
    memory.reset();
    StreamSound(*sound, resMan, fileName);
  } else {
    DecodeError("sound", fileName);  // the record stays, silent
  }
  return sound.release();
}

void TSoundEngineBass::StreamSound(TSound& sound, TResourceMan* resMan, const std::string& fileName) {
  std::unique_ptr<TStream> file = OpenFile(resMan, fileName);
  std::unique_ptr<TStream> source = file ? DetachedSource(resMan, file, fileName) : nullptr;
  if (!source) {
    EngineError(u"Can't load sound " + Utf8ToUtf16(fileName) + u": decoded sounds would pass their budget of " +
                IntToStr(SoundFileLimits.DecodedSoundBytes >> 20) + u" MiB (-soundmemory)");
    return;
  }
  sound.Handle = StreamFrom(std::move(source), 0, sound.Source);
  sound.Channel = sound.Handle;
  if (sound.Handle == 0) DecodeError("sound", fileName);
}

void TSoundEngineBass::CloseSound(TSound& sound) {
  if (!enabled_) return;
  if (sound.Source) {
    BASS_StreamFree(static_cast<BassHandle>(sound.Handle));  // closes the source through the callback
    sound.Source = nullptr;
  } else {
    BASS_SampleFree(static_cast<BassHandle>(sound.Handle));
  }
  sound.Handle = 0;
  sound.Channel = 0;
}

TMusic* TSoundEngineBass::OpenMusic(TResourceMan* resMan, const std::string& fileName) {
  if (!enabled_) return nullptr;
  std::unique_ptr<TStream> file = OpenFile(resMan, fileName);
  if (!file) return nullptr;
  TOwned<TMusic> music(Create<TMusic>(TCreateContext(Owner())));
  const bool streamed = IsStreamedMusic(fileName);
  // A streamed piece is read in place on the mixing thread when it can be
  // read apart from the main thread; otherwise it is read whole first, so
  // that the mixing thread reads memory of its own. Modules load whole.
  std::unique_ptr<TStream> source;
  if (streamed) source = DetachedSource(resMan, file, fileName);
  if (!source) {
    // Held whole: the memory stream of a piece streamed from it, or the
    // library's module (some such more than its file), for its life.
    source = ReadWithin(*file, SoundFileLimits.MusicBytes, MusicBytesHeld, "music", "-musicmb", fileName);
    if (source) music->HeldBytes = source->Size();
  }
  file.reset();
  if (!source) return music.release();  // a silent record, as for undecodable music
  if (streamed) {
    music->Handle = StreamFrom(std::move(source), BASS_SAMPLE_LOOP, music->Source);
  } else {
    auto& memory = static_cast<TMemoryStream&>(*source);
    music->Handle = BASS_MusicLoad(BASS_TRUE, memory.Memory(), 0, static_cast<std::uint32_t>(memory.Size()),
                                   BASS_MUSIC_LOOP, 0);
  }
  if (music->Handle == 0) {
    DecodeError("music", fileName);
    music->HeldBytes = 0;
  }
  MusicBytesHeld += music->HeldBytes;
  return music.release();
}

void TSoundEngineBass::CloseMusic(TMusic& music) {
  if (!enabled_) return;
  const auto handle = static_cast<BassHandle>(music.Handle);
  BASS_ChannelStop(handle);
  if (music.Source) {
    BASS_StreamFree(handle);  // closes the source through the callback
    music.Source = nullptr;
  } else {
    BASS_MusicFree(handle);
  }
  music.Handle = 0;
  MusicBytesHeld -= music.HeldBytes;
  music.HeldBytes = 0;
}

void RegisterBassSoundEngine() {
  SoundEngineClass = TSoundEngineBass::StaticClass();
  if (GetClass(SoundEngineClass->Name()) != SoundEngineClass) RegisterClass(SoundEngineClass);
}

}  // namespace corvane
