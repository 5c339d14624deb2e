#include "platform/sound_limits.h"

namespace corvane {

TSoundFileLimits SoundFileLimits;

}  // namespace corvane
