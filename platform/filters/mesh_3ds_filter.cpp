#include "platform/filters/mesh_3ds_filter.h"

#include <cmath>

#include "base/reflection/class_builder.h"
#include "base/streams/memory_stream.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "engine/core/close_request.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/file.h"
#include "formats/3ds/meshes.h"
#include "platform/filters/model_mesh.h"
#include "platform/media.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TMesh3DSFilter)

namespace {

TVertex Minus(const TPoint3DS& a, const TPoint3DS& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

TVertex Cross(const TVertex& a, const TVertex& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Unit length; a zero vector (a vertex no face uses, a degenerate face)
// stays zero.
TVertex Normalised(const TVertex& v) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(length > 0) || !std::isfinite(length)) return {};
  return {v.x / length, v.y / length, v.z / length};
}

// Appends one object at vertex base B = the vertices gathered so far; false
// when it has faces naming missing vertices (which are skipped).
bool AppendObject(const TMesh3DS& object, TModelMesh& model) {
  const std::size_t base = model.Vertices.size();
  const std::size_t count = object.Vertices.size();
  model.Vertices.resize(base + count);
  TPixmapVertexNormal* out = model.Vertices.data() + base;
  for (std::size_t i = 0; i < count; ++i) {
    const TPoint3DS& p = object.Vertices[i];
    out[i].position = {p.x, p.y, p.z};
    model.Widen(out[i].position);
    // A file with fewer texture vertices than vertices leaves the rest at
    // (0, 0).
    if (i < object.TexVerts.size()) out[i].tex = {object.TexVerts[i].u, 1 - object.TexVerts[i].v};
  }
  bool allInRange = true;
  for (const TFace3DS& face : object.Faces) {
    if (!object.FaceInRange(face)) {
      allInRange = false;
      continue;
    }
    const TPoint3DS& a = object.Vertices[face.V1];
    const TPoint3DS& b = object.Vertices[face.V2];
    const TPoint3DS& c = object.Vertices[face.V3];
    // Each corner keeps the normal of the last face that uses it. Faces
    // turn counter-clockwise seen from outside, as the renderer's front
    // faces do: the normal points out, the way lights see it.
    const TVertex normal = Cross(Minus(c, b), Minus(a, b));
    for (const std::uint16_t corner : {face.V1, face.V2, face.V3}) out[corner].normal = normal;
    for (const std::uint16_t corner : {face.V1, face.V2, face.V3})
      model.Indices.push_back(static_cast<std::uint16_t>(corner + base));
  }
  for (std::size_t i = 0; i < count; ++i) out[i].normal = Normalised(out[i].normal);
  return allInRange;
}

}  // namespace

bool Build3DSModel(TFile3DS& file, const std::string& name, TModelMesh& model) {
  model = TModelMesh{};
  bool facesSkipped = false;
  TObjectList& objects = file.Objects();
  const int count = objects.GetMeshObjectCount();
  for (int i = 0; i < count; ++i) {
    if (CloseRequestHeard()) return false;
    const TMesh3DS* object = objects.GetMesh(i);
    if (!object || object->Hidden || object->Vertices.size() < 3) continue;
    if (model.Vertices.size() + object->Vertices.size() > static_cast<std::size_t>(kMaxModelVertices)) {
      EngineError(u"3ds mesh " + Utf8ToUtf16(name) + u" holds more than " + IntToStr(kMaxModelVertices) +
                  u" vertices; the objects from " + IntToStr(i) + u" on were left out");
      break;
    }
    if (!AppendObject(*object, model)) facesSkipped = true;
  }
  model.VertexCount = static_cast<std::int32_t>(model.Vertices.size());
  if (facesSkipped) EngineError(u"3ds mesh " + Utf8ToUtf16(name) + u": faces naming missing vertices were skipped");
  return true;
}

TMesh* TMesh3DSFilter::LoadFromFile(TResourceMan* resMan, const std::string& name) {
  // Payloads are decoded lazily from the bytes, which stay in memory while
  // the meshes are taken out.
  return LoadModelMesh(*this, resMan, name, [&name](TMemoryStream& bytes, TModelMesh& model, std::string& error) {
    try {
      TFile3DS file;
      file.LoadFromStream(bytes);
      if (!Build3DSModel(file, name, model)) {
        error = "the program is closing";
        return false;
      }
    } catch (const E3DSError& e) {
      error = e.what();
      return false;
    }
    EngineLog(u"3ds mesh was loaded");
    return true;
  });
}

}  // namespace corvane
