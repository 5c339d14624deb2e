// A rendering device for tests: every abstract operation works in memory.
// Pixmaps and meshes get real stores, every DrawMesh keeps a copy of the
// vertices and indices it drew with the matrix, material, texture and
// states in force, and every call to the library side is recorded as a
// line of text ("ApplyRenderState rsLightOn"). Picking and the frustum use
// the scene projection every device shares (platform/view_projection.h),
// so the ray under the window's centre runs from the camera along its
// direction; the screen modes are three fixed texts.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/device.h"

namespace corvane::test {

struct TRecordedDraw {
  TVertexFormat Format = vfNone;
  bool Dynamic = false;
  std::vector<std::uint8_t> Vertices;  // the locked vertices, as stored
  std::vector<std::uint16_t> Indices;  // the locked indices (indexed meshes)
  TSpaceMatrix Matrix = IdentitySpaceMatrix;
  TMaterial Material;
  TPixmap* Stage0 = nullptr;
  TRenderStateFlags States{};

  std::int32_t VertexCount() const {
    const std::int32_t size = VertexSize(Format);
    return size > 0 ? static_cast<std::int32_t>(Vertices.size()) / size : 0;
  }
  // The vertices as records of the draw's format.
  template <class V>
  std::vector<V> As() const {
    std::vector<V> out(Vertices.size() / sizeof(V));
    if (!out.empty()) std::memcpy(out.data(), Vertices.data(), out.size() * sizeof(V));
    return out;
  }
};

// One rectangle of a 2D draw: four vfColorPixmapVertex vertices and six
// indices in the rectangle pattern.
struct TRecordedQuad {
  TRect Rect;     // left-top and right-bottom corners
  TRect Texture;  // u and v at those corners
  float Z = 0;
  std::uint32_t Color = 0;
  bool operator==(const TRecordedQuad&) const = default;
};

// The quads of a draw in vfColorPixmapVertex. Fails the test (and gives
// what it read so far) unless every quad's vertices run left-top,
// right-top, right-bottom, left-bottom with matching depth, colour and
// texture corners, and its indices are 4k+1, 4k, 4k+3, 4k+3, 4k+2, 4k+1.
std::vector<TRecordedQuad> QuadsOf(const TRecordedDraw& draw);

class TRecordingDevice;
// The rectangles of the quads drawn in one colour since the last clear.
std::vector<TRect> QuadsIn(const TRecordingDevice& device, std::uint32_t color);

struct TRecordedLine {
  std::vector<TSpaceVector> Points;
  float Width = 0;
  std::uint32_t Color = 0;
  TSpaceMatrix Matrix = IdentitySpaceMatrix;
};

// The arguments of one DrawAnimatedMesh.
struct TRecordedAnimation {
  TMesh* Mesh = nullptr;
  float Time = 0;
  float FrameTime = 0;
  std::int32_t First = 0;
  std::int32_t Last = 0;
  bool Loop = false;
  bool operator==(const TRecordedAnimation&) const = default;
};

class TRecordingDevice : public TDevice {
  CORVANE_CLASS(TRecordingDevice, TDevice)
  explicit TRecordingDevice(TWindow* window);
  static std::u16string ClassDeviceName() { return u"recording"; }
  // The scratch mesh and the states once the device stands.
  void AfterConstruction() override;
  void BeforeDestruction() override;

  std::u16string DeviceName() const override { return ClassDeviceName(); }
  void CreateRenderStateList(TRenderState state) override;
  void ApplyRenderState(TRenderState state) override;
  bool IsHardwareSupport(TWindow*) override { return true; }
  void FullScreen(bool on, std::int32_t modeIndex) override;
  void Pick(float x, float y, TSpaceVector& origin, TSpaceVector& direction) override;
  TSpaceMatrix ModelViewProj() override;
  void RenderWindow() override;
  void FlipWindow() override;
  void ResizeDevice() override;
  void SetMaterial(const TMaterial& material) override;
  void SetPixmap(std::int32_t stage, TPixmap* pixmap) override;
  void SetTextureMatrix(const TPlaneMatrix& matrix) override;
  void DrawMesh(TMesh* mesh) override;
  void DrawLine(const TSpaceVector* points, std::int32_t count, float width) override;
  // Recorded, then drawn as every device draws it.
  void DrawAnimatedMesh(TMesh* mesh, float time, float frameTime, std::int32_t first, std::int32_t last,
                        bool loop) override;

  // What happened.
  std::vector<std::string> Calls;
  std::vector<TRecordedDraw> Draws;
  std::vector<TRecordedLine> Lines;
  std::vector<TRecordedAnimation> Animations;
  // Calls whose text starts with the prefix.
  int CountCalls(std::string_view prefix) const;
  void ClearRecords();

  // While set, every lock fails (as a lost context would make it).
  bool FailLocks = false;
  // While set, only the locks of index stores fail.
  bool FailIndexLocks = false;
  // The whole picture of a pixmap; null when it has no store here.
  const std::vector<std::uint32_t>* PixelsOf(const TPixmap* pixmap) const;
  // Stores handed out and not yet released.
  std::size_t LivePixmapStores() const { return pixels_.size(); }
  std::int32_t LiveMeshStores() const { return liveMeshes_; }

 protected:
  bool AllocateMesh(TMesh& mesh) override;
  void ReleaseMesh(TMesh& mesh) override;
  void* MapMeshVertex(TMesh& mesh) override;
  void UnmapMeshVertex(TMesh& mesh) override;
  void* MapMeshIndex(TMesh& mesh) override;
  void UnmapMeshIndex(TMesh& mesh) override;
  bool AllocatePixmap(TPixmap& pixmap) override;
  void ReleasePixmap(TPixmap& pixmap) override;
  void* MapPixmap(TPixmap& pixmap, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                  bool readBack) override;
  void UnmapPixmap(TPixmap& pixmap) override;

 private:
  float Scale() const;
  TSpaceMatrix Projection() const;

  std::map<std::uintptr_t, std::vector<std::uint32_t>> pixels_;
  std::uintptr_t nextHandle_ = 0;
  std::int32_t liveMeshes_ = 0;
};

}  // namespace corvane::test
