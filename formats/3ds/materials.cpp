#include "formats/3ds/materials.h"

#include "base/text/text_convert.h"
#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/extract.h"
#include "formats/3ds/file.h"

namespace corvane {

using namespace chunk3ds;

namespace {

// COLOR_24, then COLOR_F, then LIN_COLOR_24 under chunk, each found one
// overwriting the one before.
TFColor3DS ReadMaterialColor(TFile3DS& file, TChunk3DS* chunk) {
  TFColor3DS color;
  WithValue<TColor24>(file, FindChunk(chunk, COLOR_24), [&](const TColor24& c) { color = ColorFromBytes(c); });
  WithValue<TFColor3DS>(file, FindChunk(chunk, COLOR_F), [&](const TFColor3DS& c) { color = c; });
  WithValue<TColor24>(file, FindChunk(chunk, LIN_COLOR_24), [&](const TColor24& c) { color = ColorFromBytes(c); });
  return color;
}

// A percentage below chunk as a fraction: INT_PERCENTAGE / 100, else the
// FLOAT_PERCENTAGE, else 0.
float ReadMaterialSubValue(TFile3DS& file, TChunk3DS* chunk) {
  float value = 0;
  if (TChunk3DS* p = FindChunk(chunk, INT_PERCENTAGE)) {
    WithValue<std::int16_t>(file, p, [&](std::int16_t v) { value = v / 100.0f; });
  } else if (TChunk3DS* f = FindChunk(chunk, FLOAT_PERCENTAGE)) {
    WithValue<float>(file, f, [&](float v) { value = v; });
  }
  return value;
}

void ReadMaterialMapSet(TFile3DS& file, TChunk3DS* mapChunk, TBitmap3DS& bitmap) {
  for (TChunk3DS* child = mapChunk->Children(); child != nullptr; child = child->Sibling()) {
    auto single = [&](float& field) { WithValue<float>(file, child, [&](float v) { field = v; }); };
    auto tint = [&](TFColor3DS& field) {
      WithValue<TColor24>(file, child, [&](const TColor24& c) { field = ColorFromBytes(c); });
    };
    switch (child->Tag) {
      case INT_PERCENTAGE: WithValue<std::int16_t>(file, child, [&](std::int16_t v) { bitmap.Percent = v / 100.0f; }); break;
      case FLOAT_PERCENTAGE: single(bitmap.Percent); break;
      case MAT_MAPNAME: bitmap.NameStr = TakeValue<std::string>(file, child); break;
      case MAT_MAP_TILING: {
        const std::uint16_t flags = TakeValue<std::uint16_t>(file, child);
        bitmap.Tiling = !(flags & 0x1) ? ttTile : (flags & 0x10) ? ttDecal : ttBoth;
        bitmap.IgnoreAlpha = flags & 0x100;
        bitmap.Filter = (flags & 0x20) ? ftSummedArea : ftPyramidal;
        bitmap.Mirror = flags & 0x2;
        bitmap.Negative = flags & 0x8;
        if ((flags & 0x80) && !(flags & 0x40)) bitmap.Source = ttRGBLumaTint;
        else if ((flags & 0x80) && (flags & 0x40)) bitmap.Source = ttAlphaTint;
        else if (flags & 0x200) bitmap.Source = ttRGBTint;
        else if (flags & 0x40) bitmap.Source = ttAlpha;
        else bitmap.Source = ttRGB;
        break;
      }
      case MAT_MAP_TEXBLUR: single(bitmap.Blur); break;
      case MAT_MAP_USCALE: single(bitmap.UScale); break;
      case MAT_MAP_VSCALE: single(bitmap.VScale); break;
      case MAT_MAP_UOFFSET: single(bitmap.UOffset); break;
      case MAT_MAP_VOFFSET: single(bitmap.VOffset); break;
      case MAT_MAP_ANG: single(bitmap.Rotation); break;
      case MAT_MAP_COL1: tint(bitmap.Tint1); break;
      case MAT_MAP_COL2: tint(bitmap.Tint2); break;
      case MAT_MAP_RCOL: tint(bitmap.RedTint); break;
      case MAT_MAP_GCOL: tint(bitmap.GreenTint); break;
      case MAT_MAP_BCOL: tint(bitmap.BlueTint); break;
      default: break;
    }
  }
}

// The map or mask a map chunk fills; null for other ids.
TBitmap3DS* MapOf(TMaterial3DS& m, std::uint16_t tag) {
  switch (tag) {
    case MAT_TEXMAP: return &m.Texture.Map;
    case MAT_TEXMASK: return &m.Texture.Mask;
    case MAT_TEX2MAP: return &m.Texture2.Map;
    case MAT_TEX2MASK: return &m.Texture2.Mask;
    case MAT_OPACMAP: return &m.Opacity.Map;
    case MAT_OPACMASK: return &m.Opacity.Mask;
    case MAT_BUMPMAP: return &m.Bump.Map;
    case MAT_BUMPMASK: return &m.Bump.Mask;
    case MAT_SPECMAP: return &m.SpecMap.Map;
    case MAT_SPECMASK: return &m.SpecMap.Mask;
    case MAT_SHINMAP: return &m.ShinMap.Map;
    case MAT_SHINMASK: return &m.ShinMap.Mask;
    case MAT_SELFIMAP: return &m.IllumMap.Map;
    case MAT_SELFIMASK: return &m.IllumMap.Mask;
    case MAT_REFLMAP: return &m.Reflect.Map;
    case MAT_REFLMASK: return &m.Reflect.Mask;
    default: return nullptr;
  }
}

// The map or mask whose procedural data a SXP chunk holds; null for other ids.
TBitmap3DS* ProceduralOf(TMaterial3DS& m, std::uint16_t tag) {
  switch (tag) {
    case MAT_SXP_TEXT_DATA: return &m.Texture.Map;
    case MAT_SXP_TEXT2_DATA: return &m.Texture2.Map;
    case MAT_SXP_OPAC_DATA: return &m.Opacity.Map;
    case MAT_SXP_BUMP_DATA: return &m.Bump.Map;
    case MAT_SXP_SPEC_DATA: return &m.SpecMap.Map;
    case MAT_SXP_SHIN_DATA: return &m.ShinMap.Map;
    case MAT_SXP_SELFI_DATA: return &m.IllumMap.Map;
    case MAT_SXP_TEXT_MASKDATA: return &m.Texture.Mask;
    case MAT_SXP_TEXT2_MASKDATA: return &m.Texture2.Mask;
    case MAT_SXP_OPAC_MASKDATA: return &m.Opacity.Mask;
    case MAT_SXP_BUMP_MASKDATA: return &m.Bump.Mask;
    case MAT_SXP_SPEC_MASKDATA: return &m.SpecMap.Mask;
    case MAT_SXP_SHIN_MASKDATA: return &m.ShinMap.Mask;
    case MAT_SXP_SELFI_MASKDATA: return &m.IllumMap.Mask;
    case MAT_SXP_REFL_MASKDATA: return &m.Reflect.Mask;
    default: return nullptr;
  }
}

TChunk3DS* MaterialParent(TFile3DS& file) {
  TChunk3DS* root = file.TopChunk();
  if (TChunk3DS* mdata = FindChunk(root, MDATA)) return mdata;
  return FindChunk(root, MLIBMAGIC);
}

}  // namespace

namespace {

TBitmap3DS DefaultBitmap() {
  TBitmap3DS bitmap;
  bitmap.UScale = 1.0f;
  bitmap.VScale = 1.0f;
  bitmap.Tint2 = {1, 1, 1};
  bitmap.RedTint = {1, 0, 0};
  bitmap.GreenTint = {0, 1, 0};
  bitmap.BlueTint = {0, 0, 1};
  return bitmap;
}

TMaterial3DS DefaultMaterial() {
  TMaterial3DS m;
  m.WireSize = 1.0f;
  m.Shading = stPhong;
  m.Reflect.AutoMap.MapSize = 100;
  m.Reflect.AutoMap.NthFrame = 1;
  for (TMapSet3DS* set : {&m.Texture, &m.Texture2, &m.Opacity, &m.Bump, &m.SpecMap, &m.ShinMap, &m.IllumMap}) {
    set->Map = DefaultBitmap();
    set->Mask = DefaultBitmap();
  }
  m.Reflect.Map = DefaultBitmap();
  m.Reflect.Mask = DefaultBitmap();
  return m;
}

}  // namespace

// Copies of prototypes: a material holds seventeen maps, and building each
// afresh costs more than the rest of reading a small entry.
void InitBitmap3DS(TBitmap3DS& bitmap) {
  static const TBitmap3DS prototype = DefaultBitmap();
  bitmap = prototype;
}

void InitMaterial3DS(TMaterial3DS& m) {
  static const TMaterial3DS prototype = DefaultMaterial();
  m = prototype;
}

void RebuildMaterialEntryList(TFile3DS& file) {
  TDatabase3DS& db = file.Database();
  if (!db.MatListDirty) return;
  db.MatList.reset();
  TChunk3DS* parent = MaterialParent(file);
  TChunkList3DS list;
  if (parent != nullptr) {
    for (TChunk3DS* entry = FindChunk(parent, MAT_ENTRY); entry != nullptr;
         entry = FindNextChunk(entry->Sibling(), MAT_ENTRY)) {
      // An entry without a name is listed with an empty one.
      std::string name;
      WithValue<std::string>(file, FindChunk(entry, MAT_NAME), [&](const std::string& n) { name = n; });
      list.push_back({std::move(name), entry});
    }
  }
  db.MatList = std::move(list);
  if (parent != nullptr) db.MatListDirty = false;
}

int GetMaterialCount(TFile3DS& file) {
  RebuildMaterialEntryList(file);
  return static_cast<int>(file.Database().MatList->size());
}

TMaterial3DS GetMaterialByIndex(TFile3DS& file, int index) {
  TChunk3DS* root = file.TopChunk();
  if (root == nullptr) ShowError(error3ds_invalid_database);
  if (root->Tag != MLIBMAGIC && root->Tag != M3DMAGIC && root->Tag != CMAGIC) ShowError(error3ds_wrong_database);
  RebuildMaterialEntryList(file);
  const TChunkList3DS& list = *file.Database().MatList;
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) ShowErrorFormatted(error3ds_invalid_index, index);
  return ReadMaterialFromEntry(file, list[static_cast<std::size_t>(index)].Chunk);
}

