// What the ".pixmap" and ".mesh" fuzz targets share: one applet with the
// test kit's recording device, made once, and a resource manager that
// serves the input as every file it is asked for and takes whatever is
// written into memory.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "tests/support/kit/filter_world.h"

namespace corvane::fuzz {

class TInputResMan : public TResourceMan {
 public:
  using TResourceMan::TResourceMan;

  std::unique_ptr<TStream> CreateStream(const std::string&, std::uint16_t mode) override {
    if (mode != 0) return std::make_unique<TMemoryStream>();
    return std::make_unique<TMemoryStream>(input);
  }
  bool StreamExists(const std::string&) override { return true; }
  std::int32_t FileDate(const std::string&) override { return 0; }

  std::span<const std::uint8_t> input;
};

// The world and the manager, for the whole run.
struct TFuzzWorld {
  test::TFilterWorld filters;
  TOwned<TInputResMan> input{new TInputResMan(TCreateContext{})};
};

inline TFuzzWorld& World() {
  static TFuzzWorld* world = new TFuzzWorld;  // lives to the end of the process
  return *world;
}

}  // namespace corvane::fuzz
