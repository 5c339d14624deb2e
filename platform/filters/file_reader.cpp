#include "platform/filters/file_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/streams/stream.h"
#include "base/streams/stream_helpers.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

TFileReader::TFileReader(TStream& stream) : stream_(stream), left_(stream.Remaining()) {}

void TFileReader::Fail(std::u16string_view reason) {
  if (failed_) return;
  failed_ = true;
  reason_ = reason;
}

bool TFileReader::Need(std::int64_t count, std::int64_t size, std::u16string_view what, std::int64_t before) {
  if (failed_) return false;
  const std::int64_t left = left_ - before;
  // Divided, not multiplied: a product of stored counts may not fit.
  if (count < 0 || size < 0 || left < 0 || (size > 0 && count > left / size)) {
    Fail(std::u16string(what) + u" (" + IntToStr(count) + u") beyond the end of the file");
    return false;
  }
  return true;
}

bool TFileReader::Bytes(void* data, std::int64_t count) {
  if (failed_ || count < 0) return false;
  if (count > left_) {
    Fail(u"the file ends early");
    return false;
  }
  auto* out = static_cast<std::uint8_t*>(data);
  const std::size_t fromBuffer = static_cast<std::size_t>(std::min<std::int64_t>(count, Buffered()));
  if (fromBuffer > 0) std::memcpy(out, buffer_.get() + next_, fromBuffer);
  next_ += fromBuffer;
  std::int64_t rest = count - static_cast<std::int64_t>(fromBuffer);
  out += fromBuffer;
  if (rest >= kBufferSize) {
    if (stream_.Read(out, rest) != rest) {
      Fail(u"the file ends early");
      return false;
    }
  } else if (rest > 0) {
    // The buffer is empty here: refill it with what the file still holds.
    const std::int64_t want = std::min<std::int64_t>(kBufferSize, left_ - static_cast<std::int64_t>(fromBuffer));
    if (capacity_ < static_cast<std::size_t>(want)) {
      capacity_ = static_cast<std::size_t>(want);
      buffer_.reset(new std::uint8_t[capacity_]);
    }
    const std::int64_t got = stream_.Read(buffer_.get(), want);
    next_ = 0;
    end_ = got > 0 ? static_cast<std::size_t>(got) : 0;
    if (got < rest) {
      end_ = 0;
      Fail(u"the file ends early");
      return false;
    }
    std::memcpy(out, buffer_.get(), static_cast<std::size_t>(rest));
    next_ = static_cast<std::size_t>(rest);
  }
  left_ -= count;
  return true;
}

bool TFileReader::Matches(std::string_view expected) {
  std::string got(expected.size(), '\0');
  if (failed_ || static_cast<std::int64_t>(expected.size()) > left_) return false;
  return Bytes(got.data(), static_cast<std::int64_t>(got.size())) && got == expected;
}

bool TFileReader::Signature(std::string_view expected, std::u16string_view kind) {
  const bool empty = left_ == 0;
  if (Matches(expected)) return true;
  Fail(empty ? std::u16string(u"the file is empty") : u"it is no " + std::u16string(kind) + u" file");
  return false;
}

bool TFileReader::Skip(std::int64_t count) {
  if (failed_ || count < 0) return false;
  if (count > left_) {
    Fail(u"the file ends early");
    return false;
  }
  const std::size_t fromBuffer = static_cast<std::size_t>(std::min<std::int64_t>(count, Buffered()));
  next_ += fromBuffer;
  if (count > static_cast<std::int64_t>(fromBuffer)) stream_.Seek(count - static_cast<std::int64_t>(fromBuffer), soCurrent);
  left_ -= count;
  return true;
}

std::uint32_t TFileReader::Longword() {
  std::uint32_t value = 0;
  if (!Longwords(&value, 1)) return 0;
  return value;
}

float TFileReader::Single() { return std::bit_cast<float>(Longword()); }

bool TFileReader::Longwords(void* data, std::int64_t count) {
  if (failed_ || count < 0) return false;
  if (count > left_ / 4) {
    Fail(u"the file ends early");
    return false;
  }
  if (!Bytes(data, count * 4)) return false;
  if constexpr (std::endian::native == std::endian::big) {
    auto* bytes = static_cast<std::uint8_t*>(data);
    for (std::int64_t i = 0; i < count; ++i) ReverseBytes(bytes + i * 4, 4);
  }
  return true;
}

bool TFileReader::Words(std::uint16_t* data, std::int64_t count) {
  if (failed_ || count < 0) return false;
  if (count > left_ / 2) {
    Fail(u"the file ends early");
    return false;
  }
  if (!Bytes(data, count * 2)) return false;
  if constexpr (std::endian::native == std::endian::big)
    ReverseByteOrderInWords(data, static_cast<std::int32_t>(count));
  return true;
}

std::string TFileReader::String() {
  const std::uint32_t length = Longword();
  if (!Need(length, 1, u"a name")) return {};
  std::string text(length, '\0');
  if (!Bytes(text.data(), length)) return {};
  return text;
}

void ReportBadFile(std::string_view name, std::u16string_view reason) {
  EngineError(u"Can't load " + Utf8ToUtf16(name) + u": " + std::u16string(reason));
}

}  // namespace corvane
