// The file callback of streamed music over the source stream it owns.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/streams/memory_stream.h"
#include "libs/bass/api/bass_api.h"
#include "platform/bass/bass_file_proc.h"

namespace corvane::test {
namespace {

// A memory stream that counts its own end.
class TCountedStream final : public TMemoryStream {
 public:
  TCountedStream(std::span<const char> bytes, int* freed) : TMemoryStream(bytes), freed_(freed) {}
  ~TCountedStream() override { ++*freed_; }

 private:
  int* freed_;
};

TEST(BassFileUserProc, ReadsMeasuresSeeksAndFreesTheSourceOnClose) {
  const std::string bytes = "0123456789";
  int freed = 0;
  auto* source = new TCountedStream(bytes, &freed);
  char buffer[16] = {};
  EXPECT_EQ(BassFileUserProc(BASS_FILE_LENGTH, 0, nullptr, source), 10u);
  EXPECT_EQ(BassFileUserProc(BASS_FILE_READ, 4, buffer, source), 4u);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(BassFileUserProc(BASS_FILE_SEEK, 8, nullptr, source), static_cast<std::uint64_t>(BASS_TRUE));
  EXPECT_EQ(BassFileUserProc(BASS_FILE_READ, 16, buffer, source), 2u) << "no more than there is";
  EXPECT_EQ(std::string(buffer, 2), "89");
  EXPECT_EQ(BassFileUserProc(BASS_FILE_READ, 16, buffer, source), 0u);
  // Hostile counts and positions neither overflow nor read out of bounds.
  EXPECT_EQ(BassFileUserProc(BASS_FILE_SEEK, UINT64_MAX, nullptr, source), static_cast<std::uint64_t>(BASS_TRUE));
  EXPECT_EQ(BassFileUserProc(BASS_FILE_READ, UINT64_MAX, buffer, source), 0u);
  EXPECT_EQ(BassFileUserProc(BASS_FILE_READ, 4, nullptr, source), 0u);
  EXPECT_EQ(BassFileUserProc(2, 0, nullptr, source), 0u) << "an unknown action";
  EXPECT_EQ(freed, 0);
  BassFileUserProc(BASS_FILE_CLOSE, 0, nullptr, source);
  EXPECT_EQ(freed, 1);
  EXPECT_EQ(BassFileUserProc(BASS_FILE_LENGTH, 0, nullptr, nullptr), 0u);
}

}  // namespace
}  // namespace corvane::test
