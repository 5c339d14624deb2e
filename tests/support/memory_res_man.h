// A resource manager over files held in memory, for loaders' tests: it
// serves the files put into it (each read from a fresh copy), opens no
// other name, and counts the streams asked of it for writing, which it
// refuses.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "base/streams/resource_man.h"

namespace corvane::test {

class TMemoryResMan final : public TResourceMan {
 public:
  TMemoryResMan() : TResourceMan(TCreateContext()) {}
  void Put(const std::string& name, std::string bytes) { files_[name] = std::move(bytes); }
  void Remove(const std::string& name) { files_.erase(name); }

  std::unique_ptr<TStream> CreateStream(const std::string& name, std::uint16_t mode) override;
  bool StreamExists(const std::string& name) override { return files_.count(name) != 0; }
  // One fixed date for every file.
  std::int32_t FileDate(const std::string& name) override;

  int writes = 0;

 private:
  std::map<std::string, std::string> files_;
};

}  // namespace corvane::test
