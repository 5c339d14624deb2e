#include "base/streams/parser.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/streams/object_text.h"
#include "base/streams/stream.h"
#include "base/system/log_target.h"
#include "base/system/stop_question.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {

namespace {

enum : std::uint8_t { kIdentStart = 1, kIdentChar = 2, kDigit = 4, kHexDigit = 8, kFloatChar = 16 };

constexpr std::array<std::uint8_t, 256> MakeCharClasses() {
  std::array<std::uint8_t, 256> t{};
  for (int c = 'A'; c <= 'Z'; ++c) t[c] |= kIdentStart | kIdentChar;
  for (int c = 'a'; c <= 'z'; ++c) t[c] |= kIdentStart | kIdentChar;
  t['_'] |= kIdentStart | kIdentChar;
  for (int c = '0'; c <= '9'; ++c) t[c] |= kIdentChar | kDigit | kHexDigit | kFloatChar;
  for (int c = 'A'; c <= 'F'; ++c) t[c] |= kHexDigit;
  for (int c = 'a'; c <= 'f'; ++c) t[c] |= kHexDigit;
  for (char c : {'+', '-', '.', 'e', 'E'}) t[static_cast<unsigned char>(c)] |= kFloatChar;
  return t;
}
constexpr std::array<std::uint8_t, 256> kCharClass = MakeCharClasses();

inline bool Is(char c, std::uint8_t cls) { return (kCharClass[static_cast<unsigned char>(c)] & cls) != 0; }

// Character codes from "#" are capped here so that long digit runs cannot
// overflow; anything above U+FFFF is refused.
constexpr std::uint32_t kCodeCap = 0x110000;

// Reads the digits of a "#" code; p stands after the "#".
std::uint32_t ReadCode(const char*& p) {
  std::uint32_t code = 0;
  while (Is(*p, kDigit)) {
    code = code * 10 + static_cast<std::uint32_t>(*p - '0');
    if (code > kCodeCap) code = kCodeCap;
    ++p;
  }
  return code;
}

// Finds the end of a quoted run; p stands after the opening quote. Stops at
// the closing quote or, for an unterminated run, at the line end or the end
// of the text. Tells whether the run holds bytes from 128 up.
const char* RunEnd(const char* p, bool& high) {
  high = false;
  for (;;) {
    const char c = *p;
    if (c == '\'') {
      if (p[1] != '\'') return p;
      p += 2;
      continue;
    }
    if (c == 0 || c == '\n' || c == '\r') return p;
    if (static_cast<unsigned char>(c) >= 0x80) high = true;
    ++p;
  }
}

// A run that is valid UTF-8 is read as UTF-8; any other run byte by byte
// (Latin-1). Doubled quotes cannot break a valid sequence, so the raw run
// decides.
bool RunIsUtf8(const char* run, const char* end) {
  return IsValidUtf8(std::string_view(run, static_cast<std::size_t>(end - run)));
}

// Whether a valid UTF-8 run holds a character above U+00FF (lead bytes from
// C4 up).
bool RunHasWide(const char* run, const char* end) {
  for (; run < end; ++run)
    if (static_cast<unsigned char>(*run) >= 0xC4) return true;
  return false;
}

// Decodes one run into characters; utf8 tells how bytes from 128 up are read.
template <class Out>
void DecodeRun(const char* p, const char* end, bool utf8, Out&& out) {
  while (p < end) {
    const auto c = static_cast<unsigned char>(*p);
    if (c == '\'') {  // a doubled quote
      out(U'\'');
      p += 2;
    } else if (c < 0x80 || !utf8) {
      out(static_cast<char32_t>(c));
      ++p;
    } else {
      const auto* u = reinterpret_cast<const unsigned char*>(p);
      char32_t cp;
      int n;
      if (c < 0xE0) {
        cp = c & 0x1Fu;
        n = 2;
      } else if (c < 0xF0) {
        cp = c & 0x0Fu;
        n = 3;
      } else {
        cp = c & 0x07u;
        n = 4;
      }
      for (int i = 1; i < n; ++i) cp = (cp << 6) | (u[i] & 0x3Fu);
      out(cp);
      p += n;
    }
  }
}

}  // namespace

