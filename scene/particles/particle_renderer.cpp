#include "scene/particles/particle_renderer.h"

#include <algorithm>
#include <cmath>

#include "base/geometry/matrix.h"
#include "base/geometry/point_rect_persistent.h"
#include "base/geometry/scalar_math.h"
#include "base/geometry/vector_math.h"
#include "base/geometry/vertex_format.h"
#include "base/reflection/class_builder.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/engine_services.h"
#include "platform/device.h"
#include "platform/filters/filter.h"
#include "platform/window.h"
#include "resources/cache/cache.h"
#include "scene/particles/particle.h"
#include "scene/particles/particle_effect.h"
#include "scene/particles/particle_list.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(ParticleRenderer)

void ParticleRenderer::Describe(TClassBuilder<ParticleRenderer>& c) {
  c.Property("zWrite", &ParticleRenderer::ZWrite, &ParticleRenderer::SetZWrite).Default(false);
  c.Property("zCull", &ParticleRenderer::ZCull, &ParticleRenderer::SetZCull).Default(false);
  c.Property("blendingMode", &ParticleRenderer::BlendingMode, &ParticleRenderer::SetBlendingMode)
      .Default(bmAdditive);
  c.Property("depthSort", &ParticleRenderer::DepthSort, &ParticleRenderer::SetDepthSort).Default(false);
  c.Property("pixmapFile", &ParticleRenderer::PixmapFile, &ParticleRenderer::SetPixmap);
  c.Method("KillAll", &ParticleRenderer::KillAll);
}

namespace {

// The name of the device's default particle picture among the embedded
// files.
constexpr char16_t kDefaultPicture[] = u"defaultpfx.pixmap";

// One quad: four vertices and six indices.
constexpr std::int32_t kQuadVertices = 4;
constexpr std::int32_t kQuadIndices = 6;
// What one particle costs a pass: six vertices of 24 bytes, as the pass
// limits count it.
constexpr std::int32_t kParticleCost = kQuadIndices * static_cast<std::int32_t>(sizeof(TColorPixmapVertex));

}  // namespace

ParticleRenderer::ParticleRenderer(const TCreateContext& context) : PositionObject(context) {
  blendingMode_ = bmAdditive;
  SetMirrored(false);
}

ParticleRenderer::~ParticleRenderer() = default;

TDevice* ParticleRenderer::Device() const { return GetApplet() ? GetApplet()->Device() : nullptr; }

void ParticleRenderer::AfterConstruction() {
  PositionObject::AfterConstruction();
  TDevice* device = Device();
  if (!device) return;
  if (!device->ParticlePixmap) {
    TAppletServices* applet = GetApplet();
    TFilter* filter = applet->Filter();
    TResourceMan* embedded = RunningEngine() ? RunningEngine()->EmbeddedResMan() : nullptr;
    if (filter && embedded) device->ParticlePixmap = filter->LoadPixmap(embedded, kDefaultPicture);
  }
  MakeMesh(*device);
}

void ParticleRenderer::MakeMesh(TDevice& device) {
  if (!device.ParticleMesh)
    device.ParticleMesh = device.CreateMesh(vfColorPixmapVertex, ParticleVertex, true, ParticleIndex, true, false, 0);
}

void ParticleRenderer::BeforeDestruction() {
  ReleaseOwnPixmap();
  // The effects hold this renderer weakly and see it gone; they keep
  // running without one.
  effects_.clear();
  registered_.clear();
  freed_.clear();
  PositionObject::BeforeDestruction();
}

void ParticleRenderer::FreeNotify(BaseObject* object) {
  PositionObject::FreeNotify(object);
  // Every object freed anywhere comes here: an effect is marked, and the
  // list drops what was marked when it is next read (an effect that
  // unregistered itself on its way out is marked already).
  if (registered_.erase(object) > 0) freed_.push_back(object);
}

void ParticleRenderer::DropFreedEffects() const {
  if (freed_.empty()) return;
  std::sort(freed_.begin(), freed_.end());
  std::erase_if(effects_, [this](const ParticleEffect* effect) {
    return std::binary_search(freed_.begin(), freed_.end(), static_cast<const BaseObject*>(effect));
  });
  freed_.clear();
}

const std::vector<ParticleEffect*>& ParticleRenderer::Effects() const {
  DropFreedEffects();
  return effects_;
}

void ParticleRenderer::RegisterEffect(ParticleEffect* effect) {
  if (!effect) return;
  ReceiveFreeNotices();
  DropFreedEffects();
  effects_.push_back(effect);
  ++registered_[effect];
}

