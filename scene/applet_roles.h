// The roles scene objects play for the applet that makes them by class
// name: the alpha animations of its fade screen ("AnimationEffect"), its
// particle renderers ("ParticleRenderer") and the sprite of its default
// cursor ("Sprite"). The applet asks for these interfaces, which the
// scene's classes implement, and logs a class that does not provide them.
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// An effect that fades its visual parent's alpha between key frames (of
// 1/30 s).
class TAlphaAnimation {
 public:
  // Appends a key: its frame and the alpha there.
  virtual void AddAlphaKey(std::int32_t frame, float alpha) = 0;
  // Moves key index to the frame, adding keys up to it as needed.
  virtual void SetKeyFrame(std::int32_t index, std::int32_t frame) = 0;

 protected:
  ~TAlphaAnimation() = default;
};

// What draws the particles of the applet's particle effects.
class TParticleRendering {
 public:
  // How it draws: adding the particles' light (else blending them by their
  // alpha), and with the depth test or without.
  virtual void SetRendering(bool additive, bool zTest) = 0;
  // Ends every particle it draws.
  virtual void KillAll() = 0;

 protected:
  ~TParticleRendering() = default;
};

// A picture at a size, in applet units.
class TSpritePicture {
 public:
  virtual void SetSpriteSize(float width, float height) = 0;
  // The picture's file (or embedded default) name.
  virtual void SetPicture(const std::string& name) = 0;

 protected:
  ~TSpritePicture() = default;
};

}  // namespace corvane
