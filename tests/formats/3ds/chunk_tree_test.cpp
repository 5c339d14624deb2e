#include <gtest/gtest.h>

#include <vector>

#include "formats/3ds/chunk_data.h"
#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/file.h"
#include "tests/formats/3ds/loaded_file.h"

namespace corvane {
namespace {

using namespace chunk3ds;
using namespace test3ds;

std::vector<std::uint16_t> ChildTags(TChunk3DS* chunk) {
  std::vector<std::uint16_t> tags;
  for (TChunk3DS* c = chunk ? chunk->Children() : nullptr; c != nullptr; c = c->Sibling()) tags.push_back(c->Tag);
  return tags;
}

TEST(ChunkTree, RootIdDecidesTheKindOfDatabase) {
  struct Row {
    std::uint16_t root;
    TDBType3DS type;
    bool hasChildren;
  } rows[] = {
      {M3DMAGIC, dbMeshFile, true},
      {CMAGIC, dbProjectFile, true},
      {MLIBMAGIC, dbMaterialFile, true},
      {M3D_VERSION, dbUnknown, false},  // a stray first chunk: a childless root, no error
  };
  for (const Row& r : rows) {
    const std::string bytes = Chunk(r.root, {}, {Chunk(M3D_VERSION, U32(3))});
    TMemoryStream stream = StreamOf(bytes);
    TFile3DS file(stream);
    ASSERT_NE(file.TopChunk(), nullptr);
    EXPECT_EQ(file.GetDatabaseType(), r.type) << std::hex << r.root;
    EXPECT_EQ(file.TopChunk()->Children() != nullptr, r.hasChildren) << std::hex << r.root;
    EXPECT_EQ(file.TopChunk()->Size, bytes.size());
  }
}

TEST(ChunkTree, HeadersInFileOrderPayloadsOnlyOnDemand) {
  TLoaded loaded(Fixture("cube.3ds"));
  TFile3DS& file = loaded.file;
  TChunk3DS* root = file.TopChunk();
  EXPECT_EQ(ChildTags(root), (std::vector<std::uint16_t>{M3D_VERSION, MDATA, KFDATA}));
  TChunk3DS* object = FindChunk(root, NAMED_OBJECT);
  ASSERT_NE(object, nullptr);
  // The name was stepped over: the object's first child follows it.
  EXPECT_EQ(object->Data, nullptr);
  EXPECT_EQ(object->Children()->Position, object->Position + 6 + std::string("Cube Box").size() + 1);
  EXPECT_EQ(*file.ChunkData<std::string>(object), "Cube Box");
  // The root's own length and the positions of its children.
  EXPECT_EQ(root->Children()->Position, 6u);
  EXPECT_EQ(root->Children()->Sibling()->Position, 6u + 10u);
  // A chunk whose data fills it (POINT_ARRAY) has no sub-chunks; a face
  // array holds its groups.
  EXPECT_EQ(FindChunk(root, POINT_ARRAY)->Children(), nullptr);
  EXPECT_EQ(ChildTags(FindChunk(root, FACE_ARRAY)), (std::vector<std::uint16_t>{MSH_MAT_GROUP, SMOOTH_GROUP}));
}

TEST(ChunkTree, FaceArraySubChunksAndSmoothingMaskCount) {
  const std::string faces = U16(2) + U16(0) + U16(1) + U16(2) + U16(0) + U16(2) + U16(1) + U16(3) + U16(0);
  // 18 bytes: 3 masks whatever the face count.
  const std::string smooth = Chunk(SMOOTH_GROUP, U32(1) + U32(2) + U32(4));
  const std::string bytes = Chunk(M3DMAGIC, {}, {Chunk(FACE_ARRAY, faces, {smooth})});
  TMemoryStream stream = StreamOf(bytes);
  TFile3DS file(stream);
  TChunk3DS* faceArray = FindChunk(file.TopChunk(), FACE_ARRAY);
  EXPECT_EQ(ChildTags(faceArray), std::vector<std::uint16_t>{SMOOTH_GROUP});
  auto* masks = file.ChunkData<std::vector<std::uint32_t>>(faceArray->Children());
  ASSERT_NE(masks, nullptr);
  EXPECT_EQ(*masks, (std::vector<std::uint32_t>{1, 2, 4}));
  auto* decoded = file.ChunkData<std::vector<TFace3DS>>(faceArray);
  ASSERT_NE(decoded, nullptr);
  ASSERT_EQ(decoded->size(), 2u);
  EXPECT_EQ((*decoded)[1], (TFace3DS{2, 1, 3, 0}));
}

TEST(ChunkTree, DecodedPayloadIsNotReadAgain) {
  const std::string bytes = Fixture("cube.3ds");
  TCountingStream stream(std::span<const char>(bytes.data(), bytes.size()));
  TFile3DS file(stream);
  TChunk3DS* points = FindChunk(file.TopChunk(), POINT_ARRAY);
  file.ReadChunkData(points);
  const int reads = stream.reads;
  file.ReadChunkData(points);
  EXPECT_EQ(stream.reads, reads);
  EXPECT_EQ(file.ChunkData<std::vector<TPoint3DS>>(points)->size(), 24u);
}

TEST(ChunkTree, ExtendedDataEntriesKeepOnlyExtendedData) {
  const std::string entry = Chunk(XDATA_ENTRY, {}, {Chunk(XDATA_APPNAME, Str("App")),
                                                   Chunk(0x1234, "zz"),  // ends the entry
                                                   Chunk(XDATA_STRING, Str("lost"))});
  // An extended-data chunk longer than its entry is dropped and reading
  // goes on behind its header.
  const std::string overlong =
      Chunk(XDATA_ENTRY, {}, {RawChunk(XDATA_STRING, 200) + Chunk(XDATA_LONG, U32(9))});
  const std::string bytes =
      Chunk(M3DMAGIC, {}, {Chunk(MDATA, {}, {Chunk(XDATA_SECTION, {}, {entry, overlong}), Chunk(MESH_VERSION, U32(3))})});
  TMemoryStream stream = StreamOf(bytes);
  TFile3DS file(stream);
  TChunk3DS* section = FindChunk(file.TopChunk(), XDATA_SECTION);
  ASSERT_EQ(ChildTags(section), (std::vector<std::uint16_t>{XDATA_ENTRY, XDATA_ENTRY}));
  EXPECT_EQ(ChildTags(section->Children()), std::vector<std::uint16_t>{XDATA_APPNAME});
  EXPECT_EQ(ChildTags(section->Children()->Sibling()), std::vector<std::uint16_t>{XDATA_LONG});
  // What follows the section is read as usual.
  EXPECT_EQ(ChildTags(FindChunk(file.TopChunk(), MDATA)), (std::vector<std::uint16_t>{XDATA_SECTION, MESH_VERSION}));
}

// Lengths from the file are never trusted: each step advances, nothing runs
// past its parent, and reading goes on at the end of each child.
TEST(ChunkTree, HostileLengthsStayInsideTheirParents) {
  const std::string version = Chunk(MESH_VERSION, U32(3));
  struct Row {
    const char* what;
    std::string mdataBody;
    std::vector<std::uint16_t> mdataChildren;
  } rows[] = {
      {"length 0 ends the list", version + RawChunk(0x1111, 0) + version, {MESH_VERSION}},
      {"length 3 ends the list", version + RawChunk(0x1111, 3) + version, {MESH_VERSION}},
      {"a child past its parent is cut", version + RawChunk(MASTER_SCALE, 5000, F32(2)), {MESH_VERSION, MASTER_SCALE}},
      // A face count far beyond the chunk: its sibling is still found.
      {"overshooting data", Chunk(FACE_ARRAY, U16(100)) + version, {FACE_ARRAY, MESH_VERSION}},
      // Trailing bytes too short for a header are skipped.
      {"a short tail", version + "abc", {MESH_VERSION}},
  };
  for (const Row& r : rows) {
    const std::string mdata = U16(MDATA) + U32(static_cast<std::uint32_t>(6 + r.mdataBody.size())) + r.mdataBody;
    const std::string bytes = Chunk(M3DMAGIC, {}, {mdata, Chunk(KFDATA)});
    TMemoryStream stream = StreamOf(bytes);
    TFile3DS file(stream);
    TChunk3DS* md = FindChunk(file.TopChunk(), MDATA);
    EXPECT_EQ(ChildTags(md), r.mdataChildren) << r.what;
    EXPECT_EQ(ChildTags(file.TopChunk()), (std::vector<std::uint16_t>{MDATA, KFDATA})) << r.what;
    for (TChunk3DS* c = md->Children(); c != nullptr; c = c->Sibling()) EXPECT_LE(c->End(), md->End()) << r.what;
  }
}

TEST(ChunkTree, TruncatedFileFailsToLoadAndLeavesNoTree) {
  const std::string bytes = Fixture("cube.3ds");
  TMemoryStream stream = StreamOf(std::string_view(bytes).substr(0, bytes.size() - 1));
  TFile3DS file;
  EXPECT_THROW(file.LoadFromStream(stream), E3DSReadError);
  EXPECT_EQ(file.TopChunk(), nullptr);
  EXPECT_EQ(file.GetDatabaseType(), dbUnknown);
  // Loading a whole file afterwards works.
  TMemoryStream whole = StreamOf(bytes);
  file.LoadFromStream(whole);
  EXPECT_EQ(file.GetDatabaseType(), dbMeshFile);
}

TEST(ChunkTree, ProgressReportsTheStartAndEveryHeader) {
  const std::string bytes = Chunk(M3DMAGIC, {}, {Chunk(M3D_VERSION, U32(3)), Chunk(MDATA, {}, {Chunk(MESH_VERSION, U32(3))})});
  TMemoryStream stream = StreamOf(bytes);
  TFile3DS file;
  std::vector<std::pair<std::int64_t, std::int64_t>> calls;
  file.SetOnProgress([&](std::int64_t position, std::int64_t total) { calls.emplace_back(position, total); });
  file.LoadFromStream(stream);
  EXPECT_EQ(calls, (std::vector<std::pair<std::int64_t, std::int64_t>>{
                       {0, static_cast<std::int64_t>(bytes.size())}, {6, 0}, {16, 0}, {22, 0}}));
}

TEST(ChunkTree, TypedReadersStopAtTheChunkEnd) {
  // Key header: time, flags 0x1F, then five singles in bit order.
  const std::string key = U32(40) + U16(0x1F) + Floats({0.1f, 0.2f, 0.3f, 0.4f, 0.5f});
  const std::string track = U16(0) + U32(7) + U32(9) + U32(1) + key + Floats({1, 2, 3});
  const std::string bytes = Chunk(M3DMAGIC, {}, {Chunk(POS_TRACK_TAG, track), Chunk(DL_EXCLUDE, "no end")});
  TMemoryStream stream = StreamOf(bytes);
  TFile3DS file(stream);
  auto* pos = file.ChunkData<TPosTrack3DS>(file.TopChunk()->Children());
  ASSERT_NE(pos, nullptr);
  EXPECT_EQ(pos->Header.Nu1, 7u);  // reserved words are kept, not checked
  ASSERT_EQ(pos->Keys.size(), 1u);
  EXPECT_EQ(pos->Keys[0].Time, 40u);
  EXPECT_FLOAT_EQ(pos->Keys[0].Continuity, 0.2f);
  EXPECT_FLOAT_EQ(pos->Keys[0].EaseFrom, 0.5f);
  EXPECT_EQ(pos->Values[0], (TPoint3DS{1, 2, 3}));
  // A name that runs to the chunk's end is a read error, not a read of
  // whatever follows; where the tree reader steps over a name, the load
  // fails the same way.
  EXPECT_THROW(file.ReadChunkData(file.TopChunk()->Children()->Sibling()), E3DSReadError);
  TMemoryStream unnamed = StreamOf(Chunk(M3DMAGIC, {}, {Chunk(NAMED_OBJECT, "no end"), Chunk(MDATA)}));
  EXPECT_THROW(file.LoadFromStream(unnamed), E3DSReadError);
}

TEST(ChunkTreeEditing, CanonicalRanksPlaceNewChunks) {
  TChunk3DS parent;
  parent.AddChild(std::make_unique<TChunk3DS>(M3D_VERSION, 10, 6));
  parent.AddChild(std::make_unique<TChunk3DS>(MDATA, 6, 16));
  AddNewChunkOrdered(POINT_ARRAY, &parent);  // rank 0: at the end
  AddNewChunkOrdered(KFDATA, &parent);       // in front of the first lower rank
  EXPECT_EQ(ChildTags(&parent), (std::vector<std::uint16_t>{KFDATA, M3D_VERSION, MDATA, POINT_ARRAY}));
  parent.AddChild(std::make_unique<TChunk3DS>(MESH_VERSION, 10, 0));  // appending still works
  EXPECT_EQ(ChildTags(&parent).back(), MESH_VERSION);
}

TEST(ChunkTreeEditing, CopyMovesPayloadsAndDeleteEmptiesInPlace) {
  TChunk3DS parent;
  TChunk3DS* a = parent.AddChild(std::make_unique<TChunk3DS>(NAMED_OBJECT, 20, 6));
  a->Data = std::make_unique<TChunkRecord3DS<std::string>>("read");
  TChunk3DS* made = a->AddChild(std::make_unique<TChunk3DS>(PARENT_NAME, 12, 0));
  made->Data = std::make_unique<TChunkRecord3DS<std::string>>("made", true);
  a->AddChild(std::make_unique<TChunk3DS>(N_TRI_OBJECT, 6, 14));
  parent.AddChild(std::make_unique<TChunk3DS>(MDATA, 6, 26));

  std::unique_ptr<TChunk3DS> copy = CopyChunk(a);
  EXPECT_EQ(copy->Tag, NAMED_OBJECT);
  EXPECT_EQ(copy->Size, 20u);
  EXPECT_EQ(copy->Sibling(), nullptr);  // the copy is the chunk's own tree
  EXPECT_EQ(ChildTags(copy.get()), (std::vector<std::uint16_t>{PARENT_NAME, N_TRI_OBJECT}));
  EXPECT_EQ(*ChunkValue<std::string>(copy.get()), "read");
  EXPECT_EQ(a->Data, nullptr);  // moved: it can be decoded from the file again
  // What no file holds is copied, so the original keeps it.
  EXPECT_EQ(*ChunkValue<std::string>(made), "made");
  EXPECT_EQ(*ChunkValue<std::string>(copy->Children()), "made");

  DeleteChunk(a);
  EXPECT_EQ(a->Tag, 0);
  EXPECT_EQ(a->Children(), nullptr);
  EXPECT_EQ(ChildTags(&parent), (std::vector<std::uint16_t>{0, MDATA}));

  try {
    CopyChunk(nullptr);
    FAIL();
  } catch (const E3DSError& e) {
    EXPECT_EQ(e.what(), Error3DSText(error3ds_invalid_arg));
  }
}

TEST(ChunkTreeEditing, InitChunkDataMakesTheRecordTheIdReadsInto) {
  TChunk3DS points(POINT_ARRAY, 20, 0), entry(XDATA_ENTRY, 6, 0), container(MDATA, 20, 0), track(ROT_TRACK_TAG, 0, 0);
  points.Data = std::make_unique<TChunkRecord3DS<std::string>>("old");
  TChunkData3DS* made = InitChunkData(&points);
  EXPECT_EQ(made, points.Data.get());
  ASSERT_NE(ChunkValue<std::vector<TPoint3DS>>(&points), nullptr);
  EXPECT_TRUE(ChunkValue<std::vector<TPoint3DS>>(&points)->empty());
  InitChunkData(&entry);  // raw bytes even when empty
  EXPECT_NE(ChunkValue<TRawData3DS>(&entry), nullptr);
  InitChunkData(&track);
  EXPECT_NE(ChunkValue<TRotTrack3DS>(&track), nullptr);
  EXPECT_EQ(InitChunkData(&container), nullptr);
  EXPECT_EQ(container.Data, nullptr);
}

}  // namespace
}  // namespace corvane
