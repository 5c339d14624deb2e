// Fuzzes the ".aaf" animation lists: any bytes are read as lines and then
// as a list. A list that stops early keeps exactly the ranges before its
// bad line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "base/lists/string_list.h"
#include "base/streams/memory_stream.h"
#include "platform/filters/animation_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  TMemoryStream stream(std::span<const std::uint8_t>(data, size));
  TStringList lines;
  lines.LoadFromStream(stream);
  const TAnimationList list = ReadAnimationList(lines);
  if (list.BadLine != 0 && list.Animations.size() != static_cast<std::size_t>(list.BadLine > 2 ? list.BadLine - 3 : 0))
    std::abort();
  return 0;
}
