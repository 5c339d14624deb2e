// The published names of 3DS chunk ids, for dumps and diagnostics.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

// The chunk's published name; "UNKNOWN_CHUNK" for an id the list lacks.
std::string ChunkTagToString(std::uint16_t tag);
// How many ids have a name.
std::size_t ChunkTagNameCount();
// The index-th named id in ascending order (index below ChunkTagNameCount).
std::uint16_t ChunkTagAt(std::size_t index);

}  // namespace corvane
