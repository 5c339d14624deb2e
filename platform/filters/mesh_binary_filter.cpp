#include "platform/filters/mesh_binary_filter.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <memory>

#include "base/reflection/class_builder.h"
#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "base/streams/stream_helpers.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "platform/device.h"
#include "platform/filters/derived_file.h"
#include "platform/filters/file_reader.h"
#include "platform/media.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TMeshBinaryFilter)

namespace {

constexpr std::string_view kSignature = "MESHBIN";
constexpr std::int32_t kReserved = 512;
// The smallest animation entry: an empty name, two frames and a speed.
constexpr std::int64_t kMinAnimationSize = 16;
constexpr std::uint32_t kMaxCount = static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max());

// The header and animation list of a file, as stored.
struct THeader {
  bool Indexed = false;
  std::uint32_t VertexCount = 0;
  std::uint32_t Format = 0;
  std::uint32_t IndexCount = 0;
  bool Animated = false;
  std::uint32_t FrameCount = 0;
  std::vector<TMeshAni> Animations;
  TAABB Bounds;

  std::int64_t Frames() const { return Animated ? FrameCount : 1; }
};

// A corner of the box: a point, so that matrices move it (w = 1).
TSpaceVector ReadPoint(TFileReader& reader) {
  TSpaceVector point;
  point.w = 1;
  point.x = reader.Single();
  point.y = reader.Single();
  point.z = reader.Single();
  return point;
}

// Reads and checks everything before the vertex data. False, the reader
// failed with the reason, for another signature or a refused header.
bool ReadHeader(TFileReader& reader, THeader& header) {
  if (!reader.Signature(kSignature, u".mesh")) return false;
  header.Indexed = reader.Longword() != 0;
  header.VertexCount = reader.Longword();
  header.Format = reader.Longword();
  header.IndexCount = reader.Longword();
  reader.Skip(kReserved);
  header.Animated = reader.Longword() != 0;
  header.FrameCount = reader.Longword();
  const std::uint32_t animations = reader.Longword();
  if (reader.Need(animations, kMinAnimationSize, u"animations")) {
    header.Animations.reserve(animations);
    for (std::uint32_t i = 0; i < animations && !reader.Failed(); ++i) {
      TMeshAni animation;
      animation.Name = reader.String();
      animation.FirstFrame = reader.Longword();
      animation.LastFrame = reader.Longword();
      animation.Speed = reader.Single();
      header.Animations.push_back(std::move(animation));
    }
  }
  header.Bounds.min = ReadPoint(reader);
  header.Bounds.max = ReadPoint(reader);
  if (reader.Failed()) return false;
  if (header.Format >= static_cast<std::uint32_t>(vfNone))
    reader.Fail(u"vertex format " + IntToStr(header.Format));
  else if (header.VertexCount > kMaxCount || header.IndexCount > kMaxCount || header.FrameCount > kMaxCount)
    reader.Fail(u"a count above 2^31");
  else if (header.Animated && header.FrameCount < 1)
    reader.Fail(u"an animated mesh without frames");
  else {
    const std::int64_t vertices = static_cast<std::int64_t>(header.VertexCount) * header.Frames();
    const std::int32_t size = VertexSize(static_cast<TVertexFormat>(header.Format));
    if (reader.Need(vertices, size, u"vertices") && header.Indexed)
      reader.Need(header.IndexCount, 2, u"indices", vertices * size);
  }
  return !reader.Failed();
}

// The vertices and indices into the mesh's stores.
void ReadData(TFileReader& reader, TDevice& device, TMesh& mesh, const THeader& header) {
  const std::int64_t vertices = static_cast<std::int64_t>(header.VertexCount) * header.Frames();
  const std::int64_t words = vertices * VertexSize(mesh.VertexFormat) / 4;
  void* data = nullptr;
  if (words > 0) {
    if (!device.LockMeshVertex(&mesh, static_cast<std::int32_t>(vertices), data)) {
      reader.Fail(u"the device gave no vertex store");
      return;
    }
    reader.Longwords(data, words);
    device.UnlockMeshVertex(&mesh);
  }
  if (!header.Indexed || header.IndexCount == 0 || reader.Failed()) return;
  if (!device.LockMeshIndex(&mesh, static_cast<std::int32_t>(header.IndexCount), data)) {
    reader.Fail(u"the device gave no index store");
    return;
  }
  auto* indices = static_cast<std::uint16_t*>(data);
  if (reader.Words(indices, header.IndexCount)) {
    // The largest index, in one pass without branches.
    std::uint16_t largest = 0;
    for (std::uint32_t i = 0; i < header.IndexCount; ++i) largest = std::max(largest, indices[i]);
    if (largest >= header.VertexCount)
      reader.Fail(u"index " + IntToStr(largest) + u" beyond " + IntToStr(header.VertexCount) + u" vertices");
  }
  device.UnlockMeshIndex(&mesh);
}

void WritePoint(TStream& out, const TSpaceVector& point) {
  WriteSingle(out, point.x);
  WriteSingle(out, point.y);
  WriteSingle(out, point.z);
}

