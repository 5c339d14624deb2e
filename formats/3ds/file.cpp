#include "formats/3ds/file.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

#include "base/streams/stream.h"
#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/keyframer.h"
#include "formats/3ds/materials.h"
#include "formats/3ds/meshes.h"

namespace corvane {

using namespace chunk3ds;

namespace {

template <class T>
T LoadLittleEndian(const std::uint8_t* bytes) {
  using U = std::conditional_t<sizeof(T) == 1, std::uint8_t,
                               std::conditional_t<sizeof(T) == 2, std::uint16_t,
                                                  std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>>;
  U value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i) value |= static_cast<U>(U{bytes[i]} << (8 * i));
  return std::bit_cast<T>(value);
}

bool IsRootMagic(std::uint16_t tag) { return tag == M3DMAGIC || tag == CMAGIC || tag == MLIBMAGIC; }

}  // namespace

TFile3DS::TFile3DS()
    : objects_(std::make_unique<TObjectList>(*this)),
      materials_(std::make_unique<TMaterialList>(*this)),
      keyFramer_(std::make_unique<TKeyFramer>(*this)) {}

TFile3DS::TFile3DS(TStream& stream) : TFile3DS() { LoadFromStream(stream); }

TFile3DS::~TFile3DS() = default;

void TFile3DS::ReleaseDatabase() {
  objects_->ClearLists();
  materials_->ClearList();
  keyFramer_->ClearLists();
  database_ = TDatabase3DS();
}

void TFile3DS::LoadFromStream(TStream& stream) {
  ReleaseDatabase();
  stream_ = &stream;
  streamSize_ = std::max<std::int64_t>(0, stream.Size());
  try {
    WithNoMemError3DS([&] { CreateDatabase(); });
  } catch (...) {
    // A file that fails to load leaves an empty database, not half a tree.
    ReleaseDatabase();
    throw;
  }
}

void TFile3DS::SeekTo(std::int64_t position) {
  position_ = stream_->Seek(position, soBeginning);
}

void TFile3DS::CreateDatabase() {
  database_.TopChunk = std::make_unique<TChunk3DS>();
  TChunk3DS& root = *database_.TopChunk;
  limit_ = streamSize_;
  SeekTo(0);
  ReadHeader(root.Tag, root.Size);
  if (!IsRootMagic(root.Tag)) return;
  // A root longer than the stream is a truncated file: fail now rather than
  // hand out a tree whose payloads cannot be read.
  if (root.End() > streamSize_) throw E3DSReadError();
  if (onProgress_) onProgress_(0, streamSize_);
  ReadChildren(root, 0);
  ParseDatabase();
}

void TFile3DS::ReadChildren(TChunk3DS& chunk, int depth) {
  const std::int64_t end = chunk.End();
  limit_ = end;
  SeekChild(chunk);
  if (depth >= kMaxDepth3DS) return;
  while (position_ + 6 <= end) {
    const std::int64_t start = position_;
    if (onProgress_) onProgress_(start, 0);
    auto child = std::make_unique<TChunk3DS>();
    child->Position = static_cast<std::uint32_t>(start);
    ReadHeader(child->Tag, child->Size);
    // A length below the header's own would read the same header again.
    if (child->Size < 6) break;
    if (child->End() > end) child->Size = static_cast<std::uint32_t>(end - start);
    TChunk3DS* added = chunk.AddChild(std::move(child));
    if (added->Tag == XDATA_ENTRY) ReadXDataEntryChildren(*added, depth + 1);
    else ReadChildren(*added, depth + 1);
    limit_ = end;
    SeekTo(added->End());
  }
}

void TFile3DS::ReadXDataEntryChildren(TChunk3DS& chunk, int depth) {
  const std::int64_t end = chunk.End();
  limit_ = end;
  SeekChild(chunk);
  if (depth >= kMaxDepth3DS) return;
  while (position_ + 6 <= end) {
    auto child = std::make_unique<TChunk3DS>();
    child->Position = static_cast<std::uint32_t>(position_);
    ReadHeader(child->Tag, child->Size);
    if (child->Tag < XDATA_APPNAME || child->Tag > XDATA_RFU1) {
      // Anything but extended data ends the entry.
      SeekTo(end);
      return;
    }
    if (child->Size < 6) break;
    if (child->End() > end) continue;  // dropped; reading goes on behind its header
    TChunk3DS* added = chunk.AddChild(std::move(child));
    ReadXDataEntryChildren(*added, depth + 1);
    limit_ = end;
    SeekTo(added->End());
  }
}

