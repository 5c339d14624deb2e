#include "tests/formats/3ds/chunk_bytes.h"

#include <gtest/gtest.h>

#include "base/streams/memory_stream.h"

namespace corvane::test3ds {

std::string Fixture(std::string_view name) {
  TMemoryStream file;
  const std::string path = std::string(CORVANE_3DS_FIXTURES) + "/" + std::string(name);
  std::string error;
  EXPECT_TRUE(file.LoadFromFile(path, &error)) << path << ": " << error;
  return std::string(file.Memory(), static_cast<std::size_t>(file.Size()));
}

}  // namespace corvane::test3ds
