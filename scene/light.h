// Light: a positioned object that draws nothing and holds one of the
// device's seven light slots (an eighth light stays dark and says so).
// Every recomputation of its placement refreshes its slot's record: a
// directional light from its absolute position towards the window's centre
// (screen lights) or the origin (space lights). Switching it off clears the
// record at once; destroying it clears the record and hands the slot back.
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/position_object.h"

namespace corvane {

class Light : public PositionObject {
  CORVANE_CLASS(Light, PositionObject)
  static void Describe(TClassBuilder<Light>& c);
  // Takes a free slot of the applet's device; without a device none.
  explicit Light(const TCreateContext& context);
  void BeforeDestruction() override;

  // The device slot; -1 when none.
  std::int32_t Index() const { return index_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool value);
  // Colour texts "#AARRGGBB".
  std::u16string GetDiffuse() const;
  std::u16string GetAmbient() const;
  std::u16string GetSpecular() const;
  void SetDiffuse(const std::u16string& text);
  void SetAmbient(const std::u16string& text);
  void SetSpecular(const std::u16string& text);

  void RecalcAbsolute() override;

 private:
  // Writes the slot's record from the light as it stands.
  void UpdateRecord();

  bool enabled_ = false;
  std::int32_t index_ = -1;
  std::uint32_t diffuse_ = 0xFFFFFFFF;
  std::uint32_t ambient_ = 0xFF000000;
  std::uint32_t specular_ = 0xFFFFFFFF;
};

}  // namespace corvane
