#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "formats/3ds/chunk_data.h"
#include "formats/3ds/chunk_ids.h"
#include "platform/filters/mesh_3ds_filter.h"
#include "tests/formats/3ds/chunk_bytes.h"
#include "tests/platform/filters/model_filter_kit.h"

namespace corvane {
namespace {

using namespace chunk3ds;
using namespace test3ds;

// A mesh file of named objects, each with its points, texture vertices and
// faces (chunks left out when empty).
struct TObject {
  std::string name;
  std::vector<TPoint3DS> points;
  std::vector<TTexVert3DS> uvs;
  std::vector<TFace3DS> faces;
};

std::string MeshFile(const std::vector<TObject>& objects) {
  std::string mdata;
  for (const TObject& o : objects) {
    std::string points = U16(static_cast<std::uint16_t>(o.points.size()));
    for (const TPoint3DS& p : o.points) points += Floats({p.x, p.y, p.z});
    std::string parts = Chunk(POINT_ARRAY, points);
    if (!o.uvs.empty()) {
      std::string uvs = U16(static_cast<std::uint16_t>(o.uvs.size()));
      for (const TTexVert3DS& uv : o.uvs) uvs += Floats({uv.u, uv.v});
      parts += Chunk(TEX_VERTS, uvs);
    }
    if (!o.faces.empty()) {
      std::string faces = U16(static_cast<std::uint16_t>(o.faces.size()));
      for (const TFace3DS& f : o.faces) faces += U16(f.V1) + U16(f.V2) + U16(f.V3) + U16(f.Flag);
      parts += Chunk(FACE_ARRAY, faces);
    }
    mdata += Chunk(NAMED_OBJECT, Str(o.name), {Chunk(N_TRI_OBJECT, parts)});
  }
  return Chunk(M3DMAGIC, {}, {Chunk(MDATA, mdata)});
}

float Length(const TVertex& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

class Mesh3DSFilterTest : public test::ModelFilterTest {
 protected:
  Mesh3DSFilterTest() {
    for (const char* name : {"boxes.3ds", "cube.3ds"}) files.Put(name, Fixture(name));
    world.log.Clear();
  }
  TMesh* Load(const std::string& name) { return ModelFilterTest::Load<TMesh3DSFilter>(name); }
  std::vector<TPixmapVertexNormal> Vertices(const TMesh& mesh) { return VerticesOf<TPixmapVertexNormal>(mesh); }
};

TEST_F(Mesh3DSFilterTest, VisibleObjectsMergeIntoOneStaticMesh) {
  // Two boxes of 8 vertices, the second without texture vertices; a hidden
  // box and a 2-vertex stick are left out.
  TMesh* mesh = Load("boxes.3ds");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(world.log.CountInfo("3ds mesh was loaded"), 1) << world.log.Text();
  EXPECT_EQ(Errors(), 0);
  EXPECT_FALSE(mesh->Animated);
  EXPECT_EQ(mesh->FrameCount, 0);
  EXPECT_EQ(mesh->VertexFormat, vfPixmapVertexNormal);
  ASSERT_EQ(mesh->VertexCount, 16);
  ASSERT_EQ(mesh->IndexCount, 72);
  for (std::size_t i = 0; i < 36; ++i) EXPECT_EQ(mesh->IndexData[36 + i], mesh->IndexData[i] + 8) << i;
  EXPECT_EQ((std::vector<std::uint16_t>(mesh->IndexData.begin(), mesh->IndexData.begin() + 3)),
            (std::vector<std::uint16_t>{0, 1, 3}));

  const std::vector<TPixmapVertexNormal> v = Vertices(*mesh);
  EXPECT_EQ(v[0].tex, (TTexVector{0.25f, 0.75f}));
  EXPECT_EQ(v[1].tex, (TTexVector{0.5f, 0.5f}));
  EXPECT_EQ(v[12].tex, (TTexVector{0, 0}));
  EXPECT_EQ(v[15].position, (TVertex{4, 1, 1}));
  // Corner 0 keeps the normal of the last face using it, (0, 6, 4), on the
  // side from which its corners turn counter-clockwise.
  EXPECT_EQ(v[0].normal, (TVertex{1, 0, 0}));
  for (const TPixmapVertexNormal& vertex : v) EXPECT_NEAR(Length(vertex.normal), 1, 1e-6);
  EXPECT_EQ(mesh->Bounds, (TAABB{{0, 0, 0, 1}, {4, 1, 1, 1}}));

  TMesh* cube = Load("cube.3ds");
  ASSERT_NE(cube, nullptr);
  EXPECT_EQ(cube->VertexCount, 24);
  EXPECT_EQ(cube->IndexCount, 36);
}

TEST_F(Mesh3DSFilterTest, ModelScaleScalesPositionsAndBounds) {
  SetModelScale(2);
  TMesh* mesh = Load("boxes.3ds");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(Vertices(*mesh)[7].position, (TVertex{2, 2, 2}));
  EXPECT_EQ(mesh->Bounds, (TAABB{{0, 0, 0, 1}, {8, 2, 2, 1}}));
}

TEST_F(Mesh3DSFilterTest, FilesWithoutMeshesGiveAnEmptyMesh) {
  files.Put("empty.3ds", Chunk(M3DMAGIC, {}, {Chunk(MDATA)}));
  TMesh* mesh = Load("empty.3ds");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->VertexCount, 0);
  EXPECT_EQ(mesh->IndexCount, 0);
  EXPECT_EQ(mesh->Bounds, (TAABB{{65535, 65535, 65535, 1}, {-65535, -65535, -65535, 1}}));
  EXPECT_EQ(Errors(), 0);
  world.log.Clear();
  EXPECT_EQ(Load("gone.3ds"), nullptr);
  EXPECT_TRUE(world.log.Lines().empty()) << world.log.Text();
}

TEST_F(Mesh3DSFilterTest, AClosingProgramStopsTheLoadBetweenObjects) {
  // Tens of thousands of objects are taken one by one; a close request
  // between two of them ends the load with nothing made.
  std::vector<TObject> objects(40000);
  for (std::size_t i = 0; i < objects.size(); ++i) {
    objects[i].name = "o" + std::to_string(i);
    if (i % 1000 == 0) objects[i].points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  }
  files.Put("many.3ds", MeshFile(objects));
  TMesh* mesh = Load("many.3ds");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->VertexCount, 3 * 40);
  const std::size_t meshes = device->Meshes().size();
  world.log.Clear();
  world.Platform().closeRequested = true;
  EXPECT_EQ(Load("many.3ds"), nullptr);
  world.Platform().closeRequested = false;
  EXPECT_EQ(world.log.Lines(), std::vector<std::string>{"(e) Can't load mesh many.3ds: the program is closing"});
  EXPECT_EQ(device->Meshes().size(), meshes);
}

TEST_F(Mesh3DSFilterTest, EveryTruncationIsOneErrorLineAndNoMesh) {
  const std::string whole = Fixture("boxes.3ds");
  const std::size_t meshes = device->Meshes().size();
  for (std::size_t size = 0; size < whole.size(); ++size) {
    files.Put("x.3ds", whole.substr(0, size));
    world.log.Clear();
    ASSERT_EQ(Load("x.3ds"), nullptr) << size;
    ASSERT_EQ(Errors(), 1) << size << "\n" << world.log.Text();
    ASSERT_TRUE(world.log.Contains("Can't load mesh x.3ds: ")) << world.log.Text();
  }
  EXPECT_EQ(device->Meshes().size(), meshes);
}

TEST_F(Mesh3DSFilterTest, SeededMutationsEndCleanly) {
  std::mt19937 random(4321);
  for (const char* name : {"boxes.3ds", "cube.3ds"}) {
    const std::string whole = Fixture(name);
    for (int round = 0; round < 500; ++round) {
      std::string bytes = whole;
      for (int i = 0; i < 3; ++i) bytes[random() % bytes.size()] = static_cast<char>(random());
      files.Put("x.3ds", bytes);
      world.log.Clear();
      TMesh* mesh = Load("x.3ds");
      // A refusal is one line; a mesh may come with a line for skipped faces
      // and one for the vertex limit.
      ASSERT_LE(Errors(), mesh ? 2 : 1) << name << " round " << round << "\n" << world.log.Text();
      if (mesh) {
        for (const std::uint16_t index : mesh->IndexData) ASSERT_LT(index, mesh->VertexCount);
        device->DestroyMesh(mesh);
      }
    }
  }
}

TEST_F(Mesh3DSFilterTest, FacesAndCoordinatesTheFileLacksAreSkippedOrZero) {
  // Face 1 names vertex 7 of 3; one texture vertex for three vertices; a
  // face on one line has no normal.
  files.Put("odd.3ds", MeshFile({{"Odd",
                                  {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}},
                                  {{0.5f, 0.25f}},
                                  {{0, 1, 2, 0}, {0, 1, 7, 0}}}}));
  TMesh* mesh = Load("odd.3ds");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->IndexData, (std::vector<std::uint16_t>{0, 1, 2}));
  EXPECT_EQ(world.log.CountError("3ds mesh odd.3ds: faces naming missing vertices were skipped"), 1)
      << world.log.Text();
  const std::vector<TPixmapVertexNormal> v = Vertices(*mesh);
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0].tex, (TTexVector{0.5f, 0.75f}));
  EXPECT_EQ(v[2].tex, (TTexVector{0, 0}));
  for (const TPixmapVertexNormal& vertex : v) EXPECT_EQ(vertex.normal, (TVertex{0, 0, 0}));
}

