// Decoding of chunk payloads: one record per id, read from the chunk's data
// and bounded by its end. Counts come from the file, so each is checked
// against the bytes the chunk holds before anything is allocated.
#include <bit>
#include <type_traits>

#include "base/streams/stream.h"
#include "formats/3ds/chunk_data.h"
#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/file.h"

namespace corvane {

using namespace chunk3ds;

namespace {

template <class T>
std::unique_ptr<TChunkData3DS> Record(T value) {
  return std::make_unique<TChunkRecord3DS<T>>(std::move(value));
}

// Element types whose file form is their memory form on a little-endian
// host: all fields of one width, no padding.
template <class T>
constexpr std::size_t kUnitSize = 4;
template <>
constexpr std::size_t kUnitSize<TFace3DS> = 2;
template <>
constexpr std::size_t kUnitSize<std::uint16_t> = 2;
template <>
constexpr std::size_t kUnitSize<std::uint8_t> = 1;

template <class T>
constexpr bool kIsVector = false;
template <class E>
constexpr bool kIsVector<std::vector<E>> = true;
template <class T>
constexpr bool kIsTrack = false;
template <class V>
constexpr bool kIsTrack<TTrack3DS<V>> = true;

}  // namespace

template <class T>
std::vector<T> TFile3DS::ReadArray(std::int64_t count) {
  static_assert(std::is_trivially_copyable_v<T> && sizeof(T) % kUnitSize<T> == 0);
  CheckFits(count, sizeof(T));
  std::vector<T> items(static_cast<std::size_t>(count));
  ReadData(count * static_cast<std::int64_t>(sizeof(T)), items.data());
  if constexpr (std::endian::native == std::endian::big) {
    auto* bytes = reinterpret_cast<std::uint8_t*>(items.data());
    for (std::size_t i = 0; i < items.size() * sizeof(T); i += kUnitSize<T>)
      std::reverse(bytes + i, bytes + i + kUnitSize<T>);
  }
  return items;
}

template <class V>
TTrack3DS<V> TFile3DS::ReadTrack() {
  TTrack3DS<V> track;
  track.Header = ReadTrackHeader();
  // Every key takes at least its time and flags (6 bytes).
  CheckFits(track.Header.KeyCount, 6);
  constexpr bool kHasValues = !std::is_same_v<V, TNoValue3DS>;
  track.Keys.reserve(track.Header.KeyCount);
  if constexpr (kHasValues) track.Values.reserve(track.Header.KeyCount);
  for (std::uint32_t i = 0; i < track.Header.KeyCount; ++i) {
    track.Keys.push_back(ReadKeyHeader());
    if constexpr (kHasValues) track.Values.push_back(ReadValue<V>(0));
  }
  return track;
}

namespace {

bool IsRawBlock(std::uint16_t tag) {
  switch (tag) {
    case PROC_DATA: case MAT_SXP_TEXT_DATA: case MAT_SXP_TEXT2_DATA: case MAT_SXP_OPAC_DATA: case MAT_SXP_BUMP_DATA:
    case MAT_SXP_SPEC_DATA: case MAT_SXP_SHIN_DATA: case MAT_SXP_SELFI_DATA: case MAT_SXP_TEXT_MASKDATA:
    case MAT_SXP_TEXT2_MASKDATA: case MAT_SXP_OPAC_MASKDATA: case MAT_SXP_BUMP_MASKDATA: case MAT_SXP_SPEC_MASKDATA:
    case MAT_SXP_SHIN_MASKDATA: case MAT_SXP_SELFI_MASKDATA: case MAT_SXP_REFL_MASKDATA: case XDATA_ENTRY:
      return true;
    default:
      return false;
  }
}

// Containers and markers: their payload is their children, or nothing.
bool HasNoRecord(std::uint16_t tag) {
  switch (tag) {
    case SOLID_BGND: case AMBIENT_LIGHT: case DEFAULT_VIEW: case MDATA: case MLIBMAGIC: case N_TRI_OBJECT:
    case M3DMAGIC: case XDATA_SECTION: case XDATA_GROUP: case PARENT_NAME: case MAT_AMBIENT: case MAT_DIFFUSE:
    case MAT_SPECULAR: case MAT_SHININESS: case MAT_SHIN2PCT: case MAT_SHIN3PCT: case MAT_TRANSPARENCY:
    case MAT_XPFALL: case MAT_REFBLUR: case MAT_SELF_ILPCT: case CMAGIC:
      return true;
    default:
      return (tag >= MAT_TEXMAP && tag <= MAT_BUMPMAP) || (tag >= MAT_TEX2MAP && tag <= MAT_REFLMASK) ||
             (tag >= KFDATA && tag <= SPOTLIGHT_NODE_TAG);
  }
}

// Calls make with std::type_identity of the record that chunk's payload
// decodes into; null for containers and markers, and for an id the table
// does not know that has no payload.
template <class F>
std::unique_ptr<TChunkData3DS> WithRecordType(const TChunk3DS& chunk, F&& make) {
  auto as = [&]<class T>() { return make(std::type_identity<T>{}); };
  switch (chunk.Tag) {
    case M3D_VERSION: case MESH_VERSION: case SHADOW_RANGE: case KFCURTIME:
      return as.template operator()<std::int32_t>();
    case COLOR_F: case LIN_COLOR_F:
      return as.template operator()<TFColor3DS>();
    case COLOR_24: case LIN_COLOR_24: case MAT_MAP_COL1: case MAT_MAP_COL2: case MAT_MAP_RCOL:
    case MAT_MAP_GCOL: case MAT_MAP_BCOL:
      return as.template operator()<TColor24>();
    case INT_PERCENTAGE: case SHADOW_MAP_SIZE: case SHADOW_SAMPLES: case MAT_SHADING: case MAT_BUMP_PERCENT:
    case NODE_ID:
      return as.template operator()<std::int16_t>();
    case MAT_MAP_TILING:
      return as.template operator()<std::uint16_t>();
    case FLOAT_PERCENTAGE: case MASTER_SCALE: case V_GRADIENT: case LO_SHADOW_BIAS: case HI_SHADOW_BIAS:
    case SHADOW_FILTER: case RAY_BIAS: case DL_SPOT_ROLL: case DL_SPOT_ASPECT: case DL_RAY_BIAS:
    case DL_INNER_RANGE: case DL_OUTER_RANGE: case DL_MULTIPLIER: case MAT_WIRESIZE: case MAT_MAP_TEXBLUR:
    case MAT_MAP_USCALE: case MAT_MAP_VSCALE: case MAT_MAP_UOFFSET: case MAT_MAP_VOFFSET: case MAT_MAP_ANG:
    case MORPH_SMOOTH:
      return as.template operator()<float>();
    case MESH_COLOR:
      return as.template operator()<std::uint8_t>();
    case BIT_MAP: case VIEW_CAMERA: case NAMED_OBJECT: case PROC_NAME: case DL_SPOT_PROJECTOR: case DL_EXCLUDE:
    case XDATA_APPNAME: case XDATA_STRING: case MAT_NAME: case MAT_MAPNAME: case INSTANCE_NAME:
      return as.template operator()<std::string>();
    case O_CONSTS: case N_DIRECT_LIGHT: case PIVOT:
      return as.template operator()<TPoint3DS>();
    case FOG: case DISTANCE_CUE:
      return as.template operator()<TFog3DS>();
    case LAYER_FOG:
      return as.template operator()<TLayerFog3DS>();
    case VIEW_TOP: case VIEW_BOTTOM: case VIEW_LEFT: case VIEW_RIGHT: case VIEW_FRONT: case VIEW_BACK:
      return as.template operator()<TViewStandard3DS>();
    case VIEW_USER:
      return as.template operator()<TViewUser3DS>();
    case POINT_ARRAY:
      return as.template operator()<std::vector<TPoint3DS>>();
    case POINT_FLAG_ARRAY:
      return as.template operator()<std::vector<std::uint16_t>>();
    case FACE_ARRAY:
      return as.template operator()<std::vector<TFace3DS>>();
    case MSH_MAT_GROUP:
      return as.template operator()<TMshMatGroup3DS>();
    case TEX_VERTS:
      return as.template operator()<std::vector<TTexVert3DS>>();
    case SMOOTH_GROUP:
      return as.template operator()<std::vector<std::uint32_t>>();
    case MESH_MATRIX:
      return as.template operator()<std::array<float, 12>>();
    case MESH_TEXTURE_INFO:
      return as.template operator()<TMapInfo3DS>();
    case MSH_BOXMAP:
      return as.template operator()<std::array<std::string, 6>>();
    case DL_SPOTLIGHT:
      return as.template operator()<TDlSpotlight3DS>();
    case DL_LOCAL_SHADOW2:
      return as.template operator()<TDlLocalShadow23DS>();
    case N_CAMERA:
      return as.template operator()<TNCamera3DS>();
    case CAM_RANGES:
      return as.template operator()<TCamRanges3DS>();
    case VIEWPORT_LAYOUT:
      return as.template operator()<TViewportLayout3DS>();
    case VIEWPORT_DATA: case VIEWPORT_DATA_3:
      return as.template operator()<TViewportData3DS>();
    case VIEWPORT_SIZE:
      return as.template operator()<TViewportSize3DS>();
    case MAT_ACUBIC:
      return as.template operator()<TMatAcubic3DS>();
    case KFSEG:
      return as.template operator()<TKFSeg3DS>();
    case KFHDR:
      return as.template operator()<TKFHdr3DS>();
    case NODE_HDR:
      return as.template operator()<TNodeHdr3DS>();
    case BOUNDBOX:
      return as.template operator()<TBoundBox3DS>();
    case POS_TRACK_TAG: case SCL_TRACK_TAG:
      return as.template operator()<TTrack3DS<TPoint3DS>>();
    case ROT_TRACK_TAG:
      return as.template operator()<TRotTrack3DS>();
    case COL_TRACK_TAG:
      return as.template operator()<TColorTrack3DS>();
    case FOV_TRACK_TAG: case ROLL_TRACK_TAG: case HOT_TRACK_TAG: case FALL_TRACK_TAG:
      return as.template operator()<TFloatTrack3DS>();
    case MORPH_TRACK_TAG:
      return as.template operator()<TMorphTrack3DS>();
    case HIDE_TRACK_TAG:
      return as.template operator()<THideTrack3DS>();
    default:
      break;
  }
  if (HasNoRecord(chunk.Tag)) return nullptr;
  if (IsRawBlock(chunk.Tag) || chunk.Size > 6) return as.template operator()<TRawData3DS>();
  return nullptr;
}

}  // namespace

TChunkData3DS* InitChunkData(TChunk3DS* chunk) {
  if (chunk == nullptr) ShowError(error3ds_invalid_arg);
  chunk->Data = WithNoMemError3DS([&] {
    return WithRecordType(*chunk, []<class T>(std::type_identity<T>) -> std::unique_ptr<TChunkData3DS> {
      return std::make_unique<TChunkRecord3DS<T>>();
    });
  });
  return chunk->Data.get();
}

void TFile3DS::ReadChunkData(TChunk3DS* chunk) {
  if (chunk == nullptr || chunk->Data || stream_ == nullptr) return;
  // A chunk the tree reader made (Size 0) has nothing in the stream.
  if (chunk->Size < 6) return;
  limit_ = std::min(chunk->End(), streamSize_);
  SeekTo(std::int64_t{chunk->Position} + 6);
  chunk->Data = WithNoMemError3DS([&] {
    return WithRecordType(*chunk, [&]<class T>(std::type_identity<T>) -> std::unique_ptr<TChunkData3DS> {
      return Record(ReadValue<T>(chunk->Size));
    });
  });
}

template <class T>
T TFile3DS::ReadValue(std::uint32_t chunkSize) {
  if constexpr (std::is_same_v<T, std::int32_t>) return ReadInteger();
  else if constexpr (std::is_same_v<T, std::int16_t>) return ReadShort();
  else if constexpr (std::is_same_v<T, std::uint16_t>) return ReadWord();
  else if constexpr (std::is_same_v<T, std::uint8_t>) return ReadByte();
  else if constexpr (std::is_same_v<T, float>) return ReadSingle();
  else if constexpr (std::is_same_v<T, std::string>) return ReadString();
  else if constexpr (std::is_same_v<T, TPoint3DS>) return ReadPoint();
  else if constexpr (std::is_same_v<T, TFColor3DS>) return ReadColorF();
  else if constexpr (std::is_same_v<T, TNoValue3DS>) return {};
  else if constexpr (std::is_same_v<T, TColor24>) {
    TColor24 c;
    c.r = ReadByte();
    c.g = ReadByte();
    c.b = ReadByte();
    return c;
  } else if constexpr (std::is_same_v<T, TKFRotKey3DS>) {
    TKFRotKey3DS key;
    key.Angle = ReadSingle();
    key.X = ReadSingle();
    key.Y = ReadSingle();
    key.Z = ReadSingle();
    return key;
  } else if constexpr (std::is_same_v<T, TFog3DS>) {
    TFog3DS fog;
    fog.NearPlane = ReadSingle();
    fog.NearDensity = ReadSingle();
    fog.FarPlane = ReadSingle();
    fog.FarDensity = ReadSingle();
    return fog;
  } else if constexpr (std::is_same_v<T, TLayerFog3DS>) {
    TLayerFog3DS fog;
    fog.ZMin = ReadSingle();
    fog.ZMax = ReadSingle();
    fog.Density = ReadSingle();
    fog.Flags = ReadCardinal();
    return fog;
  } else if constexpr (std::is_same_v<T, TViewStandard3DS>) {
    TViewStandard3DS view;
    view.ViewWidth = ReadSingle();
    view.Target = ReadPoint();
    return view;
  } else if constexpr (std::is_same_v<T, TViewUser3DS>) {
    TViewUser3DS view;
    view.ViewWidth = ReadSingle();
    view.XYViewAngle = ReadSingle();
    view.YZViewAngle = ReadSingle();
    view.BankAngle = ReadSingle();
    view.Target = ReadPoint();
    return view;
  } else if constexpr (std::is_same_v<T, TRawData3DS>) {
    return ReadArray<std::uint8_t>(std::int64_t{chunkSize} - 6);
  } else if constexpr (std::is_same_v<T, std::vector<std::uint32_t>>) {
    // Smoothing masks: one per face in a well-formed file; the count is
    // what fits.
    return ReadArray<std::uint32_t>((std::int64_t{chunkSize} - 6) / 4);
  } else if constexpr (kIsVector<T>) {
    // The other arrays are counted by a word before them.
    return ReadArray<typename T::value_type>(ReadWord());
  } else if constexpr (kIsTrack<T>) {
    return ReadTrack<typename T::value_type>();
  } else if constexpr (std::is_same_v<T, TMshMatGroup3DS>) {
    TMshMatGroup3DS group;
    group.MatName = ReadString();
    group.Faces = ReadArray<std::uint16_t>(ReadWord());
    return group;
  } else if constexpr (std::is_same_v<T, std::array<float, 12>>) {
    std::array<float, 12> m{};
    for (float& v : m) v = ReadSingle();
    return m;
  } else if constexpr (std::is_same_v<T, std::array<std::string, 6>>) {
    std::array<std::string, 6> names;
    for (std::string& n : names) n = ReadString();
    return names;
  } else if constexpr (std::is_same_v<T, TMapInfo3DS>) {
    TMapInfo3DS info;
    info.MapType = ReadWord();
    info.TileX = ReadSingle();
    info.TileY = ReadSingle();
    info.IconPos = ReadPoint();
    info.IconScaling = ReadSingle();
    for (float& v : info.XMatrix) v = ReadSingle();
    info.IconWidth = ReadSingle();
    info.IconHeight = ReadSingle();
    info.CylIconHeight = ReadSingle();
    return info;
  } else if constexpr (std::is_same_v<T, TDlSpotlight3DS>) {
    TDlSpotlight3DS spot;
    spot.Target = ReadPoint();
    spot.Hotspot = ReadSingle();
    spot.Falloff = ReadSingle();
    return spot;
  } else if constexpr (std::is_same_v<T, TDlLocalShadow23DS>) {
    TDlLocalShadow23DS shadow;
    shadow.Bias = ReadSingle();
    shadow.Filter = ReadSingle();
    shadow.MapSize = ReadShort();
    return shadow;
  } else if constexpr (std::is_same_v<T, TNCamera3DS>) {
    TNCamera3DS camera;
    camera.Position = ReadPoint();
    camera.Target = ReadPoint();
    camera.Roll = ReadSingle();
    camera.Focal = ReadSingle();
    return camera;
  } else if constexpr (std::is_same_v<T, TCamRanges3DS>) {
    TCamRanges3DS ranges;
    ranges.Near = ReadSingle();
    ranges.Far = ReadSingle();
    return ranges;
  } else if constexpr (std::is_same_v<T, TViewportLayout3DS>) {
    TViewportLayout3DS l;
    for (std::int16_t* v : {&l.Form, &l.Top, &l.Ready, &l.WState, &l.SwapWS, &l.SwapPort, &l.SwapCur}) *v = ReadShort();
    return l;
  } else if constexpr (std::is_same_v<T, TViewportData3DS>) {
    TViewportData3DS d;
    for (std::int16_t* v : {&d.Flags, &d.AxisLockout, &d.WinXPos, &d.WinYPos, &d.WinWidth, &d.WinHeight, &d.View})
      *v = ReadShort();
    d.Zoom = ReadSingle();
    d.WorldCenter = ReadPoint();
    d.HorizAng = ReadSingle();
    d.VertAng = ReadSingle();
    d.CamName = ReadString();
    return d;
  } else if constexpr (std::is_same_v<T, TViewportSize3DS>) {
    TViewportSize3DS v;
    v.XPos = ReadWord();
    v.YPos = ReadWord();
    v.Width = ReadWord();
    v.Height = ReadWord();
    return v;
  } else if constexpr (std::is_same_v<T, TMatAcubic3DS>) {
    TMatAcubic3DS a;
    a.ShadeLevel = ReadByte();
    a.Antialias = ReadByte();
    a.Flags = ReadShort();
    a.MapSize = ReadCardinal();
    a.FrameInterval = ReadCardinal();
    return a;
  } else if constexpr (std::is_same_v<T, TKFSeg3DS>) {
    TKFSeg3DS seg;
    seg.First = ReadInteger();
    seg.Last = ReadInteger();
    return seg;
  } else if constexpr (std::is_same_v<T, TKFHdr3DS>) {
    TKFHdr3DS hdr;
    hdr.Revision = ReadShort();
    hdr.Filename = ReadString();
    hdr.AnimLength = ReadInteger();
    return hdr;
  } else if constexpr (std::is_same_v<T, TNodeHdr3DS>) {
    TNodeHdr3DS hdr;
    hdr.ObjName = ReadString();
    hdr.Flags1 = ReadWord();
    hdr.Flags2 = ReadWord();
    hdr.ParentIndex = ReadShort();
    return hdr;
  } else {
    static_assert(std::is_same_v<T, TBoundBox3DS>, "a record type without a reader");
    TBoundBox3DS box;
    box.Min = ReadPoint();
    box.Max = ReadPoint();
    return box;
  }
}

}  // namespace corvane
