// Bytes of ".pixmap" and ".mesh" files, built field by field from their
// layout (not through the filters), for the filter tests, fuzz seeds and
// benchmarks.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/geometry/vertex_format.h"
#include "platform/media.h"

namespace corvane::test {

// Little-endian words onto the end of bytes.
void PutLongword(std::string& bytes, std::uint32_t value);
void PutWord(std::string& bytes, std::uint16_t value);

// The bytes of a file the engine derived from another (".bin", ".pixmap",
// ".mesh") without the stamp of its source at its end
// (base/streams/source_stamp.h); a file without one as it is.
std::optional<std::string> WithoutSourceStamp(const std::optional<std::string>& bytes);
// The stamp at the end of a derived file's bytes; "" without one.
std::string SourceStampOf(const std::optional<std::string>& bytes);

// "PIXMAPB", the sides, 512 zero bytes, the ARGB pixels.
std::string PixmapFileBytes(std::uint32_t width, std::uint32_t height, const std::vector<std::uint32_t>& pixels);

struct TMeshFile {
  TVertexFormat Format = vfVertex;
  std::uint32_t VertexCount = 0;
  bool Indexed = false;
  std::vector<std::uint16_t> Indices;
  bool Animated = false;
  std::uint32_t FrameCount = 0;
  std::vector<TMeshAni> Animations;
  TAABB Bounds;
  // Every vertex word of every frame.
  std::vector<std::uint32_t> Words;
};
// A mesh of the format whose words count 1, 2, 3 ...: vertexCount vertices,
// frames frames when animated, indices 0 .. vertexCount - 1 when indexed.
TMeshFile CountingMesh(TVertexFormat format, std::uint32_t vertexCount, bool indexed, std::uint32_t frames = 0);
std::string MeshFileBytes(const TMeshFile& mesh);

}  // namespace corvane::test
