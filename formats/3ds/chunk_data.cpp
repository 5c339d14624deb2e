// Decoding of chunk payloads: one record per id, read from the chunk's data
// and bounded by its end. Counts come from the file, so each is checked
// against the bytes the chunk holds before anything is allocated.
#include <bit>

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

template <class V, class F>
TTrack3DS<V> TFile3DS::ReadTrack(F readValue) {
  TTrack3DS<V> track;
  track.Header = ReadTrackHeader();
  // Every key takes at least its time and flags (6 bytes).
  CheckFits(track.Header.KeyCount, 6);
  constexpr bool kHasValues = !std::is_same_v<V, TNoValue3DS>;
  track.Keys.reserve(track.Header.KeyCount);
  if constexpr (kHasValues) track.Values.reserve(track.Header.KeyCount);
  for (std::uint32_t i = 0; i < track.Header.KeyCount; ++i) {
    track.Keys.push_back(ReadKeyHeader());
    if constexpr (kHasValues) track.Values.push_back(readValue());
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

}  // namespace

void TFile3DS::ReadChunkData(TChunk3DS* chunk) {
  if (chunk == nullptr || chunk->Data || stream_ == nullptr) return;
  // A chunk the tree reader made (Size 0) has nothing in the stream.
  if (chunk->Size < 6) return;
  limit_ = std::min(chunk->End(), streamSize_);
  SeekTo(std::int64_t{chunk->Position} + 6);
  chunk->Data = WithNoMemError3DS([&] { return DecodePayload(*chunk); });
}

std::unique_ptr<TChunkData3DS> TFile3DS::DecodePayload(TChunk3DS& chunk) {
  const std::uint16_t tag = chunk.Tag;
  switch (tag) {
    case M3D_VERSION: case MESH_VERSION: case SHADOW_RANGE: case KFCURTIME:
      return Record(ReadInteger());
    case COLOR_F: case LIN_COLOR_F:
      return Record(ReadColorF());
    case COLOR_24: case LIN_COLOR_24: case MAT_MAP_COL1: case MAT_MAP_COL2: case MAT_MAP_RCOL:
    case MAT_MAP_GCOL: case MAT_MAP_BCOL: {
      TColor24 c;
      c.r = ReadByte();
      c.g = ReadByte();
      c.b = ReadByte();
      return Record(c);
    }
    case INT_PERCENTAGE: case SHADOW_MAP_SIZE: case SHADOW_SAMPLES: case MAT_SHADING: case MAT_BUMP_PERCENT:
    case NODE_ID:
      return Record(ReadShort());
    case MAT_MAP_TILING:
      return Record(ReadWord());
    case FLOAT_PERCENTAGE: case MASTER_SCALE: case V_GRADIENT: case LO_SHADOW_BIAS: case HI_SHADOW_BIAS:
    case SHADOW_FILTER: case RAY_BIAS: case DL_SPOT_ROLL: case DL_SPOT_ASPECT: case DL_RAY_BIAS:
    case DL_INNER_RANGE: case DL_OUTER_RANGE: case DL_MULTIPLIER: case MAT_WIRESIZE: case MAT_MAP_TEXBLUR:
    case MAT_MAP_USCALE: case MAT_MAP_VSCALE: case MAT_MAP_UOFFSET: case MAT_MAP_VOFFSET: case MAT_MAP_ANG:
    case MORPH_SMOOTH:
      return Record(ReadSingle());
    case MESH_COLOR:
      return Record(ReadByte());
    case BIT_MAP: case VIEW_CAMERA: case NAMED_OBJECT: case PROC_NAME: case DL_SPOT_PROJECTOR: case DL_EXCLUDE:
    case XDATA_APPNAME: case XDATA_STRING: case MAT_NAME: case MAT_MAPNAME: case INSTANCE_NAME:
      return Record(ReadString());
    case O_CONSTS: case N_DIRECT_LIGHT: case PIVOT:
      return Record(ReadPoint());
    case FOG: case DISTANCE_CUE: {
      TFog3DS fog;
      fog.NearPlane = ReadSingle();
      fog.NearDensity = ReadSingle();
      fog.FarPlane = ReadSingle();
      fog.FarDensity = ReadSingle();
      return Record(fog);
    }
    case LAYER_FOG: {
      TLayerFog3DS fog;
      fog.ZMin = ReadSingle();
      fog.ZMax = ReadSingle();
      fog.Density = ReadSingle();
      fog.Flags = ReadCardinal();
      return Record(fog);
    }
    case VIEW_TOP: case VIEW_BOTTOM: case VIEW_LEFT: case VIEW_RIGHT: case VIEW_FRONT: case VIEW_BACK: {
      TViewStandard3DS view;
      view.ViewWidth = ReadSingle();
      view.Target = ReadPoint();
      return Record(view);
    }
    case VIEW_USER: {
      TViewUser3DS view;
      view.ViewWidth = ReadSingle();
      view.XYViewAngle = ReadSingle();
      view.YZViewAngle = ReadSingle();
      view.BankAngle = ReadSingle();
      view.Target = ReadPoint();
      return Record(view);
    }
    case POINT_ARRAY:
      return Record(ReadArray<TPoint3DS>(ReadWord()));
    case POINT_FLAG_ARRAY:
      return Record(ReadArray<std::uint16_t>(ReadWord()));
    case FACE_ARRAY:
      return Record(ReadArray<TFace3DS>(ReadWord()));
    case MSH_MAT_GROUP: {
      TMshMatGroup3DS group;
      group.MatName = ReadString();
      group.Faces = ReadArray<std::uint16_t>(ReadWord());
      return Record(std::move(group));
    }
    case TEX_VERTS:
      return Record(ReadArray<TTexVert3DS>(ReadWord()));
    case SMOOTH_GROUP:
      // One mask per face in a well-formed file; the count is what fits.
      return Record(ReadArray<std::uint32_t>((std::int64_t{chunk.Size} - 6) / 4));
    case MESH_MATRIX: {
      std::array<float, 12> m{};
      for (float& v : m) v = ReadSingle();
      return Record(m);
    }
    case MESH_TEXTURE_INFO: {
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
      return Record(info);
    }
    case MSH_BOXMAP: {
      std::array<std::string, 6> names;
      for (std::string& n : names) n = ReadString();
      return Record(std::move(names));
    }
    case DL_SPOTLIGHT: {
      TDlSpotlight3DS spot;
      spot.Target = ReadPoint();
      spot.Hotspot = ReadSingle();
      spot.Falloff = ReadSingle();
      return Record(spot);
    }
    case DL_LOCAL_SHADOW2: {
      TDlLocalShadow23DS shadow;
      shadow.Bias = ReadSingle();
      shadow.Filter = ReadSingle();
      shadow.MapSize = ReadShort();
      return Record(shadow);
    }
    case N_CAMERA: {
      TNCamera3DS camera;
      camera.Position = ReadPoint();
      camera.Target = ReadPoint();
      camera.Roll = ReadSingle();
      camera.Focal = ReadSingle();
      return Record(camera);
    }
    case CAM_RANGES: {
      TCamRanges3DS ranges;
      ranges.Near = ReadSingle();
      ranges.Far = ReadSingle();
      return Record(ranges);
    }
    case VIEWPORT_LAYOUT: {
      TViewportLayout3DS l;
      for (std::int16_t* v : {&l.Form, &l.Top, &l.Ready, &l.WState, &l.SwapWS, &l.SwapPort, &l.SwapCur}) *v = ReadShort();
      return Record(l);
    }
    case VIEWPORT_DATA: case VIEWPORT_DATA_3: {
      TViewportData3DS d;
      for (std::int16_t* v : {&d.Flags, &d.AxisLockout, &d.WinXPos, &d.WinYPos, &d.WinWidth, &d.WinHeight, &d.View})
        *v = ReadShort();
      d.Zoom = ReadSingle();
      d.WorldCenter = ReadPoint();
      d.HorizAng = ReadSingle();
      d.VertAng = ReadSingle();
      d.CamName = ReadString();
      return Record(std::move(d));
    }
    case VIEWPORT_SIZE: {
      TViewportSize3DS s;
      s.XPos = ReadWord();
      s.YPos = ReadWord();
      s.Width = ReadWord();
      s.Height = ReadWord();
      return Record(s);
    }
    case MAT_ACUBIC: {
      TMatAcubic3DS a;
      a.ShadeLevel = ReadByte();
      a.Antialias = ReadByte();
      a.Flags = ReadShort();
      a.MapSize = ReadCardinal();
      a.FrameInterval = ReadCardinal();
      return Record(a);
    }
    case KFSEG: {
      TKFSeg3DS seg;
      seg.First = ReadInteger();
      seg.Last = ReadInteger();
      return Record(seg);
    }
    case KFHDR: {
      TKFHdr3DS hdr;
      hdr.Revision = ReadShort();
      hdr.Filename = ReadString();
      hdr.AnimLength = ReadInteger();
      return Record(std::move(hdr));
    }
    case NODE_HDR: {
      TNodeHdr3DS hdr;
      hdr.ObjName = ReadString();
      hdr.Flags1 = ReadWord();
      hdr.Flags2 = ReadWord();
      hdr.ParentIndex = ReadShort();
      return Record(std::move(hdr));
    }
    case BOUNDBOX: {
      TBoundBox3DS box;
      box.Min = ReadPoint();
      box.Max = ReadPoint();
      return Record(box);
    }
    case POS_TRACK_TAG: case SCL_TRACK_TAG:
      return Record(ReadTrack<TPoint3DS>([this] { return ReadPoint(); }));
    case ROT_TRACK_TAG:
      return Record(ReadTrack<TKFRotKey3DS>([this] {
        TKFRotKey3DS key;
        key.Angle = ReadSingle();
        key.X = ReadSingle();
        key.Y = ReadSingle();
        key.Z = ReadSingle();
        return key;
      }));
    case COL_TRACK_TAG:
      return Record(ReadTrack<TFColor3DS>([this] { return ReadColorF(); }));
    case FOV_TRACK_TAG: case ROLL_TRACK_TAG: case HOT_TRACK_TAG: case FALL_TRACK_TAG:
      return Record(ReadTrack<float>([this] { return ReadSingle(); }));
    case MORPH_TRACK_TAG:
      return Record(ReadTrack<std::string>([this] { return ReadString(); }));
    case HIDE_TRACK_TAG:
      return Record(ReadTrack<TNoValue3DS>([] { return TNoValue3DS{}; }));
    default:
      break;
  }
  if (HasNoRecord(tag)) return nullptr;
  if (IsRawBlock(tag) || chunk.Size > 6) return Record(ReadArray<std::uint8_t>(std::int64_t{chunk.Size} - 6));
  return nullptr;
}

}  // namespace corvane