// count 32-bit (16-bit) words of host order, little-endian.
void WriteLongwords(TStream& out, const void* data, std::int64_t count) {
  if constexpr (std::endian::native == std::endian::little) {
    out.Write(data, count * 4);
  } else {
    const auto* words = static_cast<const std::uint8_t*>(data);
    for (std::int64_t i = 0; i < count; ++i) Write4BytesReversed(out, words + i * 4);
  }
}

void WriteWords(TStream& out, const std::uint16_t* words, std::int64_t count) {
  if constexpr (std::endian::native == std::endian::little) {
    out.Write(words, count * 2);
  } else {
    for (std::int64_t i = 0; i < count; ++i) WriteWord(out, words[i]);
  }
}

// The mesh's vertex and index data, read through the device's locks; false
// when a store cannot be read whole. The counts the mesh draws are kept.
bool WriteData(TStream& out, TDevice& device, TMesh& mesh) {
  const std::int64_t frames = mesh.Animated ? mesh.FrameCount : 1;
  const std::int64_t vertices = static_cast<std::int64_t>(mesh.VertexCount) * frames;
  const std::int64_t words = vertices * VertexSize(mesh.VertexFormat) / 4;
  const std::int32_t lockedVertices = mesh.LockedVertexCount;
  const std::int32_t baseVertex = mesh.BaseVertex;
  const std::int32_t lockedIndices = mesh.LockedIndexCount;
  bool whole = true;
  void* data = nullptr;
  if (words > 0) {
    whole = vertices <= std::numeric_limits<std::int32_t>::max() &&
            device.LockMeshVertex(&mesh, static_cast<std::int32_t>(vertices), data);
    if (whole) {
      WriteLongwords(out, data, words);
      device.UnlockMeshVertex(&mesh);
    }
  }
  if (whole && mesh.Indexed && mesh.IndexCount > 0) {
    whole = device.LockMeshIndex(&mesh, mesh.IndexCount, data);
    if (whole) {
      WriteWords(out, static_cast<const std::uint16_t*>(data), mesh.IndexCount);
      device.UnlockMeshIndex(&mesh);
    }
  }
  mesh.LockedVertexCount = lockedVertices;
  mesh.BaseVertex = baseVertex;
  mesh.LockedIndexCount = lockedIndices;
  return whole;
}

}  // namespace

TMesh* TMeshBinaryFilter::LoadFromFile(TResourceMan* resMan, const std::string& name) {
  std::unique_ptr<TStream> stream = resMan ? resMan->CreateStream(name, 0) : nullptr;
  if (!stream) return nullptr;
  TFileReader reader(*stream);
  THeader header;
  if (!ReadHeader(reader, header)) {
    if (reader.Failed()) ReportBadFile(name, reader.Reason());
    return nullptr;
  }
  TDevice* device = Device();
  TMesh* mesh = device ? device->CreateMesh(static_cast<TVertexFormat>(header.Format),
                                            static_cast<std::int32_t>(header.VertexCount), header.Indexed,
                                            static_cast<std::int32_t>(header.IndexCount), false, header.Animated,
                                            static_cast<std::int32_t>(header.FrameCount))
                       : nullptr;
  if (!mesh) return nullptr;
  mesh->Bounds = header.Bounds;
  mesh->Animations = std::move(header.Animations);
  ReadData(reader, *device, *mesh, header);
  if (reader.Failed()) {
    device->DestroyMesh(mesh);
    ReportBadFile(name, reader.Reason());
    return nullptr;
  }
  EngineLog(u"file was loaded " + Utf8ToUtf16(name));
  return mesh;
}

void TMeshBinaryFilter::SaveToFile(TResourceMan* resMan, const std::string& name, TMesh* mesh) {
  TDevice* device = Device();
  if (!resMan || !device || !mesh || mesh->VertexFormat >= vfNone || mesh->VertexCount < 0 || mesh->IndexCount < 0 ||
      (mesh->Animated && mesh->FrameCount < 1))
    return;
  TMemoryStream out;
  out.Write(kSignature.data(), static_cast<std::int64_t>(kSignature.size()));
  WriteLongword(out, mesh->Indexed ? 1 : 0);
  WriteLongword(out, static_cast<std::uint32_t>(mesh->VertexCount));
  WriteLongword(out, static_cast<std::uint32_t>(mesh->VertexFormat));
  WriteLongword(out, static_cast<std::uint32_t>(mesh->IndexCount));
  const char zeros[kReserved] = {};
  out.Write(zeros, kReserved);
  WriteLongword(out, mesh->Animated ? 1 : 0);
  WriteLongword(out, static_cast<std::uint32_t>(mesh->FrameCount));
  WriteLongword(out, static_cast<std::uint32_t>(mesh->Animations.size()));
  for (const TMeshAni& animation : mesh->Animations) {
    WriteString(out, animation.Name);
    WriteLongword(out, animation.FirstFrame);
    WriteLongword(out, animation.LastFrame);
    WriteSingle(out, animation.Speed);
  }
  WritePoint(out, mesh->Bounds.min);
  WritePoint(out, mesh->Bounds.max);
  if (!WriteData(out, *device, *mesh)) return;
  StoreDerivedFile(*this, *resMan, name, out);
}

}  // namespace corvane
