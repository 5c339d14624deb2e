#include "platform/sound_limits.h"

namespace corvane {

TSoundFileLimits SoundFileLimits;
std::int64_t MusicBytesHeld = 0;

}  // namespace corvane
