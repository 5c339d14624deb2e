// The file callback of streamed music: the library pulls the piece's bytes
// through it from a TStream, on its mixing thread while the piece plays.
// Nothing else touches that stream while the stream exists.
#pragma once

#include <cstdint>

namespace corvane {

// user is the source TStream. Close frees it (result 0); read moves up to
// param1 bytes into param2 (the bytes read); length gives its size; seek
// goes to byte param1 from the start (BASS_TRUE). Unknown actions give 0.
std::uint64_t BassFileUserProc(std::uint32_t action, std::uint64_t param1, void* param2, void* user);

}  // namespace corvane
