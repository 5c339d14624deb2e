// Scene-wide settings of a mesh or project file, each returned by value and
// never cached: mesh settings (master scale, shadows, ambient light), the
// atmosphere, the background and the active viewport. A record is zeroed
// when the file has no editor data (MDATA), else it starts from the
// defaults below.
#pragma once

#include <cstdint>
#include <string>

#include "formats/3ds/chunk_data.h"
#include "formats/3ds/file.h"
#include "formats/3ds/lights_cameras.h"

namespace corvane {

struct TShadowSets3DS {
  TShadowStyle3DS Type = ssUseShadowMap;
  float Bias = 0, RayBias = 0;
  std::uint32_t MapSize = 0;
  float Filter = 0;
};

struct TMeshSet3DS {
  float MasterScale = 0;
  TShadowSets3DS Shadow;
  TFColor3DS AmbientLight;
  TPoint3DS OConsts;
};

struct TFogSettings3DS {
  float NearPlane = 0, NearDensity = 0, FarPlane = 0, FarDensity = 0;
  TFColor3DS FogColor;
  bool FogBgnd = false;
};

enum TLayerFogFalloff3DS : std::uint8_t { lfNoFall, lfTopFall, lfBottomFall };

struct TLayerFogSettings3DS {
  float ZMin = 0, ZMax = 0, Density = 0;
  TFColor3DS FogColor;
  TLayerFogFalloff3DS FallOff = lfNoFall;
  bool FogBgnd = false;
};

struct TDCueSettings3DS {
  float NearPlane = 0, NearDim = 0, FarPlane = 0, FarDim = 0;
  bool DCueBgnd = false;
};

enum TAtmosphereType3DS : std::uint8_t { atNoAtmo, atUseFog, atUseLayerFog, atUseDistanceCue };

struct TAtmosphere3DS {
  TFogSettings3DS Fog;
  TLayerFogSettings3DS LayerFog;
  TDCueSettings3DS DCue;
  TAtmosphereType3DS ActiveAtmo = atNoAtmo;
};

struct TVGradientBgnd3DS {
  float GradPercent = 0;
  TFColor3DS Top, Mid, Bottom;
};

enum TBackgroundType3DS : std::uint8_t { btNoBgnd, btUseSolidBgnd, btUseVGradientBgnd, btUseBitmapBgnd };

struct TBackground3DS {
  std::string Bitmap;
  TFColor3DS Solid;
  TVGradientBgnd3DS VGradient;
  TBackgroundType3DS BgndUsed = btNoBgnd;
};

enum TViewType3DS : std::uint8_t {
  vtNoView3DS,
  vtTopView3DS,
  vtBottomView3DS,
  vtLeftView3DS,
  vtRightView3DS,
  vtFrontView3DS,
  vtBackView3DS,
  vtUserView3DS,
  vtCameraView3DS,
  vtSpotlightView3DS
};

struct TViewSize3DS {
  std::uint16_t XPos = 0, YPos = 0, Width = 0, Height = 0;
};

struct TOrthoView3DS {
  TPoint3DS Center;
  float Zoom = 0;
};

struct TUserView3DS {
  TPoint3DS Center;
  float Zoom = 0;
  float HorAng = 0, VerAng = 0;
};

struct TViewport3DS {
  TViewType3DS ViewType = vtNoView3DS;
  TViewSize3DS Size;
  TOrthoView3DS Ortho;
  TUserView3DS User;
  std::string Camera;
};

void InitViewport3DS(TViewport3DS& viewport);
TMeshSet3DS GetMeshSet(TFile3DS& file);
TAtmosphere3DS GetAtmosphere(TFile3DS& file);
TBackground3DS GetBackground(TFile3DS& file);
TViewport3DS GetViewport(TFile3DS& file);
// The viewport of parent's VIEWPORT_LAYOUT (the defaults without one).
TViewport3DS ReadViewportFromChunk(TFile3DS& file, TChunk3DS* parent);
// 1, 2, 3 to the three releases; anything else rlReleaseNotKnown.
TReleaseLevel ReleaseFromVersion(std::int64_t version);

}  // namespace corvane
