#include "tests/support/stream_bytes.h"

#include "base/reflection/component.h"
#include "base/streams/object_text.h"
#include "base/streams/writer.h"

namespace corvane::test {

std::string Hex(std::string_view bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

std::string Hex(const TMemoryStream& stream) {
  return Hex(std::string_view(stream.Memory(), static_cast<std::size_t>(const_cast<TMemoryStream&>(stream).Size())));
}

std::string Unhex(std::string_view hex) {
  std::string out;
  int high = -1;
  for (char c : hex) {
    int v;
    if (c >= '0' && c <= '9') v = c - '0';
    else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
    else continue;
    if (high < 0) {
      high = v;
    } else {
      out += static_cast<char>(high * 16 + v);
      high = -1;
    }
  }
  return out;
}

TMemoryStream StreamOf(std::string_view bytes) {
  return TMemoryStream(std::span<const char>(bytes.data(), bytes.size()));
}

std::string WriteComponentBytes(TGComponent* root) {
  TMemoryStream out;
  {
    TGWriter writer(out);
    writer.WriteRootComponent(root);
  }
  return std::string(out.Memory(), static_cast<std::size_t>(out.Size()));
}

std::string WriteComponentText(TGComponent* root) {
  TMemoryStream binary = StreamOf(WriteComponentBytes(root));
  TMemoryStream text;
  if (!ObjectBinaryToText(binary, text)) return {};
  return std::string(text.Memory(), static_cast<std::size_t>(text.Size()));
}

}  // namespace corvane::test
