// Mesh: a loaded model placed in the scene with a texture. An animated
// model is played by the MeshAnimationEffect that drives it, or posed at
// its reference's key; the last pose of a finished one-shot play stays.
#pragma once

#include "engine/core/position_object.h"

namespace corvane {

class MeshAnimationEffect;
class TMeshPersistent;
class TPixmapPersistent;

class Mesh : public PositionObject {
  CORVANE_CLASS(Mesh, PositionObject)
  static void Describe(TClassBuilder<Mesh>& c);
  // With the depth test.
  explicit Mesh(const TCreateContext& context);
  ~Mesh() override;

  TPixmapPersistent* Pixmap() const { return pixmap_; }
  TMeshPersistent* Model() const { return mesh_; }
  bool ShowBounds() const { return showBounds_; }
  void SetShowBounds(bool value) { showBounds_ = value; }
  // The effect driving the model now, when it is a mesh animation.
  MeshAnimationEffect* Driver() const;

  void Paint() override;
  // The box of the model's bounds mirrored about the origin; none without
  // a model. The engine exists before the first body is asked of it.
  void CreateDynamics() override;
  void DestroyDynamics() override;
  // The model's bounds; the empty box at the origin without a model.
  TAABB GetBoundsBox() override;
  // The largest absolute coordinate of the bounds' corners.
  float GetBoundsRadius() override;

 private:
  TPixmapPersistent* pixmap_;
  TMeshPersistent* mesh_;
  bool showBounds_ = false;
};

}  // namespace corvane
