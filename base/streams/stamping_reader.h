// TStampingReader: reads a derived file's source for its conversion and
// stamps it on the way, so that the source is read once. Each byte is
// digested once as it passes, however far the reader seeks back over what
// it buffered; what the reader leaves unread is digested at the end. The
// source's time is taken before a byte is read: a change meanwhile then
// shows as another source next time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/streams/source_stamp.h"
#include "base/streams/stream.h"
#include "base/system/content_digest.h"

namespace corvane {

class TResourceMan;

class TStampingReader final : public TStream {
  CORVANE_CLASS(TStampingReader, TStream)

  // source is the opened stream of resMan's file name, at its start.
  TStampingReader(TResourceMan& resMan, const std::string& name, TStream& source);

  std::int64_t Read(void* buffer, std::int64_t count) override;
  // Reading only.
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return source_.Size(); }
  bool SetSize(std::int64_t) override { return false; }

  // The source's stamp, its unread rest digested first; as StampOfSource
  // gives it. Once, after the reading.
  std::optional<TSourceStamp> Stamp();

 private:
  TStream& source_;
  std::optional<TFileStamp> exact_;
  TContentDigest digest_;
  std::int64_t position_ = 0;
  std::int64_t digested_ = 0;  // the bytes before it are in digest_
  bool gap_ = false;           // a seek skipped bytes never read
};

}  // namespace corvane
