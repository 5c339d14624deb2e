#include "platform/filters/mesh_binary_filter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/device.h"
#include "tests/support/kit/filter_files.h"
#include "tests/support/kit/filter_world.h"
#include "tests/support/kit/recording_device.h"

namespace corvane {
namespace {

using test::CountingMesh;
using test::MeshFileBytes;
using test::TMeshFile;

class MeshBinaryFilterTest : public ::testing::Test {
 protected:
  TMesh* Load(const std::string& name) { return w.Make<TMeshBinaryFilter>()->LoadFromFile(w.resMan, name); }
  void Save(const std::string& name, TMesh* mesh) { w.Make<TMeshBinaryFilter>()->SaveToFile(w.resMan, name, mesh); }
  // The file's vertex words as the mesh holds them.
  static std::vector<std::uint8_t> WordBytes(const TMeshFile& file) {
    std::vector<std::uint8_t> bytes(file.Words.size() * 4);
    if (!bytes.empty()) std::memcpy(bytes.data(), file.Words.data(), bytes.size());
    return bytes;
  }

  test::TFilterWorld w;
};

TEST_F(MeshBinaryFilterTest, EveryVertexFormatRoundTrips) {
  for (int f = vfVertex; f < vfNone; ++f) {
    const auto format = static_cast<TVertexFormat>(f);
    for (const TMeshFile& file : {CountingMesh(format, 4, true), CountingMesh(format, 5, false),
                                  CountingMesh(format, 3, true, 2)}) {
      SCOPED_TRACE(testing::Message() << "format " << f << ", frames " << file.FrameCount);
      w.Put("in.mesh", MeshFileBytes(file));
      w.world.log.Clear();
      TMesh* mesh = Load("in.mesh");
      ASSERT_NE(mesh, nullptr);
      EXPECT_EQ(w.world.log.Lines(), std::vector<std::string>{"(i) file was loaded in.mesh"});
      EXPECT_EQ(mesh->VertexFormat, format);
      EXPECT_EQ(mesh->VertexCount, static_cast<std::int32_t>(file.VertexCount));
      EXPECT_EQ(mesh->Indexed, file.Indexed);
      EXPECT_EQ(mesh->Animated, file.Animated);
      EXPECT_EQ(mesh->FrameCount, static_cast<std::int32_t>(file.FrameCount));
      EXPECT_EQ(mesh->Bounds, file.Bounds);
      EXPECT_EQ(mesh->VertexData, WordBytes(file));
      EXPECT_EQ(mesh->IndexData, file.Indices);
      Save("out.mesh", mesh);
      EXPECT_EQ(w.Bytes("out.mesh"), w.Bytes("in.mesh"));
      w.device->DestroyMesh(mesh);
    }
  }
}

TEST_F(MeshBinaryFilterTest, AnimationsAndFramesAreKept) {
  // Three frames of ten vfVertexNormal vertices: 180 vertex words.
  TMeshFile file = CountingMesh(vfVertexNormal, 10, true, 3);
  ASSERT_EQ(file.Words.size(), 180u);
  file.Animations = {{"walk", 0, 1, 7.5f}, {"", 2, 2, 30}};
  w.Put("walk.mesh", MeshFileBytes(file));
  TMesh* mesh = Load("walk.mesh");
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(mesh->Animations.size(), 2u);
  EXPECT_EQ(mesh->Animations[0].Name, "walk");
  EXPECT_EQ(mesh->Animations[0].LastFrame, 1u);
  EXPECT_EQ(mesh->Animations[0].Speed, 7.5f);
  EXPECT_EQ(mesh->Animations[1].Name, "");
  EXPECT_EQ(mesh->VertexData.size(), 720u);
  EXPECT_EQ(mesh->LockedVertexCount, 30);
  Save("walk2.mesh", mesh);
  EXPECT_EQ(w.Bytes("walk2.mesh"), w.Bytes("walk.mesh")) << "the empty name as a zero length";
}

// A missing file is its caller's to report; another signature, or none,
// says so once and makes no mesh.
TEST_F(MeshBinaryFilterTest, MissingFilesAreQuietAndOtherSignaturesSaySo) {
  std::string other = MeshFileBytes(CountingMesh(vfVertex, 3, false));
  other[0] = 'm';
  w.Put("other.mesh", other);
  w.Put("short.mesh", "MESH");
  w.Put("empty.mesh", "");
  const std::size_t meshes = w.device->Meshes().size();  // the scratch mesh
  for (const char* name : {"none.mesh", "other.mesh", "short.mesh", "empty.mesh"})
    EXPECT_EQ(Load(name), nullptr) << name;
  for (const char* line : {"Can't load other.mesh: it is no .mesh file", "Can't load short.mesh: it is no .mesh file",
                           "Can't load empty.mesh: the file is empty"})
    EXPECT_EQ(w.world.log.CountError(line), 1) << line << "\n" << w.world.log.Text();
  EXPECT_EQ(w.world.log.ErrorCount(), 3) << w.world.log.Text();
  EXPECT_EQ(w.device->Meshes().size(), meshes);
}

TEST_F(MeshBinaryFilterTest, UntrustedCountsAreRefusedWithOneLineAndLeaveNoMesh) {
  struct Case {
    const char* name;
    TMeshFile file;
    const char* reason;
    std::size_t cut = 0;  // bytes taken off the end
    std::size_t patchAt = 0;  // a word put there when not 0
    std::uint32_t patch = 0;
  };
  TMeshFile format = CountingMesh(vfVertex, 3, false);
  format.Format = vfNone;
  TMeshFile frameless = CountingMesh(vfPixmapVertexNormal, 3, false, 1);
  frameless.FrameCount = 0;
  TMeshFile vertices = CountingMesh(vfColorVertex, 3, false);
  vertices.VertexCount = 0x40000000u;  // x 16 bytes wraps to 0 in 32 bits
  TMeshFile frames = CountingMesh(vfPixmapVertexNormal, 3, false, 1);
  frames.FrameCount = 0x7FFFFFFFu;
  TMeshFile animations = CountingMesh(vfVertex, 1, false);
  animations.Animations.push_back({std::string(5, 'a'), 0, 0, 1});
  TMeshFile index = CountingMesh(vfVertex, 3, true);
  index.Indices[1] = 3;
  TMeshFile big = CountingMesh(vfVertex, 3, false);
  big.VertexCount = 0x80000000u;
  const Case cases[] = {
      {"format.mesh", format, "vertex format 8"},
      {"frameless.mesh", frameless, "an animated mesh without frames"},
      {"vertices.mesh", vertices, "vertices (1073741824) beyond the end of the file"},
      {"frames.mesh", frames, "vertices (6442450941) beyond the end of the file"},
      {"index.mesh", index, "index 3 beyond 3 vertices"},
      {"big.mesh", big, "a count above 2^31"},
      {"indices.mesh", CountingMesh(vfVertex, 3, true), "indices (3) beyond the end of the file", 1},
      {"words.mesh", CountingMesh(vfVertexNormal, 2, false), "vertices (2) beyond the end of the file", 4},
      {"name.mesh", animations, "a name (2147483647) beyond the end of the file", 0, 547, 0x7FFFFFFFu},
      {"count.mesh", animations, "animations (1) beyond the end of the file", 4 + 5 + 12 + 24 + 12},
      {"header.mesh", animations, "the file ends early", 0, 0, 0},
  };
  const std::size_t meshes = w.device->Meshes().size();
  const std::int32_t stores = w.device->LiveMeshStores();
  for (const Case& c : cases) {
    std::string bytes = MeshFileBytes(c.file);
    bytes.resize(std::string(c.name) == "header.mesh" ? 300 : bytes.size() - c.cut);
    if (c.patchAt)
      for (int i = 0; i < 4; ++i) bytes[c.patchAt + i] = static_cast<char>(c.patch >> (8 * i));
    w.Put(c.name, bytes);
    w.world.log.Clear();
    EXPECT_EQ(Load(c.name), nullptr) << c.name;
    EXPECT_EQ(w.world.log.Lines(), std::vector<std::string>{std::string("(e) Can't load ") + c.name + ": " + c.reason});
  }
  EXPECT_EQ(w.device->Meshes().size(), meshes);
  EXPECT_EQ(w.device->LiveMeshStores(), stores);
}

TEST_F(MeshBinaryFilterTest, EveryTruncationAndMutationEndsCleanly) {
  TMeshFile file = CountingMesh(vfPixmapVertexNormal, 3, true, 2);
  file.Animations = {{"run", 0, 1, 10}};
  const std::string good = MeshFileBytes(file);
  std::vector<std::string> inputs;
  for (std::size_t size = 0; size < good.size(); ++size) inputs.push_back(good.substr(0, size));
  // Where the counts lie: the header words, the animation entry.
  std::vector<std::size_t> counts;
  for (std::size_t at = 7; at < 23; ++at) counts.push_back(at);
  for (std::size_t at = 535; at < 535 + 12 + 4 + 3 + 12; ++at) counts.push_back(at);
  const std::size_t meshes = w.device->Meshes().size();
  std::mt19937 random(23);
  for (int i = 0; i < 400; ++i) {
    std::string mutated = good;
    const std::size_t at = random() % 4 ? counts[random() % counts.size()] : random() % mutated.size();
    mutated[at] = static_cast<char>(random());
    if (random() % 3 == 0) mutated.resize(random() % mutated.size());
    inputs.push_back(mutated);
  }
  for (const std::string& bytes : inputs) {
    w.Put("x.mesh", bytes);
    w.world.log.Clear();
    TMesh* mesh = Load("x.mesh");
    EXPECT_LE(w.world.log.Lines().size(), 1u);
    if (!mesh) continue;
    // What loads is whole: every index names a vertex.
    for (std::uint16_t index : mesh->IndexData) EXPECT_LT(index, mesh->VertexCount);
    w.device->DestroyMesh(mesh);
  }
  EXPECT_EQ(w.device->Meshes().size(), meshes);
}

TEST_F(MeshBinaryFilterTest, AMeshThatCannotBeReadBackIsNotWritten) {
  TMesh* mesh = w.device->CreateMesh(vfColorVertex, 8, true, 12, true, false, 0);
  void* data = nullptr;
  ASSERT_TRUE(w.device->LockMeshVertex(mesh, 4, data));
  w.device->UnlockMeshVertex(mesh);
  ASSERT_TRUE(w.device->LockMeshIndex(mesh, 6, data));
  w.device->UnlockMeshIndex(mesh);

  w.Put("kept.mesh", "old");
  w.device->FailLocks = true;
  Save("kept.mesh", mesh);
  EXPECT_EQ(w.Bytes("kept.mesh"), "old");
  w.device->FailLocks = false;

  // Saving reads the whole stores, but the mesh draws what it drew.
  Save("whole.mesh", mesh);
  const std::optional<std::string> bytes = w.Bytes("whole.mesh");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 7u + 16 + 512 + 12 + 24 + 8 * 16 + 12 * 2);
  EXPECT_EQ(mesh->LockedVertexCount, 4);
  EXPECT_EQ(mesh->LockedIndexCount, 6);
}

}  // namespace
}  // namespace corvane
