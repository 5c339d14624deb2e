#include <gtest/gtest.h>

#include <string>

#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/errors.h"
#include "formats/3ds/file.h"
#include "formats/3ds/meshes.h"
#include "tests/formats/3ds/loaded_file.h"

namespace corvane {
namespace {

using namespace chunk3ds;
using namespace test3ds;

TEST(Meshes, CubeAsTheFileStoresIt) {
  TLoaded cube(Fixture("cube.3ds"));
  TObjectList& objects = cube.file.Objects();
  ASSERT_EQ(objects.GetMeshObjectCount(), 1);  // the camera is not a mesh
  const TMesh3DS* mesh = objects.GetMesh(0);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->Name, "Cube Box");
  // Positions repeat at the texture seams: 24 vertices of 8 corners.
  EXPECT_EQ(mesh->VertexCount(), 24);
  EXPECT_EQ(mesh->VertexFlagCount(), 24);
  EXPECT_EQ(mesh->TexVertCount(), 24);
  EXPECT_EQ(mesh->FaceCount(), 12);
  EXPECT_EQ(mesh->Vertices[2], (TPoint3DS{1, 1, 0}));
  EXPECT_EQ(mesh->TexVerts[2], (TTexVert3DS{1, 1}));
  EXPECT_EQ(mesh->Faces[1], (TFace3DS{0, 2, 3, 7}));
  const std::array<float, 12> matrix = {1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 6, 7};
  EXPECT_EQ(mesh->LocalMatrix, matrix);
  ASSERT_EQ(mesh->MaterialGroupCount(), 1);
  EXPECT_EQ(mesh->MaterialGroups[0].Name, "Red Paint");
  EXPECT_EQ(mesh->MaterialGroups[0].NFaces(), 12);
  EXPECT_EQ(mesh->MaterialGroups[0].FaceIndex[11], 11);
  EXPECT_EQ(mesh->SmoothGroupCount(), 12u);
  EXPECT_EQ(mesh->SmoothGroup(11), 1u);
  EXPECT_EQ(mesh->SmoothGroup(12), 0u);  // past the stored masks
  EXPECT_FALSE(mesh->Hidden);
  EXPECT_FALSE(mesh->HasMapInfo);
  EXPECT_EQ(mesh->MapInfo.TileX, 1.0f);  // defaults of a mesh without map info
  // Extraction leaves no decoded data on the tree.
  EXPECT_EQ(FindChunk(cube.file.TopChunk(), POINT_ARRAY)->Data, nullptr);
  EXPECT_EQ(FindChunk(cube.file.TopChunk(), FACE_ARRAY)->Data, nullptr);
}

TEST(Meshes, ObjectsInFileOrderWithFlagsAndMissingParts) {
  TLoaded boxes(Fixture("boxes.3ds"));
  TObjectList& objects = boxes.file.Objects();
  ASSERT_EQ(objects.GetMeshObjectCount(), 4);
  struct Row {
    const char* name;
    int vertices;
    int texVerts;
    int faces;
    bool hidden;
  } rows[] = {
      {"Box One", 8, 8, 12, false},
      {"Box Two", 8, 0, 12, false},
      {"Hidden Box", 8, 0, 12, true},  // still counted and returned
      {"Stick", 2, 0, 0, false},
  };
  for (int i = 0; i < 4; ++i) {
    const TMesh3DS* mesh = objects.GetMesh(i);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->Name, rows[i].name);
    EXPECT_EQ(mesh->VertexCount(), rows[i].vertices) << rows[i].name;
    EXPECT_EQ(mesh->TexVertCount(), rows[i].texVerts) << rows[i].name;
    EXPECT_EQ(mesh->FaceCount(), rows[i].faces) << rows[i].name;
    EXPECT_EQ(mesh->Hidden, rows[i].hidden) << rows[i].name;
    EXPECT_EQ(mesh->MaterialGroupCount(), 0) << rows[i].name;
  }
  EXPECT_EQ(objects.GetMesh(0)->TexVert(0), (TTexVert3DS{0.25f, 0.25f}));
  EXPECT_EQ(objects.GetMesh(1)->TexVert(3), (TTexVert3DS{0, 0}));  // none stored
  EXPECT_EQ(objects.GetMesh(1)->Vertices[0], (TPoint3DS{3, 0, 0}));
  EXPECT_THROW(objects.GetMesh(4), std::out_of_range);
}

