// The engine's own filters on real files: a test world whose applet has a
// recording device, a folder resource manager over a fresh folder, and the
// applet's TFilter as the program makes it (the filter list registered).
// Filter instances are made with the applet as owner, as TFilter makes
// them.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "base/streams/resource_man.h"
#include "platform/filters/filter.h"
#include "tests/support/kit/test_world.h"

namespace corvane::test {

class TRecordingDevice;

class TFilterWorld {
 public:
  TFilterWorld();
  ~TFilterWorld();
  TFilterWorld(const TFilterWorld&) = delete;
  TFilterWorld& operator=(const TFilterWorld&) = delete;

  // An instance of a filter class, owned by the applet.
  template <class F>
  TOwned<F> Make() const {
    return TOwned<F>(Create<F>(TCreateContext(world.applet)));
  }

  void Put(const std::string& name, const std::string& bytes) const;
  std::optional<std::string> Bytes(const std::string& name) const;
  bool Exists(const std::string& name) const;
  void Remove(const std::string& name) const;
  // Sets the file's modification time (seconds since the epoch).
  void SetTime(const std::string& name, std::time_t time) const;
  std::string PathOf(const std::string& name) const { return folder + name; }

  TTestWorld world;
  std::string folder;  // ends with "/"
  TResourceMan* resMan = nullptr;
  TRecordingDevice* device = nullptr;
  TFilter* filter = nullptr;
};

}  // namespace corvane::test