TMaterial3DS ReadMaterialFromEntry(TFile3DS& file, TChunk3DS* entry) {
  if (entry == nullptr || entry->Tag != MAT_ENTRY) ShowError(error3ds_invalid_chunk);
  TMaterial3DS m;
  InitMaterial3DS(m);
  for (TChunk3DS* child = entry->Children(); child != nullptr; child = child->Sibling()) {
    const std::uint16_t tag = child->Tag;
    if ((tag & 0xFF00) == 0x8000) continue;  // extended data
    if (TBitmap3DS* map = MapOf(m, tag)) {
      ReadMaterialMapSet(file, child, *map);
      if (tag == MAT_BUMPMAP) {
        WithValue<std::int16_t>(file, FindChunk(child, MAT_BUMP_PERCENT),
                                [&](std::int16_t v) { map->Percent = v / 100.0f; });
      }
      continue;
    }
    if (TBitmap3DS* map = ProceduralOf(m, tag)) {
      map->Data = TakeValue<TRawData3DS>(file, child);
      continue;
    }
    switch (tag) {
      case MAT_NAME: m.NameStr = TakeValue<std::string>(file, child); break;
      case MAT_AMBIENT: m.Ambient = ReadMaterialColor(file, child); break;
      case MAT_DIFFUSE: m.Diffuse = ReadMaterialColor(file, child); break;
      case MAT_SPECULAR: m.Specular = ReadMaterialColor(file, child); break;
      case MAT_SHININESS: m.Shininess = ReadMaterialSubValue(file, child); break;
      case MAT_SHIN2PCT: m.ShinStrength = ReadMaterialSubValue(file, child); break;
      case MAT_REFBLUR: m.Blur = ReadMaterialSubValue(file, child); break;
      case MAT_TRANSPARENCY: m.Transparency = ReadMaterialSubValue(file, child); break;
      case MAT_XPFALL: m.TransFalloff = ReadMaterialSubValue(file, child); break;
      case MAT_SELF_ILPCT: m.SelfIllumPct = ReadMaterialSubValue(file, child); break;
      case MAT_SHIN3PCT: case MAT_DECAL: break;
      case MAT_WIRESIZE: WithValue<float>(file, child, [&](float v) { m.WireSize = v; }); break;
      case MAT_SHADING:
        WithValue<std::int16_t>(file, child, [&](std::int16_t v) {
          // Values beyond the five shadings keep the default.
          if (v >= stWire && v <= stMetal) m.Shading = static_cast<TShadeType3DS>(v);
        });
        break;
      case MAT_WIRE: m.Shading = stWire; break;
      case MAT_USE_REFBLUR: m.UseBlur = true; break;
      case MAT_USE_XPFALL: m.UseFall = true; break;
      case MAT_TWO_SIDE: m.TwoSided = true; break;
      case MAT_SELF_ILLUM: m.SelfIllum = true; break;
      case MAT_ADDITIVE: m.Additive = true; break;
      case MAT_WIREABS: m.UseWireAbs = true; break;
      case MAT_FACEMAP: m.FaceMap = true; break;
      case MAT_PHONGSOFT: m.Soften = true; break;
      case MAT_XPFALLIN: m.Transparency = -m.Transparency; break;
      case MAT_ACUBIC:
        m.Reflect.AutoMap.Use = true;
        WithValue<TMatAcubic3DS>(file, child, [&](const TMatAcubic3DS& a) {
          m.Reflect.AutoMap.FirstFrame = (a.Flags & 0x1) || (a.Flags & 0x8);
          m.Reflect.AutoMap.Flat = (a.Flags & 0x1) || (a.Flags & 0x10);
          m.Reflect.AutoMap.MapSize = a.MapSize;
          m.Reflect.AutoMap.NthFrame = a.FrameInterval;
        });
        break;
      default: ShowError(error3ds_invalid_chunk);
    }
  }
  return m;
}

TMaterialList::TMaterialList(TFile3DS& owner) : owner_(owner) {}

TMaterialList::~TMaterialList() = default;

void TMaterialList::ClearList() { materials_.Clear(); }

int TMaterialList::GetCount() {
  return materials_.Count([&] { return GetMaterialCount(owner_); });
}

TMaterial3DS* TMaterialList::GetMaterial(int index) {
  return materials_.Get(index, [&] { return GetMaterialCount(owner_); }, [&] { return GetMaterialByIndex(owner_, index); });
}

TMaterial3DS* TMaterialList::GetMaterialByName(std::string_view name) {
  const int count = GetCount();
  for (int i = 0; i < count; ++i)
    if (SameText((*owner_.Database().MatList)[static_cast<std::size_t>(i)].NameStr, name)) return GetMaterial(i);
  return nullptr;
}

}  // namespace corvane
