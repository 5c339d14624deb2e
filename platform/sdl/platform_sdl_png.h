// The picture half of TPlatformSDL: PNG files of what the window shows.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace corvane {

class TResourceMan;

// Writes width x height RGBA pixels (rows from the top, or from the bottom
// as OpenGL reads them) as an 8-bit RGB PNG file, dropping alpha: the back
// buffer's alpha is whatever the clear left there. The file is made in
// memory and stored through the manager's create stream, whole or not at
// all. False, with nothing left behind, when the size does not match the
// pixels or the file cannot be written: a failed store has had its line
// (StoreResource), and *error says why the picture was not made.
bool WriteRgbPng(TResourceMan& folder, const std::string& fileName, std::int32_t width, std::int32_t height,
                 std::span<const std::uint8_t> rgba, bool bottomUp, std::string* error = nullptr);

}  // namespace corvane
