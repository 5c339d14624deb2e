// Files read, written back through the writers and read again: the same
// bytes, the same chunk tree and the same extracted records. Then what the
// writers refuse rather than write outside their field or stream.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "formats/3ds/chunk_data.h"
#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/file.h"
#include "formats/3ds/keyframer.h"
#include "formats/3ds/lights_cameras.h"
#include "formats/3ds/materials.h"
#include "formats/3ds/meshes.h"
#include "tests/formats/3ds/loaded_file.h"

namespace corvane {
namespace {

using namespace chunk3ds;
using namespace test3ds;

// Puts one decoded record through the writers, laid out as the reader
// reads it.
struct TRecordWriter {
  TFile3DS& out;
  void operator()(std::uint8_t v) { out.WriteByte(v); }
  void operator()(std::uint16_t v) { out.WriteWord(v); }
  void operator()(std::int16_t v) { out.WriteShort(v); }
  void operator()(std::uint32_t v) { out.WriteCardinal(v); }
  void operator()(std::int32_t v) { out.WriteInteger(v); }
  void operator()(float v) { out.WriteSingle(v); }
  void operator()(const std::string& v) { out.WriteString(v); }
  void operator()(const TPoint3DS& v) { out.WritePoint(v); }
  void operator()(const TTexVert3DS& v) { out.WriteTexVertex(v); }
  void operator()(const TFace3DS& v) { out.WriteFace(v); }
  void operator()(TNoValue3DS) {}
  void operator()(const TFColor3DS& v) { All(v.r, v.g, v.b); }
  void operator()(const TColor24& v) { All(v.r, v.g, v.b); }
  void operator()(const TKFRotKey3DS& v) { All(v.Angle, v.X, v.Y, v.Z); }
  void operator()(const TFog3DS& v) { All(v.NearPlane, v.NearDensity, v.FarPlane, v.FarDensity); }
  void operator()(const TLayerFog3DS& v) { All(v.ZMin, v.ZMax, v.Density, v.Flags); }
  void operator()(const TViewStandard3DS& v) { All(v.ViewWidth, v.Target); }
  void operator()(const TViewUser3DS& v) { All(v.ViewWidth, v.XYViewAngle, v.YZViewAngle, v.BankAngle, v.Target); }
  void operator()(const TMshMatGroup3DS& v) { All(v.MatName, v.Faces); }
  void operator()(const TMapInfo3DS& v) {
    All(v.MapType, v.TileX, v.TileY, v.IconPos, v.IconScaling, v.XMatrix, v.IconWidth, v.IconHeight, v.CylIconHeight);
  }
  void operator()(const TDlSpotlight3DS& v) { All(v.Target, v.Hotspot, v.Falloff); }
  void operator()(const TDlLocalShadow23DS& v) { All(v.Bias, v.Filter, v.MapSize); }
  void operator()(const TNCamera3DS& v) { All(v.Position, v.Target, v.Roll, v.Focal); }
  void operator()(const TCamRanges3DS& v) { All(v.Near, v.Far); }
  void operator()(const TViewportLayout3DS& v) { All(v.Form, v.Top, v.Ready, v.WState, v.SwapWS, v.SwapPort, v.SwapCur); }
  void operator()(const TViewportData3DS& v) {
    All(v.Flags, v.AxisLockout, v.WinXPos, v.WinYPos, v.WinWidth, v.WinHeight, v.View, v.Zoom, v.WorldCenter,
        v.HorizAng, v.VertAng, v.CamName);
  }
  void operator()(const TViewportSize3DS& v) { All(v.XPos, v.YPos, v.Width, v.Height); }
  void operator()(const TMatAcubic3DS& v) { All(v.ShadeLevel, v.Antialias, v.Flags, v.MapSize, v.FrameInterval); }
  void operator()(const TKFSeg3DS& v) { All(v.First, v.Last); }
  void operator()(const TKFHdr3DS& v) { All(v.Revision, v.Filename, v.AnimLength); }
  void operator()(const TNodeHdr3DS& v) { All(v.ObjName, v.Flags1, v.Flags2, v.ParentIndex); }
  void operator()(const TBoundBox3DS& v) { All(v.Min, v.Max); }
  template <class T, std::size_t N>
  void operator()(const std::array<T, N>& v) {
    for (const T& e : v) (*this)(e);
  }
  // Raw blocks and smoothing masks fill their chunk; other arrays are
  // counted by a word before them.
  template <class T>
  void operator()(const std::vector<T>& v) {
    if constexpr (std::is_same_v<T, std::uint8_t>) {
      out.WriteData(static_cast<std::int64_t>(v.size()), v.data());
      return;
    }
    if constexpr (!std::is_same_v<T, std::uint32_t>) out.WriteWord(static_cast<std::uint16_t>(v.size()));
    for (const T& e : v) (*this)(e);
  }
  template <class V>
  void operator()(const TTrack3DS<V>& track) {
    out.WriteTrackHeader(track.Header);
    for (std::size_t i = 0; i < track.Keys.size(); ++i) {
      out.WriteKeyHeader(track.Keys[i]);
      if constexpr (!std::is_same_v<V, TNoValue3DS>) (*this)(track.Values[i]);
    }
  }
  template <class... A>
  void All(const A&... values) {
    ((*this)(values), ...);
  }
  // True when chunk holds a record of one of the types.
  template <class... T>
  bool Record(TChunk3DS* chunk) {
    auto one = [&]<class R>() {
      const R* value = ChunkValue<R>(chunk);
      if (value != nullptr) (*this)(*value);
      return value != nullptr;
    };
    return (one.template operator()<T>() || ...);
  }
};

// False for a chunk the reader made (a parent name), which no file holds.
bool InFile(const TChunk3DS* chunk) { return !(chunk->Data && chunk->Data->Synthesised()); }

// Writes chunk's tree from source into out: each record through the
// writers, the bytes the reader keeps no record of (raw blocks, what lies
// between sub-chunks) as the file has them, each length patched in by
// FinishHeader.

void WriteTree(TLoaded& source, TChunk3DS* chunk, TFile3DS& out, TStream& stream) {
  const std::int64_t start = stream.Position();
  out.WriteHeader(chunk->Tag, 0);
  source.file.ReadChunkData(chunk);
  TRecordWriter writer{out};
  std::int64_t at = std::int64_t{chunk->Position} + 6;
  auto copyTo = [&](std::int64_t to) {
    out.WriteData(to - at, source.bytes.data() + at);
    at = to;
  };
  // A record stands for the chunk's own data, up to its first sub-chunk.
  if (writer.Record<std::int32_t, std::int16_t, std::uint16_t, std::uint8_t, float, std::string, TPoint3DS, TFColor3DS,
                    TColor24, TFog3DS, TLayerFog3DS, TViewStandard3DS, TViewUser3DS, std::vector<TPoint3DS>,
                    std::vector<std::uint16_t>, std::vector<TFace3DS>, std::vector<TTexVert3DS>,
                    std::vector<std::uint32_t>, TMshMatGroup3DS, std::array<float, 12>, TMapInfo3DS,
                    std::array<std::string, 6>, TDlSpotlight3DS, TDlLocalShadow23DS, TNCamera3DS, TCamRanges3DS,
                    TViewportLayout3DS, TViewportData3DS, TViewportSize3DS, TMatAcubic3DS, TKFSeg3DS, TKFHdr3DS,
                    TNodeHdr3DS, TBoundBox3DS, TPosTrack3DS, TRotTrack3DS, TColorTrack3DS, TFloatTrack3DS,
                    TMorphTrack3DS, THideTrack3DS>(chunk))
    at = chunk->Children() && InFile(chunk->Children()) ? std::int64_t{chunk->Children()->Position} : chunk->End();
  for (TChunk3DS* child = chunk->Children(); child != nullptr; child = child->Sibling()) {
    if (!InFile(child)) continue;
    copyTo(child->Position);
    WriteTree(source, child, out, stream);
    at = child->End();
  }
  copyTo(chunk->End());
  out.FinishHeader(start, stream.Position());
}

void ExpectSameTree(TChunk3DS* a, TChunk3DS* b) {
  for (; a != nullptr && b != nullptr; a = a->Sibling(), b = b->Sibling()) {
    EXPECT_EQ(a->Tag, b->Tag);
    EXPECT_EQ(a->Size, b->Size) << std::hex << a->Tag;
    EXPECT_EQ(a->Position, b->Position) << std::hex << a->Tag;
    ExpectSameTree(a->Children(), b->Children());
  }
  EXPECT_EQ(a, nullptr);
  EXPECT_EQ(b, nullptr);
}

// Every record of one kind the file holds, extracted from each.
template <class Count, class Get>
void ExpectSameRecords(TFile3DS& a, TFile3DS& b, Count count, Get get, const char* what) {
  ASSERT_EQ(count(a), count(b)) << what;
  for (int i = 0; i < count(a); ++i) EXPECT_TRUE(*get(a, i) == *get(b, i)) << what << " " << i;
}

// The committed fixtures, and files made here with the records they lack.
std::string FileBytes(std::string_view name) {
  if (name == "records") {
    const std::string mesh = Chunk(
        N_TRI_OBJECT, {},
        {Chunk(POINT_ARRAY, U16(1) + Floats({1, 2, 3})),
         Chunk(MESH_TEXTURE_INFO, U16(1) + Floats({2, 3, 1, 2, 3, 0.5f, 1, 0, 0, 0, 1, 0, 0, 0, 1, 4, 5, 6, 7, 8, 9})),
         Chunk(MSH_BOXMAP, Str("a") + Str("b") + Str("c") + Str("d") + Str("e") + Str("f")), Chunk(MESH_COLOR, "\x05"),
         Chunk(PROC_NAME, Str("twist")), Chunk(PROC_DATA, "xyz")});
    const std::string material =
        Chunk(MAT_ENTRY, {}, {Chunk(MAT_NAME, Str("m")), Chunk(MAT_ACUBIC, std::string("\x01\x02", 2) + U16(3) + U32(64) + U32(2)),
                              Chunk(MAT_TEXMAP, {}, {Chunk(MAT_MAPNAME, Str("t.png")), Chunk(MAT_MAP_TILING, U16(0x10))})});
    return Chunk(M3DMAGIC, {},
                 {Chunk(MDATA, {},
                        {Chunk(BIT_MAP, Str("sky.png")), Chunk(O_CONSTS, Floats({1, 2, 3})),
                         Chunk(LAYER_FOG, Floats({0, 10, 0.5f}) + U32(3)),
                         Chunk(DEFAULT_VIEW, {},
                               {Chunk(VIEW_TOP, Floats({5, 1, 2, 3})), Chunk(VIEW_USER, Floats({5, 10, 20, 30, 1, 2, 3}))}),
                         material, Chunk(NAMED_OBJECT, Str("Obj"), {mesh})})});
  }
  if (name == "extended data") {
    // Chunks the entry's reader drops stay in the bytes between its children.
    const std::string entry = Chunk(XDATA_ENTRY, {}, {Chunk(XDATA_APPNAME, Str("App")), Chunk(0x1234, "zz")});
    const std::string overlong = Chunk(XDATA_ENTRY, {}, {RawChunk(XDATA_STRING, 200) + Chunk(XDATA_LONG, U32(9))});
    return Chunk(M3DMAGIC, {}, {Chunk(MDATA, {}, {Chunk(XDATA_SECTION, {}, {entry, overlong}), Chunk(MESH_VERSION, U32(3))})});
  }
  return Fixture(name);
}

class RoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(RoundTrip, WrittenBackReadsTheSame) {
  TLoaded original(FileBytes(GetParam()));
  TMemoryStream stream;
  TFile3DS out;
  out.SetWriteStream(&stream);
  WriteTree(original, original.file.TopChunk(), out, stream);
  const std::string written(stream.Memory(), static_cast<std::size_t>(stream.Size()));
  EXPECT_TRUE(written == original.bytes);

