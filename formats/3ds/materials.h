// Material extraction: the MAT_ENTRY chunks of a mesh file, project file or
// material library as TMaterial3DS records, cached by TMaterialList.
// A material entry is checked strictly: a child the reader does not know
// raises error3ds_invalid_chunk (extended data, 0x80xx, is skipped).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/3ds/chunk_data.h"
#include "formats/3ds/record_cache.h"

namespace corvane {

class TFile3DS;

enum TShadeType3DS : std::uint8_t { stWire, stFlat, stGouraud, stPhong, stMetal };
enum TTileType3DS : std::uint8_t { ttTile, ttDecal, ttBoth };
enum TFilterType3DS : std::uint8_t { ftPyramidal, ftSummedArea };
enum TTintType3DS : std::uint8_t { ttRGB, ttAlpha, ttRGBLumaTint, ttAlphaTint, ttRGBTint };

// One texture map or mask.
struct TBitmap3DS {
  std::string NameStr;
  float Percent = 0;
  TTileType3DS Tiling = ttTile;
  bool IgnoreAlpha = false;
  TFilterType3DS Filter = ftPyramidal;
  float Blur = 0;
  bool Mirror = false;
  bool Negative = false;
  float UScale = 0, VScale = 0;
  float UOffset = 0, VOffset = 0;
  float Rotation = 0;
  TTintType3DS Source = ttRGB;
  TFColor3DS Tint1, Tint2, RedTint, GreenTint, BlueTint;
  // Procedural (SXP) data.
  std::vector<std::uint8_t> Data;
  std::uint32_t DataSize() const { return static_cast<std::uint32_t>(Data.size()); }
  bool operator==(const TBitmap3DS&) const = default;
};

struct TMapSet3DS {
  TBitmap3DS Map;
  TBitmap3DS Mask;
  bool operator==(const TMapSet3DS&) const = default;
};

// Automatic cubic reflection settings.
struct TACubic3DS {
  bool Use = false;
  bool FirstFrame = false;
  bool Flat = false;
  std::uint32_t MapSize = 0;
  std::uint32_t NthFrame = 0;
  bool operator==(const TACubic3DS&) const = default;
};

struct TRMapSet3DS {
  TBitmap3DS Map;
  TACubic3DS AutoMap;
  TBitmap3DS Mask;
  bool operator==(const TRMapSet3DS&) const = default;
};

struct TMaterial3DS {
  std::string NameStr;
  TFColor3DS Ambient, Diffuse, Specular;
  float Shininess = 0, ShinStrength = 0, Blur = 0, Transparency = 0, TransFalloff = 0, SelfIllumPct = 0;
  float WireSize = 0;
  TShadeType3DS Shading = stWire;
  bool UseBlur = false, UseFall = false, TwoSided = false, SelfIllum = false, Additive = false;
  bool UseWireAbs = false, FaceMap = false, Soften = false;
  TMapSet3DS Texture, Texture2, Opacity, Bump, SpecMap, ShinMap, IllumMap;
  TRMapSet3DS Reflect;
  bool operator==(const TMaterial3DS&) const = default;
};
using PMaterial3DS = TMaterial3DS*;

// Defaults an extraction starts from (records start zeroed).
void InitBitmap3DS(TBitmap3DS& bitmap);
void InitMaterial3DS(TMaterial3DS& material);

class TMaterialList {
 public:
  explicit TMaterialList(TFile3DS& owner);
  ~TMaterialList();

  int GetCount();
  // Null when there are none; std::out_of_range outside the list.
  TMaterial3DS* GetMaterial(int index);
  // The first material whose name matches without regard to ASCII case.
  TMaterial3DS* GetMaterialByName(std::string_view name);
  void ClearList();

 private:
  TFile3DS& owner_;
  TRecordCache3DS<TMaterial3DS> materials_;
};

void RebuildMaterialEntryList(TFile3DS& file);
int GetMaterialCount(TFile3DS& file);
// error3ds_invalid_index past the last entry.
TMaterial3DS GetMaterialByIndex(TFile3DS& file, int index);
TMaterial3DS ReadMaterialFromEntry(TFile3DS& file, TChunk3DS* entry);

}  // namespace corvane
