// Loading 3DS files: the engine's reader (load, then extract every mesh,
// material, camera and light) against lib3ds 1.3 loading the same files,
// and against reading the files' bytes alone. Each run reads its file from
// a warm page cache. The files are the test fixtures and a generated model
// of 60,000 vertices in six objects.
//
// Without lib3ds (Debian's lib3ds-dev) the comparison is left out.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/streams/memory_stream.h"
#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/file.h"
#include "formats/3ds/lights_cameras.h"
#include "formats/3ds/materials.h"
#include "formats/3ds/meshes.h"
#include "tests/formats/3ds/chunk_bytes.h"

#ifdef CORVANE_HAVE_LIB3DS
#include <lib3ds/file.h>
#include <lib3ds/mesh.h>
#endif

namespace {

using namespace corvane;
using namespace corvane::chunk3ds;
using namespace corvane::test3ds;

// Six grids of 100 x 100 vertices with texture coordinates, two triangles a
// cell, one material group and smoothing masks each.
std::string GeneratedModel() {
  std::string objects;
  for (int object = 0; object < 6; ++object) {
    std::string points = U16(10000), uvs = U16(10000);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x) {
        points += Floats({float(x), float(y), float(object)});
        uvs += Floats({x / 99.0f, y / 99.0f});
      }
    std::string faces, group, smooth;
    int count = 0;
    for (int y = 0; y < 99; ++y)
      for (int x = 0; x < 99; ++x) {
        const int v = y * 100 + x;
        faces += U16(v) + U16(v + 1) + U16(v + 101) + U16(7) + U16(v) + U16(v + 101) + U16(v + 100) + U16(7);
        group += U16(count) + U16(count + 1);
        smooth += U32(1) + U32(1);
        count += 2;
      }
    const std::string faceArray = Chunk(FACE_ARRAY, U16(count) + faces,
                                        {Chunk(MSH_MAT_GROUP, Str("Grid") + U16(count) + group), Chunk(SMOOTH_GROUP, smooth)});
    const std::string mesh = Chunk(N_TRI_OBJECT, {},
                                   {Chunk(POINT_ARRAY, points), Chunk(TEX_VERTS, uvs),
                                    Chunk(MESH_MATRIX, Floats({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0})), faceArray});
    objects += Chunk(NAMED_OBJECT, Str("Grid" + std::to_string(object)), {mesh});
  }
  const std::string material =
      Chunk(MAT_ENTRY, {}, {Chunk(MAT_NAME, Str("Grid")), Chunk(MAT_DIFFUSE, {}, {Chunk(COLOR_24, std::string("\x80\x80\x80", 3))})});
  return Chunk(M3DMAGIC, {}, {Chunk(M3D_VERSION, U32(3)), Chunk(MDATA, {}, {Chunk(MESH_VERSION, U32(3)), material, objects})});
}

struct TSamples {
  std::filesystem::path Folder;
  std::vector<std::string> Paths;

  TSamples() {
    Folder = std::filesystem::temp_directory_path() / ("corvane_3ds_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(Folder);
    for (const char* name : {"cube.3ds", "lights.3ds", "hierarchy.3ds", "project.prj", "library.mli", "boxes.3ds"})
      std::filesystem::copy_file(std::filesystem::path(CORVANE_3DS_FIXTURES) / name, Folder / name);
    const std::string model = GeneratedModel();
    TMemoryStream(std::span<const char>(model.data(), model.size())).SaveToFile((Folder / "model60k.3ds").string());
    for (const char* name : {"cube.3ds", "lights.3ds", "hierarchy.3ds", "project.prj", "library.mli", "boxes.3ds", "model60k.3ds"})
      Paths.push_back((Folder / name).string());
  }
  ~TSamples() { std::filesystem::remove_all(Folder); }
};

const TSamples& Samples() {
  static TSamples samples;
  return samples;
}

void SetLabel(benchmark::State& state) {
  state.SetLabel(std::filesystem::path(Samples().Paths[static_cast<std::size_t>(state.range(0))]).filename().string());
}

void BM_ReadBytes(benchmark::State& state) {
  const std::string& path = Samples().Paths[static_cast<std::size_t>(state.range(0))];
  for (auto _ : state) {
    TMemoryStream bytes;
    bytes.LoadFromFile(path);
    benchmark::DoNotOptimize(bytes.Memory());
  }
  SetLabel(state);
}

void BM_Corvane3DS(benchmark::State& state) {
  const std::string& path = Samples().Paths[static_cast<std::size_t>(state.range(0))];
  std::int64_t vertices = 0;
  for (auto _ : state) {
    TMemoryStream bytes;
    bytes.LoadFromFile(path);
    TFile3DS file(bytes);
    vertices = 0;
    if (file.GetDatabaseType() != dbMaterialFile) {
      TObjectList& objects = file.Objects();
      for (int i = 0; i < objects.GetMeshObjectCount(); ++i) vertices += objects.GetMesh(i)->VertexCount();
      for (int i = 0; i < objects.GetCamCount(); ++i) benchmark::DoNotOptimize(objects.GetCamera(i));
      for (int i = 0; i < objects.GetOmniCount(); ++i) benchmark::DoNotOptimize(objects.GetOmniLight(i));
      for (int i = 0; i < objects.GetSpotCount(); ++i) benchmark::DoNotOptimize(objects.GetSpotLight(i));
    }
    for (int i = 0; i < file.Materials().GetCount(); ++i) benchmark::DoNotOptimize(file.Materials().GetMaterial(i));
    benchmark::DoNotOptimize(vertices);
  }
  state.counters["vertices"] = static_cast<double>(vertices);
  SetLabel(state);
}

#ifdef CORVANE_HAVE_LIB3DS
void BM_Lib3ds(benchmark::State& state) {
  const std::string& path = Samples().Paths[static_cast<std::size_t>(state.range(0))];
  std::int64_t vertices = 0;
  for (auto _ : state) {
    Lib3dsFile* file = lib3ds_file_load(path.c_str());
    vertices = 0;
    if (file != nullptr) {
      for (Lib3dsMesh* m = file->meshes; m != nullptr; m = m->next) vertices += m->points;
      lib3ds_file_free(file);
    }
    benchmark::DoNotOptimize(vertices);
  }
  state.counters["vertices"] = static_cast<double>(vertices);
  SetLabel(state);
}
BENCHMARK(BM_Lib3ds)->DenseRange(0, 6);
#endif

BENCHMARK(BM_ReadBytes)->DenseRange(0, 6);
BENCHMARK(BM_Corvane3DS)->DenseRange(0, 6);

}  // namespace
