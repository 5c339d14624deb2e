// TReadAheadStream: reads its source in large blocks for a reader that asks
// for small ones (the text parser refills 4 KB at a time), so that a file is
// read in a few system calls instead of one per refill. It only reads; when
// it is destroyed the source stands at this stream's position, as if it had
// been read directly.
#pragma once

#include <cstdint>
#include <vector>

#include "base/streams/stream.h"

namespace corvane {

class TReadAheadStream : public TStream {
  CORVANE_CLASS(TReadAheadStream, TStream)

  static constexpr std::int64_t kBlockSize = 64 * 1024;

  // Starts at the source's position; the source must outlive this stream.
  explicit TReadAheadStream(TStream& source);
  ~TReadAheadStream() override;
  TReadAheadStream(const TReadAheadStream&) = delete;
  TReadAheadStream& operator=(const TReadAheadStream&) = delete;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  // Positions as the source takes them (past the end allowed, before 0
  // clamped); a seek within the block read last reads nothing again.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return source_.Size(); }
  bool SetSize(std::int64_t) override { return false; }

 private:
  TStream& source_;
  std::vector<char> block_;
  std::int64_t blockStart_ = 0;   // the source position of block_[0]
  std::int64_t blockLength_ = 0;  // bytes of block_ that hold the source's
  std::int64_t sourcePosition_;   // where the source stands
  std::int64_t position_;
};

}  // namespace corvane