void TFile3DS::SeekChild(TChunk3DS& chunk) {
  std::int64_t skip = 0;
  switch (chunk.Tag) {
    case M3DMAGIC: case CMAGIC: case MLIBMAGIC: case MDATA: case MATMAGIC: case SMAGIC: case LMAGIC:
    case SOLID_BGND: case AMBIENT_LIGHT: case DEFAULT_VIEW: case N_TRI_OBJECT: case XDATA_SECTION:
    case XDATA_ENTRY: case MAT_ENTRY: case MAT_AMBIENT: case MAT_DIFFUSE: case MAT_SPECULAR:
    case MAT_SHININESS: case MAT_SHIN2PCT: case MAT_SHIN3PCT: case MAT_TRANSPARENCY: case MAT_XPFALL:
    case MAT_REFBLUR: case MAT_SELF_ILPCT:
    case MAT_TEXMAP: case MAT_SPECMAP: case MAT_OPACMAP: case MAT_REFLMAP: case MAT_BUMPMAP:
    case MAT_TEX2MAP: case MAT_SHINMAP: case MAT_SELFIMAP: case MAT_TEXMASK: case MAT_TEX2MASK:
    case MAT_OPACMASK: case MAT_BUMPMASK: case MAT_SHINMASK: case MAT_SPECMASK: case MAT_SELFIMASK:
    case MAT_REFLMASK: case KFDATA: case AMBIENT_NODE_TAG: case OBJECT_NODE_TAG: case CAMERA_NODE_TAG:
    case TARGET_NODE_TAG: case LIGHT_NODE_TAG: case L_TARGET_NODE_TAG: case SPOTLIGHT_NODE_TAG:
      break;
    case COLOR_24: skip = 3; break;
    case INT_PERCENTAGE: case SHADOW_MAP_SIZE: case SHADOW_SAMPLES: case NODE_ID: skip = 2; break;
    case M3D_VERSION: case FLOAT_PERCENTAGE: case MASTER_SCALE: case V_GRADIENT: case LO_SHADOW_BIAS:
    case HI_SHADOW_BIAS: case MESH_VERSION: case KFCURTIME: case MORPH_SMOOTH: case 0xD000:  // VPDATA
      skip = 4;
      break;
    case NODE_HDR:
      ReadString();
      skip = 6;
      break;
    case KFSEG: skip = 8; break;
    case DL_LOCAL_SHADOW2: skip = 10; break;
    case COLOR_F: case O_CONSTS: case N_DIRECT_LIGHT: case MAT_ACUBIC: case PIVOT: skip = 12; break;
    case VIEWPORT_LAYOUT: skip = 14; break;
    case FOG: case DISTANCE_CUE: case LAYER_FOG: case VIEW_TOP: case VIEW_BOTTOM: case VIEW_LEFT:
    case VIEW_RIGHT: case VIEW_FRONT: case VIEW_BACK:
      skip = 16;
      break;
    case DL_SPOTLIGHT: skip = 20; break;
    case BOUNDBOX: skip = 24; break;
    case VIEW_USER: skip = 28; break;
    case N_CAMERA: skip = 32; break;
    case MESH_MATRIX: skip = 48; break;
    case BIT_MAP: case VIEW_CAMERA: case NAMED_OBJECT: case PROC_NAME: case MAT_NAME: case MAT_MAPNAME:
    case INSTANCE_NAME:
      ReadString();
      break;
    case KFHDR:
      ReadShort();
      ReadString();
      skip = 4;
      break;
    case FACE_ARRAY:
      skip = std::int64_t{ReadWord()} * 8;
      break;
    default:
      skip = chunk.End() - position_;
      break;
  }
  Skip(skip);
}

void TFile3DS::CheckFits(std::int64_t count, std::int64_t elementSize) const {
  if (count < 0 || elementSize <= 0 || count > BytesLeft() / elementSize) throw E3DSReadError();
}

void TFile3DS::ReadData(std::int64_t count, void* buffer) {
  if (count <= 0) return;
  CheckFits(count, 1);
  if (stream_->Read(buffer, count) != count) {
    // The stream gave fewer bytes than its size promised.
    position_ = stream_->Position();
    throw E3DSReadError();
  }
  position_ += count;
}

void TFile3DS::Skip(std::int64_t count) {
  // A skip may overshoot the bound: the tree reader then finds no children
  // and goes on at the chunk's end.
  if (count != 0) position_ = stream_->Seek(count, soCurrent);
}

std::uint8_t TFile3DS::ReadByte() {
  std::uint8_t b = 0;
  ReadData(1, &b);
  return b;
}

