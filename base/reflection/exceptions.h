// The few exception types that cross module boundaries inside the engine.
// They never reach the user: every caller that can meet one catches it and
// reports through the engine log.
#pragma once

#include <stdexcept>
#include <string>

namespace corvane {

// Text that is not a number, a variant that cannot take a type, a property
// value of the wrong kind.
class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A property or method looked up by name that the class does not publish.
class EPropertyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace corvane