TEST_F(Mesh3DSFilterTest, MergingStopsBeforeSixteenBitIndicesRunOut) {
  const std::vector<TPoint3DS> many(40000, TPoint3DS{1, 2, 3});
  files.Put("big.3ds", MeshFile({{"First", many, {}, {{0, 1, 39999, 0}}},
                                 {"Second", many, {}, {{0, 1, 2, 0}}}}));
  TMesh* mesh = Load("big.3ds");
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->VertexCount, 40000);
  EXPECT_EQ(mesh->IndexData, (std::vector<std::uint16_t>{0, 1, 39999}));
  EXPECT_EQ(Errors(), 1) << world.log.Text();
  EXPECT_TRUE(world.log.Contains("3ds mesh big.3ds holds more than 65535 vertices")) << world.log.Text();
}

TEST_F(Mesh3DSFilterTest, SavingDoesNothing) {
  TMesh* mesh = Load("cube.3ds");
  TOwned<TMesh3DSFilter> filter(Create<TMesh3DSFilter>(TCreateContext(world.applet)));
  filter->SaveToFile(&files, "saved.3ds", mesh);
  EXPECT_EQ(files.writes, 0);
  EXPECT_FALSE(files.StreamExists("saved.3ds"));
}

}  // namespace
}  // namespace corvane