TEST(Meshes, EveryKindOfALargeFileIsTakenByIndexInFileOrder) {
  // Meshes, cameras, omni and spot lights interleaved, thousands of each:
  // the object cache takes each by its index, in file order, as the mesh
  // filter walks them.
  constexpr int kEach = 5000;
  std::string mdata;
  for (int i = 0; i < kEach; ++i) {
    const std::string n = std::to_string(i);
    mdata += Chunk(NAMED_OBJECT, Str("m" + n), {Chunk(N_TRI_OBJECT)});
    mdata += Chunk(NAMED_OBJECT, Str("c" + n), {Chunk(N_CAMERA, Floats({0, 0, 0, 1, 1, 1, 0, 50}))});
    mdata += Chunk(NAMED_OBJECT, Str("o" + n), {Chunk(N_DIRECT_LIGHT, Floats({0, 0, 0}))});
    mdata += Chunk(NAMED_OBJECT, Str("s" + n),
                   {Chunk(N_DIRECT_LIGHT, Floats({0, 0, 0}), {Chunk(DL_SPOTLIGHT, Floats({1, 1, 1, 44, 45}))})});
  }
  TLoaded loaded(Chunk(M3DMAGIC, {}, {Chunk(M3D_VERSION, U32(3)), Chunk(MDATA, mdata)}));
  TObjectList& objects = loaded.file.Objects();
  ASSERT_EQ(objects.GetMeshObjectCount(), kEach);
  ASSERT_EQ(objects.GetCamCount(), kEach);
  ASSERT_EQ(objects.GetOmniCount(), kEach);
  ASSERT_EQ(objects.GetSpotCount(), kEach);
  int wrong = 0;
  for (int i = 0; i < kEach; ++i) {
    const std::string n = std::to_string(i);
    wrong += objects.GetMesh(i)->Name != "m" + n;
    wrong += objects.GetCamera(i)->Name != "c" + n;
    wrong += objects.GetOmniLight(i)->Name != "o" + n;
    wrong += objects.GetSpotLight(i)->Name != "s" + n || !objects.GetSpotLight(i)->Spot;
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(GetMeshByIndex(loaded.file, kEach).Name, "");  // past the last: zeroed
  EXPECT_EQ(GetMeshByIndex(loaded.file, -1).Name, "");
}

TEST(Meshes, EachMeshIsReadOnce) {
  const std::string bytes = Fixture("cube.3ds");
  TCountingStream stream(std::span<const char>(bytes.data(), bytes.size()));
  TFile3DS file(stream);
  TMesh3DS* first = file.Objects().GetMesh(0);
  const int reads = stream.reads;
  EXPECT_EQ(file.Objects().GetMesh(0), first);
  EXPECT_EQ(stream.reads, reads);
}

TEST(Meshes, WrongDatabasesAndObjects) {
  TLoaded library(Fixture("library.mli"));
  try {
    library.file.Objects().GetMesh(0);
    GetMeshByIndex(library.file, 0);
    FAIL() << "a material library has no meshes to give";
  } catch (const E3DSError& e) {
    EXPECT_EQ(e.what(), Error3DSText(error3ds_wrong_database));
  }
  TFile3DS empty;
  try {
    GetMeshByIndex(empty, 0);
    FAIL();
  } catch (const E3DSError& e) {
    EXPECT_EQ(e.what(), Error3DSText(error3ds_invalid_database));
  }
  TLoaded cube(Fixture("cube.3ds"));
  try {
    ReadMeshFromObject(cube.file, FindNamedObjectByIndex(cube.file, N_CAMERA, 0));
    FAIL();
  } catch (const E3DSError& e) {
    EXPECT_EQ(e.what(), Error3DSText(error3ds_wrong_object));
  }
  // Past the meshes: a zeroed record, no error.
  EXPECT_EQ(GetMeshByIndex(cube.file, 5).VertexCount(), 0);
}

TEST(Meshes, ProjectFileMeshesAndAnEmptyMaterialGroup) {
  TLoaded project(Fixture("project.prj"));
  ASSERT_EQ(project.file.Objects().GetMeshObjectCount(), 1);
  EXPECT_EQ(project.file.Objects().GetMesh(0)->Name, "Crate");

  const std::string group = Chunk(MSH_MAT_GROUP, Str("Empty") + U16(0));
  const std::string faces = Chunk(FACE_ARRAY, U16(1) + U16(0) + U16(1) + U16(2) + U16(0), {group});
  const std::string points = Chunk(POINT_ARRAY, U16(3) + Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}));
  const std::string object = Chunk(NAMED_OBJECT, Str("Tri"), {Chunk(N_TRI_OBJECT, {}, {points, faces})});
  TMemoryStream stream = StreamOf(Chunk(M3DMAGIC, {}, {Chunk(MDATA, {}, {object})}));
  TFile3DS file(stream);
  const TMesh3DS* mesh = file.Objects().GetMesh(0);
  ASSERT_EQ(mesh->MaterialGroupCount(), 1);
  EXPECT_TRUE(mesh->MaterialGroups[0].FaceIndex.empty());
  EXPECT_EQ(mesh->SmoothGroupCount(), 0u);  // no SMOOTH_GROUP: every face reads 0
  EXPECT_EQ(mesh->SmoothGroup(0), 0u);
  EXPECT_TRUE(mesh->FaceInRange(mesh->Faces[0]));
}

TEST(Meshes, FailedExtractionKeepsNothingAndTriesAgain) {
  // A face count the chunk cannot hold is a read error out of GetMesh.
  const std::string faces = Chunk(FACE_ARRAY, U16(3) + U16(0) + U16(1));
  const std::string object = Chunk(NAMED_OBJECT, Str("Bad"), {Chunk(N_TRI_OBJECT, {}, {faces})});
  TMemoryStream stream = StreamOf(Chunk(M3DMAGIC, {}, {Chunk(MDATA, {}, {object})}));
  TFile3DS file(stream);
  ASSERT_EQ(file.Objects().GetMeshObjectCount(), 1);
  EXPECT_THROW(file.Objects().GetMesh(0), E3DSReadError);
  EXPECT_THROW(file.Objects().GetMesh(0), E3DSReadError);
}

}  // namespace
}  // namespace corvane