void ParticleRenderer::UnregisterEffect(ParticleEffect* effect) {
  const auto found = registered_.find(effect);
  if (found == registered_.end()) return;
  // An effect registered once (the rule) is marked and dropped with the
  // freed ones: effects leaving oldest first (freed with their parent) do
  // not each search and move the list. One registered twice loses its
  // first registration now.
  if (found->second == 1) {
    registered_.erase(found);
    freed_.push_back(effect);
    return;
  }
  DropFreedEffects();
  effects_.erase(std::find(effects_.begin(), effects_.end(), effect));
  --found->second;
}

void ParticleRenderer::SetRendering(bool additive, bool zTest) {
  SetBlendingMode(additive ? bmAdditive : bmBlend);
  SetZTest(zTest);
}

void ParticleRenderer::KillAll() {
  DropFreedEffects();
  for (std::size_t i = effects_.size(); i-- > 0;)
    if (i < effects_.size()) effects_[i]->KillAll();
}

// ---------------------------------------------------------------- picture

TPixmap* ParticleRenderer::Pixmap() const {
  if (!pixmapFile_.empty()) return ownPixmap_;
  TDevice* device = Device();
  return device ? device->ParticlePixmap : nullptr;
}

void ParticleRenderer::ReleaseOwnPixmap() {
  TPixmap* own = ownPixmap_;
  ownPixmap_ = nullptr;
  TCache* cache = GetApplet() ? GetApplet()->Cache() : nullptr;
  if (own && cache) cache->FreePixmap(own);
}

void ParticleRenderer::SetPixmap(const std::string& name) {
  if (name == pixmapFile_) return;
  pixmapFile_ = name;
  // Only a picture this renderer loaded goes back: the shared default one
  // lives as long as the device.
  ReleaseOwnPixmap();
  if (name.empty()) return;
  TAppletServices* applet = GetApplet();
  TCache* cache = applet ? applet->Cache() : nullptr;
  if (cache) ownPixmap_ = cache->LoadPixmap(applet->ResMan(), Utf8ToUtf16(name));
}

// ---------------------------------------------------------------- drawing

namespace {

// Appends one quad's vertices and indices; n is the vertex count before.
void PutQuad(TColorPixmapVertex* vertices, std::uint16_t* indices, std::int32_t n, const TSpaceVector corners[4],
             std::uint32_t color, const TRect& tex) {
  const TTexVector uv[4] = {{tex.left, tex.top}, {tex.right, tex.top}, {tex.right, tex.bottom}, {tex.left, tex.bottom}};
  for (int k = 0; k < 4; ++k) {
    TColorPixmapVertex& v = vertices[n + k];
    v.position = {corners[k].x, corners[k].y, corners[k].z};
    v.color = color;
    v.tex = uv[k];
  }
  const std::int32_t m = n + kQuadVertices;
  const std::int32_t order[kQuadIndices] = {m - 3, m - 4, m - 1, m - 1, m - 2, m - 3};
  for (int k = 0; k < kQuadIndices; ++k) indices[k] = static_cast<std::uint16_t>(order[k]);
}

struct TBillboard {
  TSpaceVector direction;  // normalised view direction
  TSpaceVector right;      // unit, across the view
  TSpaceVector up;         // unit, down the view (the corners' second axis)
};

TBillboard BillboardOf(const TWindow* window) {
  TBillboard b;
  const TSpaceVector d = window ? window->CameraDirection : TSpaceVector{0, 0, -1, 0};
  const TSpaceVector u = window ? window->CameraUp : TSpaceVector{0, 1, 0, 0};
  b.direction = VectorSpaceNormalize(d);
  b.right = VectorSpaceNormalize(SpaceVectorCrossProduct(b.direction, u));
  // Down the view, as y runs down the screen: the corners then run as a
  // screen quad's do, its triangles wind counter-clockwise towards the
  // camera (up the view they would face away and be culled) and the
  // picture stands upright.
  b.up = VectorSpaceNormalize(SpaceVectorCrossProduct(b.direction, b.right));
  return b;
}

}  // namespace

