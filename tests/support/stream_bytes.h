// Byte-level helpers for stream tests: hex dumps, streams from hex, and a
// component written to the binary object form or as text.
#pragma once

#include <string>
#include <string_view>

#include "base/streams/memory_stream.h"

namespace corvane {
class TGComponent;
}

namespace corvane::test {

// Lower-case hex of the whole stream ("4b564630...").
std::string Hex(const TMemoryStream& stream);
std::string Hex(std::string_view bytes);
// The bytes of a hex text; blanks are ignored.
std::string Unhex(std::string_view hex);
// A stream holding those bytes, positioned at 0.
TMemoryStream StreamOf(std::string_view bytes);
// The component written as the root of a binary object stream.
std::string WriteComponentBytes(TGComponent* root);
// The same written as ".object" text; empty if the conversion fails.
std::string WriteComponentText(TGComponent* root);

}  // namespace corvane::test
