#include "tests/support/kit/recording_device.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/geometry/color.h"
#include "base/geometry/matrix.h"
#include "base/geometry/vector_math.h"
#include "base/reflection/class_builder.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "platform/view_projection.h"
#include "platform/window.h"
#include "platform/window_host.h"

namespace corvane::test {

CORVANE_IMPLEMENT_CLASS(TRecordingDevice)

std::vector<TRecordedQuad> QuadsOf(const TRecordedDraw& draw) {
  std::vector<TRecordedQuad> quads;
  EXPECT_EQ(draw.Format, vfColorPixmapVertex);
  if (draw.Format != vfColorPixmapVertex) return quads;
  const std::vector<TColorPixmapVertex> v = draw.As<TColorPixmapVertex>();
  EXPECT_EQ(v.size() % 4, 0u);
  EXPECT_EQ(draw.Indices.size(), v.size() / 4 * 6);
  for (std::size_t k = 0; 4 * k + 3 < v.size(); ++k) {
    const TColorPixmapVertex &lt = v[4 * k], &rt = v[4 * k + 1], &rb = v[4 * k + 2], &lb = v[4 * k + 3];
    const bool regular = rt.position.y == lt.position.y && rb.position.x == rt.position.x &&
                         lb.position.y == rb.position.y && lb.position.x == lt.position.x &&
                         rt.tex.v == lt.tex.v && rb.tex.u == rt.tex.u && lb.tex.v == rb.tex.v &&
                         lb.tex.u == lt.tex.u && rt.position.z == lt.position.z && rb.position.z == lt.position.z &&
                         lb.position.z == lt.position.z && rt.color == lt.color && rb.color == lt.color &&
                         lb.color == lt.color;
    EXPECT_TRUE(regular) << "quad " << k;
    if (6 * k + 5 < draw.Indices.size()) {
      const std::uint16_t* i = &draw.Indices[6 * k];
      const std::size_t f = 4 * k;
      EXPECT_TRUE(i[0] == f + 1 && i[1] == f && i[2] == f + 3 && i[3] == f + 3 && i[4] == f + 2 && i[5] == f + 1)
          << "indices of quad " << k;
    }
    quads.push_back({{lt.position.x, lt.position.y, rb.position.x, rb.position.y},
                     {lt.tex.u, lt.tex.v, rb.tex.u, rb.tex.v},
                     lt.position.z,
                     lt.color});
  }
  return quads;
}

std::vector<TRect> QuadsIn(const TRecordingDevice& device, std::uint32_t color) {
  std::vector<TRect> rects;
  for (const TRecordedDraw& d : device.Draws)
    for (const TRecordedQuad& q : QuadsOf(d))
      if (q.Color == color) rects.push_back(q.Rect);
  return rects;
}

TRecordingDevice::TRecordingDevice(TWindow* window) : TDevice(window) {
  for (const char16_t* mode : {u"640x480x32", u"800x600x32", u"1024x768x32"}) ScreenModes.Add(mode);
  ScreenModeIndex = 2;
  DesktopWidth = 1024;
  DesktopHeight = 768;
}

void TRecordingDevice::AfterConstruction() {
  TDevice::AfterConstruction();
  PrepareObjects();
}

void TRecordingDevice::BeforeDestruction() {
  ReleaseObjects();
  TDevice::BeforeDestruction();
}

void TRecordingDevice::CreateRenderStateList(TRenderState state) {
  Calls.push_back("CreateRenderStateList " + RenderStateName(state));
}

void TRecordingDevice::ApplyRenderState(TRenderState state) {
  Calls.push_back("ApplyRenderState " + RenderStateName(state));
}

void TRecordingDevice::FullScreen(bool on, std::int32_t modeIndex) {
  Calls.push_back("FullScreen " + std::to_string(on) + " " + std::to_string(modeIndex));
  RebuildStates();
}

void TRecordingDevice::Pick(float x, float y, TSpaceVector& origin, TSpaceVector& direction) {
  const TWindow* window = Window();
  if (!window) {
    origin = {0, 0, 0, 1};
    direction = {0, 0, -1, 1};
    return;
  }
  ScenePickRay(Projection(), window->ViewMatrix, x, y, Scale(), window->DrawOffsetX, window->DrawOffsetY,
               window->BufferWidth, window->BufferHeight, origin, direction);
}

TSpaceMatrix TRecordingDevice::ModelViewProj() {
  const TWindow* window = Window();
  return SpaceMatrixMultiply(window ? window->ViewMatrix : IdentitySpaceMatrix, Projection());
}

float TRecordingDevice::Scale() const { return Host() ? Host()->Scale() : 1.0f; }

TSpaceMatrix TRecordingDevice::Projection() const {
  const TWindow* window = Window();
  const float aspect = window && window->BufferWidth > 0
                           ? static_cast<float>(window->BufferHeight) / static_cast<float>(window->BufferWidth)
                           : 0.75f;
  return SceneProjection(aspect, Scale());
}

void TRecordingDevice::RenderWindow() {
  Calls.push_back("RenderWindow");
  RenderScene();
  FramePending = true;
}

void TRecordingDevice::FlipWindow() {
  Calls.push_back("FlipWindow");
  FramePending = false;
}

void TRecordingDevice::ResizeDevice() {
  Calls.push_back("ResizeDevice");
  RebuildStates();
}

void TRecordingDevice::SetMaterial(const TMaterial& material) {
  Material = material;
  Calls.push_back("SetMaterial " + std::string(material.Lighting ? "lit " : "unlit ") +
                  Utf16ToUtf8(ColorToStr(material.Diffuse)));
}

void TRecordingDevice::SetPixmap(std::int32_t stage, TPixmap* pixmap) {
  if (stage < 0 || stage >= kStageCount || Stages[static_cast<std::size_t>(stage)] == pixmap) return;
  Stages[static_cast<std::size_t>(stage)] = pixmap;
  Calls.push_back("SetPixmap " + std::to_string(stage));
}

void TRecordingDevice::SetTextureMatrix(const TPlaneMatrix& matrix) {
  TextureMatrix = matrix;
  Calls.push_back("SetTextureMatrix");
}

void TRecordingDevice::DrawMesh(TMesh* mesh) {
  if (!mesh) return;
  TRecordedDraw draw;
  draw.Format = mesh->VertexFormat;
  draw.Dynamic = mesh->Dynamic;
  const std::size_t size = static_cast<std::size_t>(VertexSize(mesh->VertexFormat));
  const std::size_t first = static_cast<std::size_t>(std::max(mesh->BaseVertex, 0)) * size;
  const std::size_t count = static_cast<std::size_t>(std::max(mesh->LockedVertexCount, 0)) * size;
  if (first < mesh->VertexData.size())
    draw.Vertices.assign(mesh->VertexData.begin() + static_cast<std::ptrdiff_t>(first),
                         mesh->VertexData.begin() +
                             static_cast<std::ptrdiff_t>(std::min(first + count, mesh->VertexData.size())));
  if (mesh->Indexed) {
    const std::size_t indices = std::min(static_cast<std::size_t>(std::max(mesh->LockedIndexCount, 0)),
                                         mesh->IndexData.size());
    draw.Indices.assign(mesh->IndexData.begin(), mesh->IndexData.begin() + static_cast<std::ptrdiff_t>(indices));
  }
  draw.Matrix = SpaceMatrix;
  draw.Material = Material;
  draw.Stage0 = Stages[0];
  draw.States = ActiveStates;
  CurrentMesh = mesh;
  if (mesh->Dynamic) TriangleCount += mesh->LockedVertexCount / 3;
  else TriangleCount += (mesh->Indexed ? mesh->LockedIndexCount : mesh->VertexCount) / 3;
  Calls.push_back("DrawMesh " + std::to_string(draw.VertexCount()) + " " + std::to_string(draw.Indices.size()));
  Draws.push_back(std::move(draw));
}

void TRecordingDevice::DrawLine(const TSpaceVector* points, std::int32_t count, float width) {
  TRecordedLine line;
  if (points && count > 0) line.Points.assign(points, points + count);
  line.Width = width;
  line.Color = Material.Diffuse;
  line.Matrix = SpaceMatrix;
  Calls.push_back("DrawLine " + std::to_string(count));
  Lines.push_back(std::move(line));
}

int TRecordingDevice::CountCalls(std::string_view prefix) const {
  return static_cast<int>(std::count_if(Calls.begin(), Calls.end(), [&](const std::string& call) {
    return std::string_view(call).substr(0, prefix.size()) == prefix;
  }));
}

void TRecordingDevice::DrawAnimatedMesh(TMesh* mesh, float time, float frameTime, std::int32_t first,
                                        std::int32_t last, bool loop) {
  Animations.push_back({mesh, time, frameTime, first, last, loop});
  TDevice::DrawAnimatedMesh(mesh, time, frameTime, first, last, loop);
}

void TRecordingDevice::ClearRecords() {
  Calls.clear();
  Draws.clear();
  Lines.clear();
  Animations.clear();
}

const std::vector<std::uint32_t>* TRecordingDevice::PixelsOf(const TPixmap* pixmap) const {
  if (!pixmap) return nullptr;
  const auto it = pixels_.find(pixmap->TextureHandle);
  return it == pixels_.end() ? nullptr : &it->second;
}

bool TRecordingDevice::AllocateMesh(TMesh& mesh) {
  mesh.VertexData.assign(static_cast<std::size_t>(mesh.VertexStoreSize()), 0);
  mesh.IndexData.assign(mesh.Indexed ? static_cast<std::size_t>(mesh.IndexCount) : 0, 0);
  mesh.VertexBufferHandle = ++nextHandle_;
  mesh.IndexBufferHandle = mesh.Indexed ? ++nextHandle_ : 0;
  ++liveMeshes_;
  Calls.push_back("AllocateMesh");
  return true;
}

void TRecordingDevice::ReleaseMesh(TMesh& mesh) {
  if (mesh.VertexBufferHandle) --liveMeshes_;
  mesh.VertexData.clear();
  mesh.VertexData.shrink_to_fit();
  mesh.IndexData.clear();
  mesh.IndexData.shrink_to_fit();
  mesh.VertexBufferHandle = 0;
  mesh.IndexBufferHandle = 0;
  Calls.push_back("ReleaseMesh");
}

void* TRecordingDevice::MapMeshVertex(TMesh& mesh) {
  if (FailLocks || mesh.VertexData.empty()) return nullptr;
  return mesh.VertexData.data();
}

void TRecordingDevice::UnmapMeshVertex(TMesh&) {}

void* TRecordingDevice::MapMeshIndex(TMesh& mesh) {
  if (FailLocks || FailIndexLocks || mesh.IndexData.empty()) return nullptr;
  return mesh.IndexData.data();
}

void TRecordingDevice::UnmapMeshIndex(TMesh&) {}

bool TRecordingDevice::AllocatePixmap(TPixmap& pixmap) {
  pixmap.TextureHandle = ++nextHandle_;
  pixmap.Pitch = pixmap.Width * 4;
  pixels_[pixmap.TextureHandle].assign(static_cast<std::size_t>(pixmap.Width) * static_cast<std::size_t>(pixmap.Height),
                                       0);
  Calls.push_back("AllocatePixmap " + std::to_string(pixmap.Width) + "x" + std::to_string(pixmap.Height));
  return true;
}

void TRecordingDevice::ReleasePixmap(TPixmap& pixmap) {
  pixels_.erase(pixmap.TextureHandle);
  pixmap.TextureHandle = 0;
  Calls.push_back("ReleasePixmap");
}

void* TRecordingDevice::MapPixmap(TPixmap& pixmap, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
                                  bool) {
  const auto it = pixels_.find(pixmap.TextureHandle);
  if (FailLocks || it == pixels_.end() || it->second.empty()) return nullptr;
  pixmap.Pitch = pixmap.Width * 4;
  return it->second.data() + static_cast<std::ptrdiff_t>(y) * pixmap.Width + x;
}

void TRecordingDevice::UnmapPixmap(TPixmap&) {}

}  // namespace corvane::test