void ParticleRenderer::PaintPass(TDevice& device, TPositionObjectKind kind, std::int32_t maxVertices) {
  auto inPass = [kind](const ParticleEffect* effect) {
    const BaseObject* parent = effect->Parent();
    PositionObject* positioned = parent ? const_cast<BaseObject*>(parent)->AsPositionObject() : nullptr;
    return positioned && positioned->Kind() == kind;
  };
  std::int64_t n = 0;
  DropFreedEffects();
  for (const ParticleEffect* effect : effects_)
    if (inPass(effect)) n += effect->ParticleCount();
  if (n == 0) return;
  if (n * kParticleCost > maxVertices) n = maxVertices / kQuadIndices / static_cast<std::int32_t>(sizeof(TColorPixmapVertex));
  TMesh* mesh = device.ParticleMesh;
  if (!mesh) return;
  const auto count = static_cast<std::int32_t>(n);

  mesh->LockedVertexCount = 0;
  mesh->LockedIndexCount = 0;
  void* vertexData = nullptr;
  void* indexData = nullptr;
  if (!device.LockMeshVertex(mesh, count * kQuadVertices, vertexData)) return;
  if (!device.LockMeshIndex(mesh, count * kQuadIndices, indexData)) {
    device.UnlockMeshVertex(mesh);
    mesh->LockedVertexCount = 0;
    return;
  }
  auto* vertices = static_cast<TColorPixmapVertex*>(vertexData);
  auto* indices = static_cast<std::uint16_t*>(indexData);
  // The camera of the window the device draws on.
  const TBillboard view = kind == okSpace ? BillboardOf(device.Window()) : TBillboard{};
  std::int32_t written = 0;
  for (ParticleEffect* effect : effects_) {
    if (written >= count) break;
    if (!inPass(effect)) continue;
    TParticleList* list = effect->Particles();
    const TRect tex = effect->Rect()->GetRect();
    for (int i = list->ItemCount(); i-- > 0 && written < count;) {
      const TParticle* p = list->Items(i);
      if (!p) continue;
      const float a = std::min(p->age, effect->LifeTime());
      float s = 0, spin = 0;
      std::uint32_t look = 0;
      effect->ComputeLook(a, s, spin, look);
      const std::uint32_t color = device.CorrectMeshVertexColor(look);
      const bool spinning = spin != 0;
      TSpaceVector corners[4];
      if (kind == okScreen) {
        const float x0 = p->position.x - s / 2, y0 = p->position.y - s / 2;
        corners[0] = {x0, y0, 0.9f, 1};
        corners[1] = {x0 + s, y0, 0.9f, 1};
        corners[2] = {x0 + s, y0 + s, 0.9f, 1};
        corners[3] = {x0, y0 + s, 0.9f, 1};
        if (spinning) {
          float sn, cs;
          SinCos(DegToRad(spin), sn, cs);
          for (TSpaceVector& c : corners) {
            const float dx = c.x - p->position.x, dy = c.y - p->position.y;
            c.x = p->position.x + dx * cs - dy * sn;
            c.y = p->position.y + dx * sn + dy * cs;
          }
        }
      } else {
        TSpaceVector r = SpaceVectorScale(view.right, s / 2);
        TSpaceVector v = SpaceVectorScale(view.up, s / 2);
        TSpaceVector offsets[4] = {{-r.x - v.x, -r.y - v.y, -r.z - v.z, 0},
                                   {r.x - v.x, r.y - v.y, r.z - v.z, 0},
                                   {r.x + v.x, r.y + v.y, r.z + v.z, 0},
                                   {-r.x + v.x, -r.y + v.y, -r.z + v.z, 0}};
        for (int k = 0; k < 4; ++k) {
          if (spinning) RotateVector(offsets[k], view.direction, DegToRad(spin));
          corners[k] = {p->position.x + offsets[k].x, p->position.y + offsets[k].y, p->position.z + offsets[k].z, 1};
        }
      }
      PutQuad(vertices, indices + written * kQuadIndices, written * kQuadVertices, corners, color, tex);
      ++written;
    }
  }
  device.UnlockMeshIndex(mesh);
  device.UnlockMeshVertex(mesh);
  mesh->LockedVertexCount = written * kQuadVertices;
  mesh->LockedIndexCount = written * kQuadIndices;
  if (written == 0) return;

  device.SetRenderState(kind == okScreen ? rs2DScene : rs3DScene);
  TPixmap* picture = Pixmap();
  if (picture && !picture->Drawable()) picture = nullptr;
  device.SetPixmap(0, picture);
  device.SetRenderState(rsLightOff);
  device.SetRenderState(rsTexLinear);
  // Without a picture the quads are drawn in their colours alone.
  device.SetRenderState(picture ? rsTexModulate : rsTexDisable);
  SetMatrix();
  device.SetRenderState(zWrite_ ? rsZWriteOn : rsZWriteOff);
  device.SetRenderState(blendingMode_ == bmAdditive ? rsBlendAdditive : rsBlendNormal);
  device.DrawMesh(mesh);
  device.ParticleCount += written;
  if (blendingMode_ == bmAdditive) device.SetRenderState(rsBlendNormal);
  if (!zWrite_) device.SetRenderState(rsZWriteOn);
}

void ParticleRenderer::Paint() {
  TDevice* device = Device();
  if (!device || Effects().empty()) return;
  // A device made after this renderer has no mesh yet.
  MakeMesh(*device);
  PaintPass(*device, okScreen, ParticleVertex);
  PaintPass(*device, okSpace, MaxColorVertex);
}

}  // namespace corvane
