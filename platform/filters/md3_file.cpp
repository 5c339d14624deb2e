#include "platform/filters/md3_file.h"

#include <cstring>
#include <span>

#include "base/streams/memory_stream.h"
#include "base/text/number_text.h"

namespace corvane {

namespace {

constexpr std::int64_t kHeaderSize = 108;
constexpr std::int64_t kFrameSize = 56;
constexpr std::int64_t kTagSize = 112;
constexpr std::int64_t kSurfaceHeaderSize = 108;
constexpr std::int64_t kShaderSize = 68;
constexpr std::int64_t kTriangleSize = 12;
constexpr std::int64_t kTexCoordSize = 8;
constexpr std::int64_t kVertexSize = 8;
constexpr std::int64_t kNameSize = 64;

// The file's bytes with bounded little-endian access and the running total
// of bytes its records claim.
class TMD3Bytes {
 public:
  explicit TMD3Bytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::int64_t Size() const { return static_cast<std::int64_t>(bytes_.size()); }
  // Whether count records of size bytes from at lie inside the file; when
  // they do, they are added to the claimed bytes, which must stay within
  // the file too.
  bool Claim(std::int64_t at, std::int64_t count, std::int64_t size) {
    if (at < 0 || count < 0 || at > Size() || count > (Size() - at) / size) return false;
    claimed_ += count * size;
    return claimed_ <= Size();
  }
  std::int32_t Int(std::int64_t at) const {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes_.data() + at, 4);
    return static_cast<std::int32_t>(v);
  }
  std::int16_t Short(std::int64_t at) const {
    std::uint16_t v = 0;
    std::memcpy(&v, bytes_.data() + at, 2);
    return static_cast<std::int16_t>(v);
  }
  float Single(std::int64_t at) const {
    float v = 0;
    std::memcpy(&v, bytes_.data() + at, 4);
    return v;
  }
  std::uint8_t Byte(std::int64_t at) const { return bytes_[static_cast<std::size_t>(at)]; }
  // Characters up to the first 0 within length bytes.
  std::string Text(std::int64_t at, std::int64_t length) const {
    const auto* start = reinterpret_cast<const char*>(bytes_.data() + at);
    return std::string(start, strnlen(start, static_cast<std::size_t>(length)));
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::int64_t claimed_ = 0;
};

std::string SurfaceText(std::size_t index) { return "surface " + IntToStr8(static_cast<std::int64_t>(index)); }

// Reads the surface at start; false with the reason in error.
bool ReadSurface(TMD3Bytes& file, std::int64_t start, std::int32_t modelFrames, TMD3Surface& surface,
                 std::int64_t& end, std::string& error) {
  if (!file.Claim(start, 1, kSurfaceHeaderSize)) {
    error = "its header lies outside the file";
    return false;
  }
  surface.Name = file.Text(start + 4, kNameSize);
  surface.Flags = file.Int(start + 68);
  surface.FrameCount = file.Int(start + 72);
  const std::int32_t shaderCount = file.Int(start + 76);
  surface.VertexCount = file.Int(start + 80);
  const std::int32_t triangleCount = file.Int(start + 84);
  const std::int64_t triangles = start + file.Int(start + 88);
  const std::int64_t texCoords = start + file.Int(start + 96);
  const std::int64_t vertices = start + file.Int(start + 100);
  end = file.Int(start + 104);

  if (surface.FrameCount < modelFrames) {
    error = "it has " + IntToStr8(surface.FrameCount) + " frames, the model " + IntToStr8(modelFrames);
    return false;
  }
  const std::int64_t vertexRecords = std::int64_t{surface.FrameCount} * surface.VertexCount;
  if (!file.Claim(start + kSurfaceHeaderSize, shaderCount, kShaderSize) ||
      !file.Claim(triangles, triangleCount, kTriangleSize) ||
      !file.Claim(texCoords, surface.VertexCount, kTexCoordSize) ||
      !file.Claim(vertices, vertexRecords, kVertexSize)) {
    error = "its records lie outside the file or claim more bytes than it has";
    return false;
  }

  for (std::int64_t i = 0; i < shaderCount; ++i)
    surface.Shaders.push_back(file.Text(start + kSurfaceHeaderSize + i * kShaderSize, kNameSize));
  surface.Triangles.resize(static_cast<std::size_t>(triangleCount));
  for (std::int64_t i = 0; i < triangleCount; ++i)
    for (std::int64_t k = 0; k < 3; ++k) {
      const std::int32_t index = file.Int(triangles + i * kTriangleSize + k * 4);
      if (index < 0 || index >= surface.VertexCount) {
        error = "triangle " + IntToStr8(i) + " names vertex " + IntToStr8(index) + " of " +
                IntToStr8(surface.VertexCount);
        return false;
      }
      surface.Triangles[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)] = index;
    }
  surface.TexCoords.resize(static_cast<std::size_t>(surface.VertexCount));
  for (std::int64_t i = 0; i < surface.VertexCount; ++i)
    surface.TexCoords[static_cast<std::size_t>(i)] = {file.Single(texCoords + i * kTexCoordSize),
                                                      file.Single(texCoords + i * kTexCoordSize + 4)};
  surface.Vertices.resize(static_cast<std::size_t>(vertexRecords));
  for (std::int64_t i = 0; i < vertexRecords; ++i) {
    const std::int64_t at = vertices + i * kVertexSize;
    TMD3Vertex& v = surface.Vertices[static_cast<std::size_t>(i)];
    v.X = file.Short(at);
    v.Y = file.Short(at + 2);
    v.Z = file.Short(at + 4);
    v.Normal[0] = file.Byte(at + 6);
    v.Normal[1] = file.Byte(at + 7);
  }
  return true;
}

}  // namespace

