#include "tests/support/memory_res_man.h"

#include <span>

#include "base/streams/memory_stream.h"
#include "base/system/file_date.h"

namespace corvane::test {

std::unique_ptr<TStream> TMemoryResMan::CreateStream(const std::string& name, std::uint16_t mode) {
  if (mode != 0) {
    ++writes;
    return nullptr;
  }
  const auto it = files_.find(name);
  if (it == files_.end()) return nullptr;
  return std::make_unique<TMemoryStream>(std::span<const char>(it->second.data(), it->second.size()));
}

std::int32_t TMemoryResMan::FileDate(const std::string& name) {
  // 2026-01-01 00:00:00, packed as the file-date routines pack it.
  return files_.count(name) ? ((2026 - 1980) << 25) | (1 << 21) | (1 << 16) : kNoFileDate;
}

}  // namespace corvane::test
