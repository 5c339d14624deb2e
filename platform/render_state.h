// The device's render states. They come in groups whose members exclude
// each other: switching one member on switches its partners off.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "base/reflection/type_info.h"

namespace corvane {

CORVANE_ENUM(TRenderState, rs2DScene, rs3DScene, rsLightOn, rsLightOff, rsZTestOn, rsZTestOff, rsZWriteOn,
             rsZWriteOff, rsFrontFace, rsBackFace, rsBlendAdditive, rsBlendNormal, rsTexNearest, rsTexLinear,
             rsTexDisable, rsTexReplace, rsTexModulate, rsFrame, rsSolid);

inline constexpr int kRenderStateCount = 19;
// The states with a prepared form (rsFrame and rsSolid need none).
inline constexpr TRenderState kFirstPreparedState = rs2DScene;
inline constexpr TRenderState kLastPreparedState = rsTexModulate;

// One flag per state, indexed by the state.
using TRenderStateFlags = std::array<bool, kRenderStateCount>;

enum TRenderStateGroup : std::uint8_t {
  rgProjection,   // rs2DScene, rs3DScene
  rgLighting,     // rsLightOn, rsLightOff
  rgDepthTest,    // rsZTestOn, rsZTestOff
  rgDepthWrite,   // rsZWriteOn, rsZWriteOff
  rgCulling,      // rsFrontFace, rsBackFace
  rgBlending,     // rsBlendAdditive, rsBlendNormal
  rgTexFilter,    // rsTexNearest, rsTexLinear
  rgTexUse,       // rsTexDisable, rsTexReplace, rsTexModulate
  rgFill          // rsFrame, rsSolid
};

constexpr TRenderStateGroup RenderStateGroup(TRenderState state) {
  constexpr TRenderStateGroup kGroups[kRenderStateCount] = {
      rgProjection, rgProjection, rgLighting,  rgLighting,  rgDepthTest, rgDepthTest, rgDepthWrite,
      rgDepthWrite, rgCulling,    rgCulling,   rgBlending,  rgBlending,  rgTexFilter, rgTexFilter,
      rgTexUse,     rgTexUse,     rgTexUse,    rgFill,      rgFill};
  return kGroups[state];
}

// Whether the two states exclude each other (a state is not its own partner).
constexpr bool RenderStatePartners(TRenderState a, TRenderState b) {
  return a != b && RenderStateGroup(a) == RenderStateGroup(b);
}

// The state's name as scripts and streams see it ("rsLightOn").
inline std::string RenderStateName(TRenderState state) {
  return TTypeInfoOf<TRenderState>::Get()->EnumName(state);
}

}  // namespace corvane