bool TFileMD3::LoadFromStream(TStream& stream, std::string& error) {
  Surfaces.clear();
  error.clear();
  TMemoryStream copy;
  auto* memory = dynamic_cast<TMemoryStream*>(&stream);
  if (!memory) {
    stream.SetPosition(0);
    if (!copy.LoadFromStream(stream)) {
      error = "the file cannot be read whole";
      return false;
    }
    memory = &copy;
  }
  TMD3Bytes file({reinterpret_cast<const std::uint8_t*>(memory->Memory()), static_cast<std::size_t>(memory->Size())});

  if (!file.Claim(0, 1, kHeaderSize)) {
    error = "the header is cut short";
    return false;
  }
  Name = file.Text(8, kNameSize);
  Flags = file.Int(72);
  FrameCount = file.Int(76);
  TagCount = file.Int(80);
  const std::int32_t surfaceCount = file.Int(84);
  if (FrameCount < 1 || TagCount < 0 || surfaceCount < 0) {
    error = "it counts " + IntToStr8(FrameCount) + " frames, " + IntToStr8(TagCount) + " tags and " +
            IntToStr8(surfaceCount) + " surfaces";
    return false;
  }
  if (!file.Claim(kHeaderSize, FrameCount, kFrameSize) ||
      !file.Claim(kHeaderSize + std::int64_t{FrameCount} * kFrameSize, std::int64_t{FrameCount} * TagCount, kTagSize)) {
    error = "its frames and tags run past the end";
    return false;
  }

  std::int64_t start =
      kHeaderSize + std::int64_t{FrameCount} * kFrameSize + std::int64_t{FrameCount} * TagCount * kTagSize;
  for (std::int32_t s = 0; s < surfaceCount; ++s) {
    TMD3Surface surface;
    std::int64_t end = 0;
    std::string why;
    if (!ReadSurface(file, start, FrameCount, surface, end, why)) {
      error = SurfaceText(static_cast<std::size_t>(s)) + ": " + why;
      Surfaces.clear();
      return false;
    }
    Surfaces.push_back(std::move(surface));
    if (s + 1 < surfaceCount && end < kSurfaceHeaderSize) {
      error = SurfaceText(static_cast<std::size_t>(s)) + ": it ends at " + IntToStr8(end);
      Surfaces.clear();
      return false;
    }
    start += end;
  }
  return true;
}

}  // namespace corvane