const char* LineStart(const char* buffer, const char* position) {
  while (position > buffer) {
    --position;
    if (*position == '\n') return position;
  }
  return buffer;
}

bool IsSymbolText(std::string_view text, bool dotted) {
  bool partStart = true;
  for (const char c : text) {
    if (partStart) {
      if (!Is(c, kIdentStart)) return false;
      partStart = false;
    } else if (c == '.' && dotted) {
      partStart = true;
    } else if (!Is(c, kIdentChar)) {
      return false;
    }
  }
  return !partStart;
}

TParser::TParser(TStream& stream, TErrorEvent onError) : OnError(std::move(onError)), stream_(stream) {
  // A text shorter than a block takes no more room than it needs (and a
  // window's); a stream that cannot tell its size gets a whole block.
  const std::int64_t left = stream.Size() - stream.Position();
  const std::int64_t room = left > 0 && left < kReadSize ? std::max<std::int64_t>(left, kBufferSize) : kReadSize;
  buffer_.resize(static_cast<std::size_t>(room) + 1);
  char* b = buffer_.data();
  b[0] = 0;
  bufPtr_ = b;
  bufEnd_ = b + room;
  windowStart_ = b;
  sourcePtr_ = b;
  sourceEnd_ = b;
  tokenPtr_ = b;
  NextToken();
}

TParser::~TParser() {
  // The stream stands at the end of what was read into the buffer.
  const std::int64_t back = tokenPtr_ - bufPtr_;
  if (back != 0) stream_.Seek(back, soCurrent);
}

void TParser::ReadBuffer() {
  *sourceEnd_ = saveChar_;
  if (!streamDone_ && bufPtr_ - sourcePtr_ < kBufferSize) {
    // Less than a window left of what was read: the rest (part of a line)
    // goes to the front and the block is filled up behind it. Streams may
    // deliver less than asked without being at their end.
    char* b = buffer_.data();
    origin_ += sourcePtr_ - b;
    const std::ptrdiff_t count = bufPtr_ - sourcePtr_;
    if (count != 0) std::memmove(b, sourcePtr_, static_cast<std::size_t>(count));
    bufPtr_ = b + count;
    sourcePtr_ = b;
    while (!streamDone_ && bufPtr_ < bufEnd_) {
      const std::int64_t got = stream_.Read(bufPtr_, bufEnd_ - bufPtr_);
      if (got <= 0) {
        streamDone_ = true;
        break;
      }
      bufPtr_ += got;
    }
  }
  // The window: the text from here on, cut back to the end of its last
  // line when more follows a window's length of it, so that a line of up
  // to kBufferSize - 1 bytes (its line feed included) fits. The window
  // moves along the block; the text itself stays where it was read.
  windowStart_ = sourcePtr_;
  tokenPtr_ = sourcePtr_;
  sourceEnd_ = bufPtr_;
  if (bufPtr_ - sourcePtr_ >= kBufferSize) {
    char* lastLineFeed = const_cast<char*>(LineStart(sourcePtr_, sourcePtr_ + kBufferSize - 1));
    if (*lastLineFeed != '\n') {
      sourceEnd_ = sourcePtr_;
      saveChar_ = *sourcePtr_;
      *sourcePtr_ = 0;
      FatalError("LineTooLong");
      return;
    }
    sourceEnd_ = lastLineFeed + 1;
  }
  saveChar_ = *sourceEnd_;
  *sourceEnd_ = 0;
  // A long text (a large file, or one object of many lines) stops between
  // two blocks when the program is to close.
  if (StopAsked()) Stop();
}

