// Puts a variable back to the value it had when the scope began, also when
// an exception passes: the reader and writer keep their place this way
// while they descend into nested records.
#pragma once

namespace corvane {

template <class T>
class TRestore {
 public:
  explicit TRestore(T& variable) : variable_(variable), saved_(variable) {}
  ~TRestore() { variable_ = saved_; }
  TRestore(const TRestore&) = delete;
  TRestore& operator=(const TRestore&) = delete;

 private:
  T& variable_;
  T saved_;
};

}  // namespace corvane
