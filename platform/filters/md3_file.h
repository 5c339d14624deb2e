// TFileMD3: an MD3 model (the published format of surfaces with per-frame
// compressed vertices), little-endian. The frames and tags follow the
// header and are skipped, not kept; the first surface starts where the tags
// end, its shaders follow its header, its triangles, texture coordinates
// and vertices lie at offsets from its start, and the next surface starts
// at its end offset. Identification and version are not compared.
//
// The file is untrusted: every record must lie inside it, counts are not
// negative, each surface holds at least the model's frames, every triangle
// names vertices of its own surface, and all records together claim no
// more bytes than the file has (so that records shared between surfaces
// cannot multiply the memory a small file asks for).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

class TStream;

struct TMD3Vertex {
  std::int16_t X = 0, Y = 0, Z = 0;
  // The packed normal: its two bytes as stored.
  std::uint8_t Normal[2] = {0, 0};
};

struct TMD3Surface {
  std::string Name;
  std::int32_t Flags = 0;
  std::int32_t FrameCount = 0;
  std::int32_t VertexCount = 0;
  std::vector<std::string> Shaders;
  std::vector<std::array<std::int32_t, 3>> Triangles;
  // u, v per vertex.
  std::vector<std::array<float, 2>> TexCoords;
  // FrameCount x VertexCount records, frame by frame.
  std::vector<TMD3Vertex> Vertices;
};

class TFileMD3 {
 public:
  // Reads the whole stream; false, with the reason in error, for a file
  // that breaks one of the rules above (what was read is then dropped).
  bool LoadFromStream(TStream& stream, std::string& error);

  std::string Name;
  std::int32_t Flags = 0;
  std::int32_t FrameCount = 0;
  std::int32_t TagCount = 0;
  std::vector<TMD3Surface> Surfaces;
};

}  // namespace corvane
