// Splash: a background with the engine's three logos ("logo.png",
// "logo_newton.png", "logo_mozilla.png" from the embedded files) in a row
// near the bottom of the window, spaced by the first logo's width. Without
// the first logo only the background shows.
#pragma once

#include <array>

#include "gui/background.h"

namespace corvane {

class Splash : public Background {
  CORVANE_CLASS(Splash, Background)
  explicit Splash(const TCreateContext& context);
  // The logos go back to the device.
  void BeforeDestruction() override;

  TPixmap* Logo(std::size_t index) const { return logos_[index]; }

  void Paint() override;

 private:
  std::array<TPixmap*, 3> logos_{};
};

}  // namespace corvane