void TParser::SkipBlanks() {
  if (failed_) return;
  char* p = sourcePtr_;
  for (;;) {
    const auto c = static_cast<unsigned char>(*p);
    if (c > ' ') break;
    if (c == 0) {
      // The sentinel: refill unless the text is used up. A NUL byte in the
      // text ends it as well.
      if (p != sourceEnd_ || (streamDone_ && sourceEnd_ == bufPtr_)) break;
      sourcePtr_ = p;
      ReadBuffer();
      if (failed_) return;
      p = sourcePtr_;
      continue;
    }
    if (c == '\n') ++sourceLine_;
    ++p;
  }
  sourcePtr_ = p;
}

int TParser::NextToken() {
  if (failed_) return token_ = toEOF;
  SkipBlanks();
  if (failed_) return token_ = toEOF;
  char* p = sourcePtr_;
  tokenPtr_ = p;
  floatType_ = 0;
  int result;
  const char c = *p;
  if (Is(c, kIdentStart)) {
    ++p;
    while (Is(*p, kIdentChar)) ++p;
    result = toSymbol;
  } else if (c == '\'' || c == '#') {
    result = ScanString(p);
    return token_ = result;
  } else if (c == '$') {
    ++p;
    while (Is(*p, kHexDigit)) ++p;
    result = toInteger;
  } else if (c == '-' || Is(c, kDigit)) {
    ++p;
    while (Is(*p, kDigit)) ++p;
    result = toInteger;
    while (Is(*p, kFloatChar)) {
      ++p;
      result = toFloat;
    }
    switch (*p) {
      case 'c': case 'C': case 'd': case 'D': case 's': case 'S':
        floatType_ = *p;
        ++p;
        result = toFloat;
        break;
      default:
        break;
    }
  } else if (c == 0) {
    result = toEOF;  // the position stays
  } else {
    result = static_cast<unsigned char>(c);
    ++p;
  }
  sourcePtr_ = p;
  return token_ = result;
}

int TParser::ScanString(char* start) {
  // First pass: the end of the literal and whether it must be wide.
  const char* p = start;
  bool wide = false;
  bool reported = false;
  for (;;) {
    if (*p == '#') {
      ++p;
      const std::uint32_t code = ReadCode(p);
      if (code > 127) wide = true;
      if (code > 0xFFFF && !reported) {
        Error("InvalidString");
        reported = true;
      }
    } else if (*p == '\'') {
      const char* run = p + 1;
      bool high = false;
      p = RunEnd(run, high);
      if (high && !wide && RunIsUtf8(run, p) && RunHasWide(run, p)) wide = true;
      if (*p != '\'') {
        if (!reported) Error("InvalidString");
        reported = true;
        break;  // the literal ends with its line
      }
      ++p;
    } else {
      break;
    }
  }
  char* end = start + (p - start);
  DecodeString(start, wide);
  sourcePtr_ = end;
  return wide ? toWString : toString;
}

void TParser::DecodeString(char* p, bool wide) {
  // Second pass: 8-bit text is decoded in place (it never grows); wide text
  // into WideStr.
  char* out = p;
  if (wide) wideStr_.clear();
  const auto put = [&](char32_t ch) {
    if (!wide) {
      *out++ = static_cast<char>(ch);
    } else if (ch < 0x10000) {
      wideStr_.push_back(static_cast<char16_t>(ch));
    } else {
      ch -= 0x10000;
      wideStr_.push_back(static_cast<char16_t>(0xD800 + (ch >> 10)));
      wideStr_.push_back(static_cast<char16_t>(0xDC00 + (ch & 0x3FF)));
    }
  };
  for (;;) {
    if (*p == '#') {
      const char* q = p + 1;
      const std::uint32_t code = ReadCode(q);
      put(code > 0xFFFF ? char32_t{0xFFFD} : static_cast<char32_t>(code));
      p += q - p;
    } else if (*p == '\'') {
      const char* run = p + 1;
      bool high = false;
      const char* end = RunEnd(run, high);
      DecodeRun(run, end, high && RunIsUtf8(run, end), put);
      p += end - p;
      if (*p != '\'') break;
      ++p;
    } else {
      break;
    }
  }
  stringPtr_ = out;
}

