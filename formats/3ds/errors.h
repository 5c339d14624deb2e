// The one exception class of the 3DS reader and its fixed message texts.
// Every failure of the reader's own carries one of the 21 texts; callers
// tell failures apart by the text alone. A read past the end of a chunk or
// of the stream is E3DSReadError, an E3DSError too, so one handler catches
// everything the reader throws.
//
// The texts are translatable: each has a default and a current value that
// starts as the default.
#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

namespace corvane {

enum TError3DS : std::uint8_t {
  error3ds_no_mem,
  error3ds_invalid_arg,
  error3ds_invalid_data,
  error3ds_invalid_chunk,
  error3ds_invalid_database,
  error3ds_wrong_database,
  error3ds_unfound_chunk,
  error3ds_wrong_object,
  error3ds_no_such_file,
  error3ds_init_failed,
  error3ds_opening_file,
  error3ds_closing_file,
  error3ds_reading_file,
  error3ds_creating_database,
  error3ds_reading_database,
  error3ds_writing_database,
  error3ds_writing_file,
  error3ds_string_too_long,
  error3ds_get_fail,
  error3ds_put_fail,
  error3ds_invalid_index,
};
inline constexpr int kError3DSCount = error3ds_invalid_index + 1;

const char* Error3DSDefaultText(TError3DS id);
// The current text (the default until SetError3DSText changes it).
const std::string& Error3DSText(TError3DS id);
void SetError3DSText(TError3DS id, std::string text);

class E3DSError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A typed read that would pass the end of its chunk or of the stream.
class E3DSReadError : public E3DSError {
 public:
  E3DSReadError() : E3DSError("Stream read error") {}
};

// A write its stream did not take whole, or one past the 4 GiB a 3DS
// file's 32-bit offsets reach.
class E3DSWriteError : public E3DSError {
 public:
  E3DSWriteError() : E3DSError("Stream write error") {}
};

// Raises E3DSError with the current text of id.
[[noreturn]] void ShowError(TError3DS id);
// Raises E3DSError with text as the message.
[[noreturn]] void ShowError(std::string_view text);
// Raises E3DSError with the text of id formatted with one integer argument
// (error3ds_invalid_index and the index).
[[noreturn]] void ShowErrorFormatted(TError3DS id, std::int64_t arg);

// Runs body; an allocation failure inside leaves as error3ds_no_mem.
template <class F>
decltype(auto) WithNoMemError3DS(F&& body) {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    ShowError(error3ds_no_mem);
  } catch (const std::length_error&) {
    ShowError(error3ds_no_mem);
  }
}

}  // namespace corvane
