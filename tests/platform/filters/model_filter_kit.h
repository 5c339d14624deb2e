// What the model filters' tests share: a test applet with a recording
// device, files in memory, the committed model fixtures, and one load
// through a filter made as the applet's filter makes it (owned by the
// applet, freed after the call).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "base/reflection/prop_access.h"
#include "base/streams/memory_stream.h"
#include "platform/device.h"
#include "platform/media.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_world.h"
#include "tests/support/memory_res_man.h"

namespace corvane::test {

// The bytes of a committed file of the folder (CORVANE_MODEL_FIXTURES or
// CORVANE_3DS_FIXTURES).
inline std::string FixtureIn(const char* folder, std::string_view name) {
  TMemoryStream file;
  const std::string path = std::string(folder) + "/" + std::string(name);
  std::string error;
  EXPECT_TRUE(file.LoadFromFile(path, &error)) << path << ": " << error;
  return std::string(file.Memory(), static_cast<std::size_t>(file.Size()));
}

inline std::string ModelFixture(std::string_view name) { return FixtureIn(CORVANE_MODEL_FIXTURES, name); }

// Little-endian 32-bit write into bytes at an offset.
inline void PatchInt(std::string& bytes, std::size_t at, std::int32_t value) {
  std::memcpy(bytes.data() + at, &value, 4);
}

class ModelFilterTest : public ::testing::Test {
 protected:
  template <class F>
  TMesh* Load(const std::string& name) {
    TOwned<F> filter(Create<F>(TCreateContext(world.applet)));
    return filter->LoadFromFile(&files, name);
  }
  void SetModelScale(float scale) {
    SetFloatProp(*world.applet, PropByName(*world.applet, "modelScale"), scale);
  }
  int Errors() const { return world.log.ErrorCount(); }
  template <class V>
  static std::vector<V> VerticesOf(const TMesh& mesh) {
    std::vector<V> out(mesh.VertexData.size() / sizeof(V));
    std::memcpy(out.data(), mesh.VertexData.data(), out.size() * sizeof(V));
    return out;
  }

  TTestWorld world;
  TRecordingDevice* device = world.applet->UseRecordingDevice();
  TMemoryResMan files;
};

}  // namespace corvane::test
