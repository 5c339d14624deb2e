#include "tests/libs/bass/kit/recording_source.h"

#include <algorithm>
#include <cstring>

#include "libs/bass/api/bass_api.h"

namespace libbass::test {

std::uint64_t RecordingSource::Proc(std::uint32_t action, std::uint64_t param1, void* param2,
                                    void* user) {
  auto& s = *static_cast<RecordingSource*>(user);
  if (s.closes > 0) ++s.callsAfterClose;
  switch (action) {
    case BASS_FILE_CLOSE:
      if (s.onClose) s.onClose();
      ++s.closes;
      return 0;
    case BASS_FILE_READ: {
      ++s.reads;
      const std::uint64_t n = std::min<std::uint64_t>(param1, s.bytes.size() - std::min<std::uint64_t>(s.pos, s.bytes.size()));
      if (n > 0) std::memcpy(param2, s.bytes.data() + s.pos, n);
      s.pos += n;
      return n;
    }
    case BASS_FILE_LENGTH:
      ++s.lengths;
      return s.bytes.size();
    case BASS_FILE_SEEK:
      ++s.seeks;
      if (s.refuseSeeks || param1 > s.bytes.size()) return BASS_FALSE;
      s.pos = param1;
      return BASS_TRUE;
    default:
      ++s.unknownActions;
      return 0;
  }
}

}  // namespace libbass::test
