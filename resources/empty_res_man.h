// TEmptyResourceMan: a resource manager that holds nothing: every stream is
// missing, FindFiles is empty and FindDirs holds only "/".
#pragma once

#include <memory>
#include <string>

#include "base/streams/resource_man.h"

namespace corvane {

class TEmptyResourceMan : public TResourceMan {
  CORVANE_CLASS(TEmptyResourceMan, TResourceMan)
  explicit TEmptyResourceMan(const TCreateContext& context, std::string name = {})
      : TResourceMan(context, std::move(name)) {
    LogLifeLines();
  }

  std::unique_ptr<TStream> CreateStream(const std::string&, std::uint16_t) override { return nullptr; }
  bool StreamExists(const std::string&) override { return false; }
  std::int32_t FileDate(const std::string&) override { return kNoFileDate; }
};

}  // namespace corvane