  TLoaded again(written);
  ExpectSameTree(original.file.TopChunk(), again.file.TopChunk());
  TFile3DS& a = original.file;
  TFile3DS& b = again.file;
  ExpectSameRecords(a, b, [](TFile3DS& f) { return f.Materials().GetCount(); },
                    [](TFile3DS& f, int i) { return f.Materials().GetMaterial(i); }, "material");
  if (a.GetDatabaseType() == dbMaterialFile) return;  // a library holds materials alone
  ExpectSameRecords(a, b, [](TFile3DS& f) { return f.Objects().GetMeshObjectCount(); },
                    [](TFile3DS& f, int i) { return f.Objects().GetMesh(i); }, "mesh");
  ExpectSameRecords(a, b, [](TFile3DS& f) { return f.Objects().GetOmniCount(); },
                    [](TFile3DS& f, int i) { return f.Objects().GetOmniLight(i); }, "omni light");
  ExpectSameRecords(a, b, [](TFile3DS& f) { return f.Objects().GetSpotCount(); },
                    [](TFile3DS& f, int i) { return f.Objects().GetSpotLight(i); }, "spot light");
  ExpectSameRecords(a, b, [](TFile3DS& f) { return f.Objects().GetCamCount(); },
                    [](TFile3DS& f, int i) { return f.Objects().GetCamera(i); }, "camera");
  ExpectSameRecords(a, b, [](TFile3DS& f) { return f.KeyFramer().GetMeshMotionCount(); },
                    [](TFile3DS& f, int i) { return f.KeyFramer().GetMeshMotion(i); }, "mesh motion");
  ExpectSameRecords(a, b, [](TFile3DS& f) { return f.KeyFramer().GetOmniMotionCount(); },
                    [](TFile3DS& f, int i) { return f.KeyFramer().GetOmniLightMotion(i); }, "omni motion");
  ExpectSameRecords(a, b, [](TFile3DS& f) { return f.KeyFramer().GetSpotMotionCount(); },
                    [](TFile3DS& f, int i) { return f.KeyFramer().GetSpotLightMotion(i); }, "spot motion");
  ExpectSameRecords(a, b, [](TFile3DS& f) { return f.KeyFramer().GetCamMotionCount(); },
                    [](TFile3DS& f, int i) { return f.KeyFramer().GetCameraMotion(i); }, "camera motion");
  ExpectSameRecords(a, b, [](TFile3DS& f) { return f.KeyFramer().GetAmbientMotion() != nullptr ? 1 : 0; },
                    [](TFile3DS& f, int) { return f.KeyFramer().GetAmbientMotion(); }, "ambient motion");
  EXPECT_TRUE(a.KeyFramer().GetKFSets() == b.KeyFramer().GetKFSets());
}

INSTANTIATE_TEST_SUITE_P(Files, RoundTrip,
                         ::testing::Values("boxes.3ds", "cube.3ds", "facing.3ds", "hierarchy.3ds", "lights.3ds",
                                           "library.mli", "project.prj", "records", "extended data"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// Positions reach anywhere without memory; bytes are taken (and dropped)
// only up to room.
class TRoomStream : public TMemoryStream {
 public:
  explicit TRoomStream(std::int64_t room) : room_(room) {}
  std::int64_t Write(const void*, std::int64_t count) override {
    const std::int64_t taken = std::clamp<std::int64_t>(room_ - at_, 0, count);
    at_ += taken;
    end_ = std::max(end_, at_);
    return taken;
  }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    at_ = std::max<std::int64_t>(0, offset + (origin == soCurrent ? at_ : origin == soEnd ? end_ : 0));
    return at_;
  }
  std::int64_t Size() override { return end_; }

 private:
  std::int64_t room_, at_ = 0, end_ = 0;
};

TEST(ChunkWriters, NothingOutsideItsFieldOrStream) {
  auto error = [](auto&& call) -> std::string {
    try {
      call();
    } catch (const E3DSError& e) {
      return e.what();
    }
    return "none";
  };
  TMemoryStream stream;
  TFile3DS out;
  out.SetWriteStream(&stream);
  auto bytes = [&] { return std::string(stream.Memory(), static_cast<std::size_t>(stream.Size())); };
  // A fixed field is padded; text that would overrun it, or that holds the
  // terminator, is refused whole.
  out.WriteFixedString("abc", 5);
  EXPECT_EQ(error([&] { out.WriteFixedString("abcde", 5); }), Error3DSText(error3ds_string_too_long));
  EXPECT_EQ(error([&] { out.WriteString(std::string("a\0b", 3)); }), Error3DSText(error3ds_invalid_arg));
  EXPECT_EQ(bytes(), std::string("abc\0\0", 5));
  // A length is patched only into a header inside what was written.
  out.WriteHeader(M3DMAGIC, 0);
  out.WriteByte(1);
  for (auto [start, end] : {std::pair<std::int64_t, std::int64_t>{5, 9}, {5, 40}, {-2, 12}})
    EXPECT_EQ(error([&, start = start, end = end] { out.FinishHeader(start, end); }),
              Error3DSText(error3ds_invalid_arg))
        << start << " " << end;
  out.FinishHeader(5, 12);
  EXPECT_EQ(bytes(), std::string("abc\0\0", 5) + U16(M3DMAGIC) + U32(7) + "\x01");
  EXPECT_EQ(stream.Position(), 12);

  out.WriteDouble(1.5);  // the one writer no record uses
  EXPECT_EQ(bytes().substr(12), std::string("\0\0\0\0\0\0\xF8\x3F", 8));

  // A stream that takes fewer bytes, offsets past 32 bits, no stream.
  TRoomStream narrow(3);
  out.SetWriteStream(&narrow);
  EXPECT_THROW(out.WriteCardinal(7), E3DSWriteError);
  TRoomStream far(kMaxFileSize3DS * 2);
  out.SetWriteStream(&far);
  far.Seek(kMaxFileSize3DS - 3, soBeginning);
  out.WriteShort(7);
  EXPECT_THROW(out.WriteWord(7), E3DSWriteError);
  EXPECT_EQ(far.Position(), kMaxFileSize3DS - 1);
  out.SetWriteStream(nullptr);
  EXPECT_THROW(out.WriteByte(1), E3DSWriteError);
}

}  // namespace
}  // namespace corvane
