#include "platform/sound_limits.h"

#include <optional>

#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

TSoundFileLimits SoundFileLimits;

namespace {

// The library takes 32-bit lengths: nothing larger loads anyway.
constexpr std::int64_t kMaxMebibytes = 4095;

}  // namespace

bool ReadSoundLimitSwitch(const std::string& argument) {
  std::int64_t* limit = nullptr;
  std::string name;
  for (const char* which : {"-soundmb=", "-musicmb="}) {
    if (argument.rfind(which, 0) != 0) continue;
    name = which;
    limit = name == "-soundmb=" ? &SoundFileLimits.SoundBytes : &SoundFileLimits.MusicBytes;
  }
  if (!limit) return false;
  const std::optional<std::int64_t> mebibytes = TryStrToInt64(std::string_view(argument).substr(name.size()));
  if (!mebibytes || *mebibytes < 0 || *mebibytes > kMaxMebibytes) {
    EngineError(u"Bad switch " + Utf8ToUtf16(argument) + u": the value is mebibytes from 0 to " +
                IntToStr(kMaxMebibytes));
    return true;
  }
  *limit = *mebibytes << 20;
  return true;
}

}  // namespace corvane
