// TParser: the tokenizer of the text object form (".object" files).
//
// The text is scanned through a window of at most 4096 bytes that always
// ends at a line boundary, so no token is ever split by a refill; a line of
// 4096 bytes or more is refused ("LineTooLong"). The stream is read in
// blocks of up to kReadSize bytes straight into the parser's buffer, and
// the window moves along a block without copying: the text is moved once,
// by the stream's read (only the part of a line a block ends in moves
// again, to the front). Errors are reported to the engine log as
// "Parse error <message><line>" and parsing goes on; a fatal error (a number
// that is not one, a line too long, or one the caller declares fatal) also
// ends the parse: every later token is toEOF and Failed() turns true.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

class TStream;

// Token kinds; any other token is the character itself (33..255).
enum : int {
  toEOF = 0,
  toSymbol = 1,
  toString = 2,  // 8-bit (Latin-1) string literal
  toInteger = 3,
  toFloat = 4,
  toWString = 5,  // string literal holding a character above U+00FF or a code above 127
};

// Steps back from position towards buffer and stops at the first line feed
// before position: that line feed's position, or buffer when there is none.
const char* LineStart(const char* buffer, const char* position);

// Whether text reads back from the text form as one symbol token: a letter
// or "_", then letters, digits and "_" (ASCII only). Dotted, symbols joined
// by single dots (a property path, a component reference) also count.
bool IsSymbolText(std::string_view text, bool dotted = false);

class TParser {
 public:
  // The parser, the message (" parser ..." or the bare message) and whether
  // the handler took care of it (then nothing is logged).
  using TErrorEvent = std::function<void(TParser& parser, const std::string& message, bool& handled)>;

  static constexpr int kBufferSize = 4096;
  static constexpr std::int64_t kReadSize = 256 * 1024;

  // Reads the first token. The stream must outlive the parser.
  explicit TParser(TStream& stream, TErrorEvent onError = {});
  // Moves the stream back to the start of the current token, so whatever
  // follows the parsed text can be read by others.
  ~TParser();
  TParser(const TParser&) = delete;
  TParser& operator=(const TParser&) = delete;

  int NextToken();
  void SkipBlanks();

  int Token() const { return token_; }
  // The float suffix letter of a toFloat token ('c', 'd', 's' in either
  // case), 0 when none.
  char FloatType() const { return floatType_; }
  // toString: the decoded 8-bit string; otherwise the token's source text.
  std::string TokenString() const { return std::string(TokenView()); }
  // The same without a copy; valid until the next token.
  std::string_view TokenView() const;
  // toWString: its value; otherwise the token string widened byte by byte.
  std::u16string TokenWideString() const;
  const std::u16string& WideStr() const { return wideStr_; }
  // The token as a 64-bit integer ("$" hexadecimal accepted). Text that is
  // no such number is the fatal error "NumberExpected" and gives 0.
  std::int64_t TokenInt();
  // The token without its suffix letter as a double. Text that is no number
  // is the fatal error "NumberExpected" and gives 0.
  double TokenFloat();
  bool TokenSymbolIs(std::string_view symbol) const;
  // A symbol followed directly by any number of "." + symbol parts.
  std::string TokenComponentIdent();

  // Report when the token is not the one expected; whether it was.
  bool CheckToken(int token);
  bool CheckTokenSymbol(std::string_view symbol);

  // " parser " + message.
  void Error(std::string_view message);
  // The message texts hold no placeholders, so they pass unchanged.
  void ErrorFmt(std::string_view format);
  // Offers the message to OnError; unless handled, logs "Parse error " +
  // message + the line number.
  void ErrorStr(std::string_view message);
  // Error, then ends the parse.
  void FatalError(std::string_view message);
  bool Failed() const { return failed_; }

  // Input offset of the current token (from where the parser started).
  std::int64_t SourcePos() const { return origin_ + (tokenPtr_ - buffer_.data()); }
  int SourceLine() const { return sourceLine_; }
  // Offset of the current token from the start of its line.
  int GetLinePos() const;

  // Converts the hexadecimal digits up to "}" into stream and reads the
  // token after "}". Anything else is "InvalidBinary": what was converted
  // is kept and the text up to "}" is passed over.
  void HexToBinary(TStream& stream);

  TErrorEvent OnError;

 private:
  void ReadBuffer();
  int ScanString(char* p);
  void DecodeString(char* p, bool wide);
  // Marks the parse as ended: no further text is read.
  void Stop();

  TStream& stream_;
  std::vector<char> buffer_;  // up to kReadSize bytes of text and a byte for the sentinel
  char* bufPtr_;              // end of the bytes read into the buffer
  char* bufEnd_;              // end of the room for text
  char* windowStart_;         // start of the text the window shows
  char* sourcePtr_;           // scan position
  char* sourceEnd_;           // end of the window (holds the sentinel)
  char* tokenPtr_;            // start of the current token
  char* stringPtr_ = nullptr;  // end of a toString token's decoded text (it starts at tokenPtr_)
  char saveChar_ = 0;         // the byte the sentinel replaced
  std::int64_t origin_ = 0;   // input bytes before the buffer start
  int sourceLine_ = 1;
  int token_ = toEOF;
  char floatType_ = 0;
  std::u16string wideStr_;
  bool streamDone_ = false;  // the stream gave its last byte
  bool failed_ = false;
};

}  // namespace corvane
