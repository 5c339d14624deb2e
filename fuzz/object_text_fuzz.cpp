// Feeds arbitrary bytes to the text object parser and the text-to-binary
// converter. Whatever the text, the conversion must end without a crash, a
// hang or unbounded memory; a text it accepts must render back to text.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/engine_log.h"
#include "base/memory_stream.h"
#include "base/object_text.h"
#include "base/parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  static TSilentLog quiet;
  SetLogTarget(&quiet);
  const std::span<const std::uint8_t> bytes(data, size);

  {
    // Every token accessor on every token.
    TMemoryStream input(bytes);
    TParser parser(input);
    for (int guard = 0; parser.Token() != toEOF && guard < 1 << 20; ++guard) {
      (void)parser.TokenString();
      (void)parser.TokenWideString();
      (void)parser.SourcePos();
      (void)parser.GetLinePos();
      if (parser.Token() == '{') {
        TMemoryStream binary;
        parser.HexToBinary(binary);
        continue;
      }
      parser.NextToken();
    }
  }

  TMemoryStream input(bytes);
  TMemoryStream binary;
  if (ObjectTextToBinary(input, binary)) {
    binary.SetPosition(0);
    TMemoryStream text;
    if (!ObjectBinaryToText(binary, text)) __builtin_trap();
  }
  return 0;
}