#define CORVANE_3DS_SCALAR_READER(Type, Name)   \
  Type TFile3DS::Name() {                       \
    std::uint8_t bytes[sizeof(Type)];           \
    ReadData(sizeof bytes, bytes);              \
    return LoadLittleEndian<Type>(bytes);       \
  }
CORVANE_3DS_SCALAR_READER(std::uint16_t, ReadWord)
CORVANE_3DS_SCALAR_READER(std::int16_t, ReadShort)
CORVANE_3DS_SCALAR_READER(std::uint32_t, ReadCardinal)
CORVANE_3DS_SCALAR_READER(std::int32_t, ReadInteger)
CORVANE_3DS_SCALAR_READER(float, ReadSingle)
CORVANE_3DS_SCALAR_READER(double, ReadDouble)
#undef CORVANE_3DS_SCALAR_READER

void TFile3DS::ReadHeader(std::uint16_t& tag, std::uint32_t& size) {
  std::uint8_t bytes[6];
  ReadData(6, bytes);
  tag = LoadLittleEndian<std::uint16_t>(bytes);
  size = LoadLittleEndian<std::uint32_t>(bytes + 2);
}

TPoint3DS TFile3DS::ReadPoint() {
  std::uint8_t bytes[12];
  ReadData(12, bytes);
  return {LoadLittleEndian<float>(bytes), LoadLittleEndian<float>(bytes + 4), LoadLittleEndian<float>(bytes + 8)};
}

TTexVert3DS TFile3DS::ReadTexVert() {
  std::uint8_t bytes[8];
  ReadData(8, bytes);
  return {LoadLittleEndian<float>(bytes), LoadLittleEndian<float>(bytes + 4)};
}

TFace3DS TFile3DS::ReadFace() {
  std::uint8_t bytes[8];
  ReadData(8, bytes);
  return {LoadLittleEndian<std::uint16_t>(bytes), LoadLittleEndian<std::uint16_t>(bytes + 2),
          LoadLittleEndian<std::uint16_t>(bytes + 4), LoadLittleEndian<std::uint16_t>(bytes + 6)};
}

TFColor3DS TFile3DS::ReadColorF() {
  std::uint8_t bytes[12];
  ReadData(12, bytes);
  return {LoadLittleEndian<float>(bytes), LoadLittleEndian<float>(bytes + 4), LoadLittleEndian<float>(bytes + 8)};
}

TTrackHeader3DS TFile3DS::ReadTrackHeader() {
  TTrackHeader3DS header;
  header.Flags = ReadWord();
  header.Nu1 = ReadCardinal();
  header.Nu2 = ReadCardinal();
  header.KeyCount = ReadCardinal();
  return header;
}

TKeyHeader3DS TFile3DS::ReadKeyHeader() {
  TKeyHeader3DS key;
  key.Time = ReadCardinal();
  key.RFlags = ReadWord();
  if (key.RFlags & 0x01) key.Tension = ReadSingle();
  if (key.RFlags & 0x02) key.Continuity = ReadSingle();
  if (key.RFlags & 0x04) key.Bias = ReadSingle();
  if (key.RFlags & 0x08) key.EaseTo = ReadSingle();
  if (key.RFlags & 0x10) key.EaseFrom = ReadSingle();
  return key;
}

std::string TFile3DS::ReadString() {
  std::string text;
  // Read in blocks up to the bound and stop at the terminator; the stream
  // then stands just behind it.
  char buffer[64];
  for (;;) {
    const std::int64_t want = std::min<std::int64_t>(sizeof buffer, BytesLeft());
    if (want <= 0) throw E3DSReadError();
    const std::int64_t got = stream_->Read(buffer, want);
    if (got <= 0) {
      position_ = stream_->Position();
      throw E3DSReadError();
    }
    const void* zero = std::memchr(buffer, 0, static_cast<std::size_t>(got));
    if (zero != nullptr) {
      const auto length = static_cast<const char*>(zero) - buffer;
      text.append(buffer, static_cast<std::size_t>(length));
      SeekTo(position_ + length + 1);
      return text;
    }
    text.append(buffer, static_cast<std::size_t>(got));
    position_ += got;
  }
}

TDBType3DS TFile3DS::GetDatabaseType() const {
  if (!database_.TopChunk) return dbUnknown;
  switch (database_.TopChunk->Tag) {
    case M3DMAGIC: return dbMeshFile;
    case CMAGIC: return dbProjectFile;
    case MLIBMAGIC: return dbMaterialFile;
    default: return dbUnknown;
  }
}

}  // namespace corvane
