// What the tests that stream components share: an empty class registry
// before and after, the log captured, roots read back from bytes.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "base/reflection/class_registry.h"
#include "base/streams/reader.h"
#include "tests/support/capture_log.h"
#include "tests/support/stream_bytes.h"

namespace corvane::test {

class TStreamingTest : public ::testing::Test {
 protected:
  void Register(std::initializer_list<TClass> classes) {
    FinalizeClassRegistry();
    RegisterClasses(classes);
  }
  void TearDown() override { FinalizeClassRegistry(); }

  template <class T>
  static T* ReadBack(const std::string& bytes) {
    TMemoryStream in = StreamOf(bytes);
    TGReader reader(in);
    return dynamic_cast<T*>(reader.ReadRootComponent(nullptr));
  }

  TCaptureLog log;
};

}  // namespace corvane::test
