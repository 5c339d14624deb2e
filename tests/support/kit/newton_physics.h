// Makes the Newton engine the physics-engine class for a scope, registered
// as the program registers it, on libnewton.so or on another library name
// (one that does not exist, or lacks an entry point).
#pragma once

#include <string>

#include "base/reflection/object.h"

namespace corvane::test {

class TUseNewtonPhysics {
 public:
  explicit TUseNewtonPhysics(const std::string& library = "newton");
  ~TUseNewtonPhysics();
  TUseNewtonPhysics(const TUseNewtonPhysics&) = delete;
  TUseNewtonPhysics& operator=(const TUseNewtonPhysics&) = delete;

 private:
  TClass previous_;
  std::string previousLibrary_;
};

}  // namespace corvane::test
