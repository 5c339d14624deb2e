#include "platform/bass/bass_file_proc.h"

#include <algorithm>

#include "base/streams/stream.h"
#include "libs/bass/api/bass_api.h"

namespace corvane {

namespace {

constexpr std::uint64_t kMaxCount = static_cast<std::uint64_t>(INT64_MAX);

std::int64_t Count(std::uint64_t value) { return static_cast<std::int64_t>(std::min(value, kMaxCount)); }

}  // namespace

std::uint64_t BassFileUserProc(std::uint32_t action, std::uint64_t param1, void* param2, void* user) {
  auto* source = static_cast<TStream*>(user);
  if (!source) return 0;
  switch (action) {
    case BASS_FILE_CLOSE:
      source->Free();
      return 0;
    case BASS_FILE_READ: {
      if (!param2) return 0;
      const std::int64_t got = source->Read(param2, Count(param1));
      return got > 0 ? static_cast<std::uint64_t>(got) : 0;
    }
    case BASS_FILE_LENGTH: {
      const std::int64_t size = source->Size();
      return size > 0 ? static_cast<std::uint64_t>(size) : 0;
    }
    case BASS_FILE_SEEK:
      source->Seek(Count(param1), soBeginning);
      return BASS_TRUE;
    default:
      return 0;
  }
}

}  // namespace corvane
