// The bytes behind a stream's file callback, counting what the library
// asks of them.
#pragma once

#include <cstdint>
#include <functional>

#include "tests/libs/bass/kit/sound_media.h"

namespace libbass::test {

struct RecordingSource {
  explicit RecordingSource(Bytes data) : bytes(std::move(data)) {}

  // The BassFileProc: user is the RecordingSource.
  static std::uint64_t Proc(std::uint32_t action, std::uint64_t param1, void* param2, void* user);

  Bytes bytes;
  std::uint64_t pos = 0;
  int reads = 0;
  int lengths = 0;
  int seeks = 0;
  int closes = 0;
  int callsAfterClose = 0;
  int unknownActions = 0;
  bool refuseSeeks = false;
  // Runs when the close comes, before it is counted.
  std::function<void()> onClose;
};

}  // namespace libbass::test
