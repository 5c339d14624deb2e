// The writers of TFile3DS: each value is laid out little-endian in a small
// buffer and put whole, so a stream that takes fewer bytes, or a write
// that would pass the reach of 32-bit offsets, fails before anything
// half-written could be mistaken for a value.
#include <bit>
#include <type_traits>

#include "base/streams/stream.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/file.h"

namespace corvane {

namespace {

template <class T>
void StoreLittleEndian(T value, std::uint8_t* bytes) {
  using U = std::conditional_t<sizeof(T) == 1, std::uint8_t,
                               std::conditional_t<sizeof(T) == 2, std::uint16_t,
                                                  std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>>;
  const U bits = std::bit_cast<U>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

// Values laid out one after another, then put in one write.
template <std::size_t N>
struct TLayout {
  std::uint8_t bytes[N];
  std::size_t used = 0;
  template <class T>
  TLayout& operator<<(T value) {
    StoreLittleEndian(value, bytes + used);
    used += sizeof(T);
    return *this;
  }
};

}  // namespace

void TFile3DS::Put(const void* bytes, std::int64_t count) {
  if (count <= 0) return;
  if (out_ == nullptr) throw E3DSWriteError();
  const std::int64_t at = out_->Position();
  if (count > kMaxFileSize3DS - at) throw E3DSWriteError();
  if (out_->Write(bytes, count) != count) throw E3DSWriteError();
}

#define CORVANE_3DS_SCALAR_WRITER(Type, Name) \
  void TFile3DS::Name(Type value) {           \
    TLayout<sizeof(Type)> layout;             \
    layout << value;                          \
    Put(layout.bytes, layout.used);           \
  }
CORVANE_3DS_SCALAR_WRITER(std::uint8_t, WriteByte)
CORVANE_3DS_SCALAR_WRITER(std::uint16_t, WriteWord)
CORVANE_3DS_SCALAR_WRITER(std::int16_t, WriteShort)
CORVANE_3DS_SCALAR_WRITER(std::uint32_t, WriteCardinal)
CORVANE_3DS_SCALAR_WRITER(std::int32_t, WriteInteger)
CORVANE_3DS_SCALAR_WRITER(float, WriteSingle)
CORVANE_3DS_SCALAR_WRITER(double, WriteDouble)
#undef CORVANE_3DS_SCALAR_WRITER

void TFile3DS::WriteData(std::int64_t count, const void* buffer) {
  if (count < 0 || (count > 0 && buffer == nullptr)) ShowError(error3ds_invalid_arg);
  Put(buffer, count);
}

void TFile3DS::WriteString(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) ShowError(error3ds_invalid_arg);
  // The characters and their terminator in one write.
  std::string bytes(text);
  Put(bytes.c_str(), static_cast<std::int64_t>(bytes.size()) + 1);
}

void TFile3DS::WriteFixedString(std::string_view text, std::int64_t length) {
  if (length < 0 || text.find('\0') != std::string_view::npos) ShowError(error3ds_invalid_arg);
  if (static_cast<std::int64_t>(text.size()) >= length) ShowError(error3ds_string_too_long);
  std::string field(static_cast<std::size_t>(length), '\0');
  text.copy(field.data(), text.size());
  Put(field.data(), length);
}

void TFile3DS::WriteHeader(std::uint16_t tag, std::uint32_t size) {
  TLayout<6> layout;
  layout << tag << size;
  Put(layout.bytes, layout.used);
}

void TFile3DS::FinishHeader(std::int64_t start, std::int64_t end) {
  if (out_ == nullptr) throw E3DSWriteError();
  if (start < 0 || end - start < 6 || end - start > kMaxFileSize3DS || end > out_->Size())
    ShowError(error3ds_invalid_arg);
  if (out_->Seek(start + 2, soBeginning) != start + 2) throw E3DSWriteError();
  WriteCardinal(static_cast<std::uint32_t>(end - start));
  if (out_->Seek(end, soBeginning) != end) throw E3DSWriteError();
}

void TFile3DS::WritePoint(const TPoint3DS& point) {
  TLayout<12> layout;
  layout << point.x << point.y << point.z;
  Put(layout.bytes, layout.used);
}

void TFile3DS::WriteTexVertex(const TTexVert3DS& vertex) {
  TLayout<8> layout;
  layout << vertex.u << vertex.v;
  Put(layout.bytes, layout.used);
}

void TFile3DS::WriteFace(const TFace3DS& face) {
  TLayout<8> layout;
  layout << face.V1 << face.V2 << face.V3 << face.Flag;
  Put(layout.bytes, layout.used);
}

void TFile3DS::WriteTrackHeader(const TTrackHeader3DS& header) {
  TLayout<14> layout;
  layout << header.Flags << header.Nu1 << header.Nu2 << header.KeyCount;
  Put(layout.bytes, layout.used);
}

void TFile3DS::WriteKeyHeader(const TKeyHeader3DS& key) {
  TLayout<26> layout;
  layout << key.Time << key.RFlags;
  const float values[] = {key.Tension, key.Continuity, key.Bias, key.EaseTo, key.EaseFrom};
  for (int bit = 0; bit < 5; ++bit)
    if (key.RFlags & (1 << bit)) layout << values[bit];
  Put(layout.bytes, layout.used);
}

}  // namespace corvane
