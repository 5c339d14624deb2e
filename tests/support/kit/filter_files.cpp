#include "tests/support/kit/filter_files.h"

#include <bit>

#include "base/streams/source_stamp.h"

namespace corvane::test {

namespace {

// Where the stamp begins, read by its mark; npos without one.
std::size_t StampStart(const std::string& bytes) {
  const auto size = static_cast<std::size_t>(kSourceStampBytes);
  if (bytes.size() < size || bytes.compare(bytes.size() - 8, 8, "CVSOURCE") != 0) return std::string::npos;
  return bytes.size() - size;
}

}  // namespace

std::optional<std::string> WithoutSourceStamp(const std::optional<std::string>& bytes) {
  if (!bytes) return bytes;
  const std::size_t start = StampStart(*bytes);
  return start == std::string::npos ? *bytes : bytes->substr(0, start);
}

std::string SourceStampOf(const std::optional<std::string>& bytes) {
  const std::size_t start = bytes ? StampStart(*bytes) : std::string::npos;
  return start == std::string::npos ? std::string() : bytes->substr(start);
}

void PutLongword(std::string& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutWord(std::string& bytes, std::uint16_t value) {
  bytes.push_back(static_cast<char>(value & 0xFF));
  bytes.push_back(static_cast<char>(value >> 8));
}

std::string PixmapFileBytes(std::uint32_t width, std::uint32_t height, const std::vector<std::uint32_t>& pixels) {
  std::string bytes = "PIXMAPB";
  PutLongword(bytes, width);
  PutLongword(bytes, height);
  bytes.append(512, '\0');
  for (std::uint32_t pixel : pixels) PutLongword(bytes, pixel);
  return bytes;
}

TMeshFile CountingMesh(TVertexFormat format, std::uint32_t vertexCount, bool indexed, std::uint32_t frames) {
  TMeshFile mesh;
  mesh.Format = format;
  mesh.VertexCount = vertexCount;
  mesh.Indexed = indexed;
  mesh.Animated = frames > 0;
  mesh.FrameCount = frames;
  if (indexed)
    for (std::uint32_t i = 0; i < vertexCount; ++i) mesh.Indices.push_back(static_cast<std::uint16_t>(i));
  const std::uint32_t words = vertexCount * static_cast<std::uint32_t>(VertexSize(format)) / 4 * (frames > 0 ? frames : 1);
  for (std::uint32_t i = 0; i < words; ++i) mesh.Words.push_back(i + 1);
  mesh.Bounds.min = {-1, -2, -3, 1};
  mesh.Bounds.max = {1, 2, 3, 1};
  return mesh;
}

std::string MeshFileBytes(const TMeshFile& mesh) {
  std::string bytes = "MESHBIN";
  PutLongword(bytes, mesh.Indexed ? 1 : 0);
  PutLongword(bytes, mesh.VertexCount);
  PutLongword(bytes, static_cast<std::uint32_t>(mesh.Format));
  PutLongword(bytes, static_cast<std::uint32_t>(mesh.Indices.size()));
  bytes.append(512, '\0');
  PutLongword(bytes, mesh.Animated ? 1 : 0);
  PutLongword(bytes, mesh.FrameCount);
  PutLongword(bytes, static_cast<std::uint32_t>(mesh.Animations.size()));
  for (const TMeshAni& animation : mesh.Animations) {
    PutLongword(bytes, static_cast<std::uint32_t>(animation.Name.size()));
    bytes += animation.Name;
    PutLongword(bytes, animation.FirstFrame);
    PutLongword(bytes, animation.LastFrame);
    PutLongword(bytes, std::bit_cast<std::uint32_t>(animation.Speed));
  }
  for (const TSpaceVector* point : {&mesh.Bounds.min, &mesh.Bounds.max})
    for (float value : {point->x, point->y, point->z}) PutLongword(bytes, std::bit_cast<std::uint32_t>(value));
  for (std::uint32_t word : mesh.Words) PutLongword(bytes, word);
  if (mesh.Indexed)
    for (std::uint16_t index : mesh.Indices) PutWord(bytes, index);
  return bytes;
}

}  // namespace corvane::test
