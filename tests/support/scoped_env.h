// Sets an environment variable for the life of the object and puts the
// previous value (or its absence) back afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace corvane::test {

class TScopedEnv {
 public:
  TScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* previous = std::getenv(name)) previous_ = previous;
    setenv(name, value.c_str(), 1);
  }
  ~TScopedEnv() {
    if (previous_) setenv(name_, previous_->c_str(), 1);
    else unsetenv(name_);
  }
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

}  // namespace corvane::test
