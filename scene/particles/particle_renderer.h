// ParticleRenderer: draws the particles of every effect registered with it,
// screen emitters' first, then space emitters', each pass in one shared
// mesh, with one picture and one set of render states, in one draw call.
// The applet makes three: additive, blended, and additive with the depth
// test. All renderers of a device share its particle mesh and, unless one
// names its own picture, its default particle picture.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/core/position_object.h"
#include "scene/applet_roles.h"
#include "scene/particles/particle_modes.h"

namespace corvane {

class ParticleEffect;
class TDevice;
class TMesh;
class TParticle;
class TPixmap;
struct TColorPixmapVertex;

// The shared particle mesh's sizes.
inline constexpr std::int32_t ParticleVertex = 20000;
inline constexpr std::int32_t ParticleIndex = 30000;

class ParticleRenderer : public PositionObject, public TParticleRendering {
  CORVANE_CLASS(ParticleRenderer, PositionObject)
  static void Describe(TClassBuilder<ParticleRenderer>& c);
  explicit ParticleRenderer(const TCreateContext& context);
  ~ParticleRenderer() override;
  // Makes the device's shared particle mesh and default picture when it
  // has none yet.
  void AfterConstruction() override;
  // Gives back a picture it loaded itself; its effects keep running.
  void BeforeDestruction() override;
  // Drops every registration of a freed effect.
  void FreeNotify(BaseObject* object) override;
  // Its bounds are no place: particles lie anywhere.
  bool NeverCulled() const override { return true; }
  void Paint() override;

  void RegisterEffect(ParticleEffect* effect);
  void UnregisterEffect(ParticleEffect* effect);
  // In registration order, the order they draw in.
  const std::vector<ParticleEffect*>& Effects() const;
  void SetRendering(bool additive, bool zTest) override;
  // KillAll of every registered effect, last to first.
  void KillAll() override;

  bool ZWrite() const { return zWrite_; }
  void SetZWrite(bool value) { zWrite_ = value; }
  bool ZCull() const { return zCull_; }
  void SetZCull(bool value) { zCull_ = value; }
  TBlendingMode BlendingMode() const { return blendingMode_; }
  void SetBlendingMode(TBlendingMode value) { blendingMode_ = value; }
  bool DepthSort() const { return depthSort_; }
  void SetDepthSort(bool value) { depthSort_ = value; }
  const std::string& PixmapFile() const { return pixmapFile_; }
  // A changed name loads that picture through the cache; empty goes back
  // to the device's default picture.
  void SetPixmap(const std::string& name);
  TPixmap* Pixmap() const;

 private:
  TDevice* Device() const;
  // The device's shared mesh, made when it has none.
  static void MakeMesh(TDevice& device);
  // One pass over the effects whose parent is of the kind; maxVertices
  // bounds the pass.
  void PaintPass(TDevice& device, TPositionObjectKind kind, std::int32_t maxVertices);
  // Gives back the picture this renderer loaded (never the shared one).
  void ReleaseOwnPixmap();

  // Drops the effects freed since the list was last read.
  void DropFreedEffects() const;

  mutable std::vector<ParticleEffect*> effects_;
  // Registrations per effect, and the effects freed since the last drop:
  // freeing any object (thousands of effects among them) costs a look-up,
  // not a walk of the list.
  std::unordered_map<const BaseObject*, int> registered_;
  mutable std::vector<const BaseObject*> freed_;
  bool zWrite_ = false;
  bool zCull_ = false;
  bool depthSort_ = false;
  // What it draws with: its own picture, else the device's default one
  // (read at each paint, so a device that lost it draws untextured).
  TPixmap* ownPixmap_ = nullptr;
  std::string pixmapFile_;
  TBlendingMode blendingMode_ = bmAdditive;
};

}  // namespace corvane
