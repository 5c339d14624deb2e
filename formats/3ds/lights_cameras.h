// Light and camera extraction: the omni lights, spot lights and cameras
// among the named objects of a mesh or project file. The object cache
// (TObjectList, meshes.h) holds the records. Records start zeroed; the Init
// functions set the defaults an extraction starts from.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/3ds/chunk_data.h"

namespace corvane {

class TFile3DS;

enum TShadowStyle3DS : std::uint8_t { ssUseShadowMap, ssUseRayTraceShadow };
enum TConeStyle3DS : std::uint8_t { csCircular, csRectangular };

struct TLiteAttenuate3DS {
  bool On = false;
  float Inner = 0, Outer = 0;
  bool operator==(const TLiteAttenuate3DS&) const = default;
};

struct TSpotShadow3DS {
  bool Cast = false;
  TShadowStyle3DS Type = ssUseShadowMap;
  bool Local = false;
  float Bias = 0, Filter = 0;
  std::uint32_t MapSize = 0;
  float RayBias = 0;
  bool operator==(const TSpotShadow3DS&) const = default;
};

struct TSpotCone3DS {
  TConeStyle3DS Type = csCircular;
  bool Show = false;
  bool Overshoot = false;
  bool operator==(const TSpotCone3DS&) const = default;
};

struct TSpotProjector3DS {
  bool Use = false;
  std::string BitmapName;
  bool operator==(const TSpotProjector3DS&) const = default;
};

struct TSpotLight3DS {
  TPoint3DS Target;
  float Hotspot = 0, Falloff = 0;
  float Roll = 0;
  float Aspect = 0;
  TSpotShadow3DS Shadows;
  TSpotCone3DS Cone;
  TSpotProjector3DS Projector;
  bool operator==(const TSpotLight3DS&) const = default;
};

struct TLight3DS {
  std::string Name;
  TPoint3DS Pos;
  TFColor3DS Color;
  float Multiplier = 0;
  bool DLOff = false;
  TLiteAttenuate3DS Attenuation;
  std::vector<std::string> Exclude;
  // Null for an omni light.
  std::unique_ptr<TSpotLight3DS> Spot;
  bool operator==(const TLight3DS& o) const {
    return Name == o.Name && Pos == o.Pos && Color == o.Color && Multiplier == o.Multiplier && DLOff == o.DLOff &&
           Attenuation == o.Attenuation && Exclude == o.Exclude &&
           (Spot && o.Spot ? *Spot == *o.Spot : Spot == o.Spot);
  }
};
using PLight3DS = TLight3DS*;

struct TCamRanges3DSSet {
  float CamNear = 0, CamFar = 0;
  bool operator==(const TCamRanges3DSSet&) const = default;
};

struct TCamera3DS {
  std::string Name;
  TPoint3DS Position;
  TPoint3DS Target;
  float Roll = 0;
  // Degrees: 2400 / focal length; a focal length of 0 keeps 45.
  float FOV = 0;
  bool ShowCone = false;
  TCamRanges3DSSet Ranges;
  bool operator==(const TCamera3DS&) const = default;
};
using PCamera3DS = TCamera3DS*;

// Omni light defaults (an empty exclude list, no spot).
void InitLight3DS(TLight3DS& light);
// InitLight3DS, then a spot with its defaults.
void InitSpotLight3DS(TLight3DS& light);
void InitCamera3DS(TCamera3DS& camera);

int GetOmniLightCount(TFile3DS& file);
int GetSpotLightCount(TFile3DS& file);
int GetCameraCount(TFile3DS& file);
// The index-th of the kind in file order; a zeroed record when there are
// fewer.
TLight3DS GetOmniLightByIndex(TFile3DS& file, int index);
TLight3DS GetSpotLightByIndex(TFile3DS& file, int index);
TCamera3DS GetCameraByIndex(TFile3DS& file, int index);
// error3ds_wrong_object unless N_DIRECT_LIGHT / N_CAMERA is a direct child.
TLight3DS ReadLightFromObject(TFile3DS& file, TChunk3DS* namedObject);
TCamera3DS ReadCameraFromObject(TFile3DS& file, TChunk3DS* namedObject);

}  // namespace corvane
