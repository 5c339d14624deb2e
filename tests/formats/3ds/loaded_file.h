// A 3DS database loaded from bytes held beside it (the file reads its
// payloads from the stream on demand).
#pragma once

#include <string>

#include "formats/3ds/file.h"
#include "tests/formats/3ds/chunk_bytes.h"

namespace corvane::test3ds {

struct TLoaded {
  explicit TLoaded(std::string data) : bytes(std::move(data)), stream(StreamOf(bytes)), file(stream) {}
  std::string bytes;
  TMemoryStream stream;
  TFile3DS file;
};

}  // namespace corvane::test3ds
