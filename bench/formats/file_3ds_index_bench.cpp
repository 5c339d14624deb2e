// Taking every object of a 3DS file by index, as the mesh filter does:
// N empty meshes, N cameras, N camera keyframe nodes, each at two sizes ten
// times apart. Each object is found through the file's lists once they are
// built, so the larger file must cost about ten times the smaller, not a
// hundred.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/support/counted.h"
#include "formats/3ds/chunk_ids.h"
#include "formats/3ds/keyframer.h"
#include "formats/3ds/lights_cameras.h"
#include "formats/3ds/meshes.h"
#include "tests/formats/3ds/loaded_file.h"

namespace corvane {
namespace {

using namespace chunk3ds;
using namespace test3ds;

std::string Named(int i, const std::string& body) { return Chunk(NAMED_OBJECT, Str("o" + std::to_string(i)) + body); }

std::string File(const std::string& mdata, const std::string& kfdata = {}) {
  std::string body = Chunk(M3D_VERSION, U32(3)) + Chunk(MDATA, mdata);
  if (!kfdata.empty()) body += Chunk(KFDATA, kfdata);
  return Chunk(M3DMAGIC, body);
}

std::string EmptyMeshes(int n) {
  std::string mdata;
  for (int i = 0; i < n; ++i) mdata += Named(i, Chunk(N_TRI_OBJECT));
  return File(mdata);
}

std::string Cameras(int n) {
  std::string mdata;
  for (int i = 0; i < n; ++i) mdata += Named(i, Chunk(N_CAMERA, Floats({0, 0, 0, 1, 1, 1, 0, 50})));
  return File(mdata);
}

std::string CameraNodes(int n) {
  std::string nodes;
  for (int i = 0; i < n; ++i)
    nodes += Chunk(CAMERA_NODE_TAG, {}, {Chunk(NODE_ID, U16(static_cast<std::uint16_t>(i))),
                                         Chunk(NODE_HDR, Str("c" + std::to_string(i)) + U16(0) + U16(0) + U16(0xFFFF))});
  return File({}, nodes);
}

template <class Take>
void ByIndex(benchmark::State& state, std::string (*make)(int), Take take) {
  const std::string bytes = make(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    bench::TCounted counted(state);
    TLoaded loaded(bytes);
    const int taken = take(loaded.file);
    if (taken != state.range(0)) {
      state.SkipWithError("objects missing");
      break;
    }
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}

void MeshesByIndex(benchmark::State& state) {
  ByIndex(state, EmptyMeshes, [](TFile3DS& file) {
    TObjectList& objects = file.Objects();
    int taken = 0;
    for (int i = 0, n = objects.GetMeshObjectCount(); i < n; ++i) taken += objects.GetMesh(i) != nullptr;
    return taken;
  });
}

void CamerasByIndex(benchmark::State& state) {
  ByIndex(state, Cameras, [](TFile3DS& file) {
    TObjectList& objects = file.Objects();
    int taken = 0;
    for (int i = 0, n = objects.GetCamCount(); i < n; ++i) taken += objects.GetCamera(i) != nullptr;
    return taken;
  });
}

void CameraNodesByIndex(benchmark::State& state) {
  ByIndex(state, CameraNodes, [](TFile3DS& file) {
    TKeyFramer& frames = file.KeyFramer();
    int taken = 0;
    for (int i = 0, n = frames.GetCamMotionCount(); i < n; ++i) taken += !frames.GetCameraMotion(i)->Name.empty();
    return taken;
  });
}

BENCHMARK(MeshesByIndex)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(CamerasByIndex)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);
BENCHMARK(CameraNodesByIndex)->Arg(2500)->Arg(25000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane
