// Feeds arbitrary bytes to the text object parser and the text-to-binary
// converter. Whatever the text, the conversion must end without a crash, a
// hang or unbounded memory; a text it accepts without an error must render
// back to text (what it made of a text with errors may not read back, and
// the binary-to-text converter then refuses it).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/streams/memory_stream.h"
#include "base/streams/object_text.h"
#include "base/streams/parser.h"
#include "base/system/log_target.h"

namespace {

// Keeps quiet, but counts the errors.
class TErrorCount final : public corvane::TLogTarget {
 public:
  void Log(std::u16string_view) override {}
  void Error(std::u16string_view) override { ++errors; }
  int errors = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace corvane;
  static TErrorCount log;
  SetLogTarget(&log);
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
  log.errors = 0;
  if (ObjectTextToBinary(input, binary) && log.errors == 0) {
    binary.SetPosition(0);
    TMemoryStream text;
    if (!ObjectBinaryToText(binary, text)) __builtin_trap();
  }
  return 0;
}
