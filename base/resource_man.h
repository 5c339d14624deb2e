// TResourceMan: where an applet's bytes come from. Every loader asks a
// resource manager for a stream by a resource name ("main.object",
// "ui/button.png"); the kinds (a folder, a container file, the embedded
// defaults, nothing at all) decide where the bytes live.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "base/file_date.h"
#include "base/persistent.h"
#include "base/stream.h"

namespace corvane {

template <class C>
class TClassBuilder;

class TResourceMan : public TPersistent {
  CORVANE_CLASS(TResourceMan, TPersistent)
  static void Describe(TClassBuilder<TResourceMan>& c);

  // `name` is the root the manager serves, kept as given; the kinds complete it.
  explicit TResourceMan(const TCreateContext& context, std::string name = {});

  // The stream of a resource, owned by the caller; nullptr when it cannot be
  // opened. Mode 0 reads an existing resource, a mode with bit 0 set writes
  // one, $FFFF creates (or replaces) it, making the missing folders.
  virtual std::unique_ptr<TStream> CreateStream(const std::string& name, std::uint16_t mode) = 0;
  virtual bool StreamExists(const std::string& name) = 0;
  // The packed date-time of the resource (see base/file_date.h), kNoFileDate
  // when it does not exist. Compare two dates with IsFileDateLater.
  virtual std::int32_t FileDate(const std::string& name) = 0;

  // The root: a folder path, the executable's folder or a container file (UTF-8).
  const std::string& ResourceFile() const { return resourceFile_; }
  void SetResourceFile(std::string value) { resourceFile_ = std::move(value); }
  // True once the manager found its root.
  bool Active() const { return active_; }
  void SetActive(bool value) { active_ = value; }

 private:
  std::string resourceFile_;
  bool active_ = false;
};

}  // namespace corvane