std::string_view TParser::TokenView() const {
  if (token_ == toString) return std::string_view(tokenPtr_, static_cast<std::size_t>(stringPtr_ - tokenPtr_));
  return std::string_view(tokenPtr_, static_cast<std::size_t>(sourcePtr_ - tokenPtr_));
}

std::u16string TParser::TokenWideString() const {
  if (token_ == toWString) return wideStr_;
  return WidenLatin1(TokenView());
}

std::int64_t TParser::TokenInt() {
  const auto value = TryStrToInt64(TokenView());
  if (!value) {
    FatalError("NumberExpected");
    return 0;
  }
  return *value;
}

double TParser::TokenFloat() {
  std::string_view text = TokenView();
  if (floatType_ != 0 && !text.empty()) text.remove_suffix(1);
  const auto value = TryStrToDouble(text);
  if (!value) {
    FatalError("NumberExpected");
    return 0;
  }
  return *value;
}

bool TParser::TokenSymbolIs(std::string_view symbol) const {
  if (token_ != toSymbol) return false;
  const std::string_view text = TokenView();
  return text.size() == symbol.size() && SameText(text, symbol);
}

std::string TParser::TokenComponentIdent() {
  CheckToken(toSymbol);
  char* p = sourcePtr_;
  while (*p == '.') {
    ++p;
    if (!Is(*p, kIdentStart)) {
      Error("IdentifierExpected");
      break;
    }
    ++p;
    while (Is(*p, kIdentChar)) ++p;
  }
  sourcePtr_ = p;
  return TokenString();
}

bool TParser::CheckToken(int token) {
  if (token_ == token) return true;
  switch (token) {
    case toSymbol:
      Error("IdentifierExpected");
      break;
    case toString:
    case toWString:
      Error("StringExpected");
      break;
    case toInteger:
    case toFloat:
      Error("NumberExpected");
      break;
    default:
      ErrorFmt("CharExpected");
      break;
  }
  return false;
}

bool TParser::CheckTokenSymbol(std::string_view symbol) {
  if (TokenSymbolIs(symbol)) return true;
  ErrorFmt("SSymbolExpected");
  return false;
}

void TParser::Error(std::string_view message) {
  std::string text = " parser ";
  text += message;
  ErrorStr(text);
}

void TParser::ErrorFmt(std::string_view format) { ErrorStr(format); }

void TParser::ErrorStr(std::string_view message) {
  bool handled = false;
  if (OnError) OnError(*this, std::string(message), handled);
  if (handled) return;
  std::string text = "Parse error ";
  text += message;
  text += IntToStr8(sourceLine_);
  EngineError(WidenLatin1(text));
}

void TParser::FatalError(std::string_view message) {
  Error(message);
  Stop();
}

void TParser::Stop() {
  failed_ = true;
  token_ = toEOF;
}

int TParser::GetLinePos() const {
  const char* start = LineStart(windowStart_, tokenPtr_);
  if (*start == '\n') ++start;
  return static_cast<int>(tokenPtr_ - start);
}

void TParser::HexToBinary(TStream& stream) {
  std::uint8_t bytes[256];
  SkipBlanks();
  while (!failed_ && *sourcePtr_ != '}' && *sourcePtr_ != 0) {
    const auto available = static_cast<std::size_t>(sourceEnd_ - sourcePtr_);
    const std::size_t count = HexToBin(std::string_view(sourcePtr_, available), bytes, sizeof bytes);
    if (count == 0) {
      Error("InvalidBinary");
      // Pass over the rest up to "}" so that the text after it is read in step.
      while (!failed_ && *sourcePtr_ != '}' && *sourcePtr_ != 0) {
        ++sourcePtr_;
        SkipBlanks();
      }
      break;
    }
    stream.Write(bytes, static_cast<std::int64_t>(count));
    sourcePtr_ += 2 * count;
    SkipBlanks();
  }
  NextToken();
}

}  // namespace corvane
