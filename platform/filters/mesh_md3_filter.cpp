#include "platform/filters/mesh_md3_filter.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "base/lists/string_list.h"
#include "base/reflection/class_builder.h"
#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "platform/filters/animation_list.h"
#include "platform/filters/md3_file.h"
#include "platform/filters/model_mesh.h"
#include "platform/media.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TMeshMD3Filter)

namespace {

// The packed normal: two angles in 255ths of a full turn, the first from
// +z, the second about it from +x. It points out of the model, the way
// lights see it.
TVertex UnpackNormal(const std::uint8_t packed[2]) {
  const double a = packed[0] * 2 * std::numbers::pi / 255;
  const double b = packed[1] * 2 * std::numbers::pi / 255;
  return {static_cast<float>(std::cos(b) * std::sin(a)), static_cast<float>(std::sin(b) * std::sin(a)),
          static_cast<float>(std::cos(a))};
}

// The ranges of the ".aaf" list beside the model, when there is one; a
// list that stops early keeps the ranges before the bad line.
void ReadAnimations(TResourceMan& resMan, const std::string& modelName, TMesh& mesh) {
  const std::string name = FileNameWithoutExt(modelName) + ".aaf";
  if (!resMan.StreamExists(name)) return;
  std::unique_ptr<TStream> stream = resMan.CreateStream(name, 0);
  if (!stream) return;
  const std::int64_t size = stream->Size();
  if (size > kMaxAnimationListBytes) {
    EngineError(u"Can't load animation list " + Utf8ToUtf16(name) + u": its " + IntToStr(size) +
                u" bytes pass the limit of " + IntToStr(kMaxAnimationListBytes));
    return;
  }
  TStringList lines;
  // No further than the limit, whatever the size said (a list that grows).
  if (!lines.LoadFromStream(*stream, kMaxAnimationListBytes)) return;
  TAnimationList list = ReadAnimationList(lines);
  const std::u16string kept = IntToStr(static_cast<std::int64_t>(list.Animations.size())) + u" animations kept";
  if (list.BadLine != 0)
    EngineError(u"Animation list " + Utf8ToUtf16(name) + u" stops at line " + IntToStr(list.BadLine) + u"; " + kept);
  if (list.Cut) EngineError(u"Animation list " + Utf8ToUtf16(name) + u" names too many animations; " + kept);
  mesh.Animations = std::move(list.Animations);
}

}  // namespace

bool BuildMD3Model(const TFileMD3& file, TModelMesh& model, std::string& error) {
  std::int64_t vertexCount = 0;
  std::int64_t indexCount = 0;
  for (const TMD3Surface& surface : file.Surfaces) {
    vertexCount += surface.VertexCount;
    indexCount += 3 * static_cast<std::int64_t>(surface.Triangles.size());
  }
  if (vertexCount > kMaxModelVertices) {
    error = "its " + IntToStr8(vertexCount) + " vertices do not fit one mesh";
    return false;
  }
  if (indexCount > std::numeric_limits<std::int32_t>::max()) {
    error = "its " + IntToStr8(indexCount) + " indices do not fit one mesh";
    return false;
  }
  const std::int32_t frames = file.FrameCount;
  model.VertexCount = static_cast<std::int32_t>(vertexCount);
  model.FrameCount = frames;
  model.Animated = frames != 1;
  model.Vertices.assign(static_cast<std::size_t>(vertexCount) * static_cast<std::size_t>(frames), {});
  model.Indices.clear();
  model.Indices.reserve(static_cast<std::size_t>(indexCount));

  // Texture coordinates belong to a vertex in every frame.
  std::vector<TTexVector> tex(static_cast<std::size_t>(vertexCount));
  std::size_t base = 0;
  for (const TMD3Surface& surface : file.Surfaces) {
    const auto surfaceVertices = static_cast<std::size_t>(surface.VertexCount);
    for (const std::array<std::int32_t, 3>& t : surface.Triangles) {
      for (const std::size_t k : {0u, 2u, 1u}) model.Indices.push_back(static_cast<std::uint16_t>(base + t[k]));
      // Only vertices that triangles use take texture coordinates.
      for (const std::int32_t corner : t) {
        const std::array<float, 2>& uv = surface.TexCoords[static_cast<std::size_t>(corner)];
        tex[base + static_cast<std::size_t>(corner)] = {uv[0], uv[1]};
      }
    }
    for (std::size_t f = 0; f < static_cast<std::size_t>(frames); ++f)
      for (std::size_t v = 0; v < surfaceVertices; ++v) {
        const TMD3Vertex& record = surface.Vertices[f * surfaceVertices + v];
        TPixmapVertexNormal& out = model.Vertices[f * static_cast<std::size_t>(vertexCount) + base + v];
        out.position = {record.X / 64.0f, record.Y / 64.0f, record.Z / 64.0f};
        out.normal = UnpackNormal(record.Normal);
        model.Widen(out.position);
      }
    base += surfaceVertices;
  }
  for (std::size_t i = 0; i < model.Vertices.size(); ++i) model.Vertices[i].tex = tex[i % tex.size()];
  return true;
}

TMesh* TMeshMD3Filter::LoadFromFile(TResourceMan* resMan, const std::string& name) {
  TMesh* mesh =
      LoadModelMesh(*this, resMan, name, [&name](TMemoryStream& bytes, TModelMesh& model, std::string& error) {
        TFileMD3 file;
        if (!file.LoadFromStream(bytes, error) || !BuildMD3Model(file, model, error)) return false;
        EngineLog(u"mesh " + Utf8ToUtf16(name) + u" have " + IntToStr(model.FrameCount) +
                  (model.Animated ? u" and loaded as dynamic" : u" and loaded as static"));
        return true;
      });
  if (mesh && mesh->Animated) ReadAnimations(*resMan, name, *mesh);
  return mesh;
}

}  // namespace corvane
