// What the container tests share: a fixed clock, byte access to a stream
// and whole-file reads and writes through a container.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "base/streams/memory_stream.h"
#include "resources/container/container_dates.h"
#include "resources/container/container_file_system.h"

namespace corvane::test {

// 2020-01-01 12:00, stored as 00 00 00 00 f0 66 e5 40.
inline constexpr double kFixedDate = 43831.5;

// Stamps new entries with one date while it lives.
class TFixedClock {
 public:
  explicit TFixedClock(double date = kFixedDate) : previous_(SetContainerClock([date] { return date; })) {}
  ~TFixedClock() { SetContainerClock(previous_); }
  TFixedClock(const TFixedClock&) = delete;
  TFixedClock& operator=(const TFixedClock&) = delete;

 private:
  TDateTimeClock previous_;
};

// A new, empty container in memory, stamped with the fixed date.
struct TNewContainer {
  TFixedClock clock;
  TMemoryStream stream;
  std::unique_ptr<TFileSystem> fs = TFileSystem::CreateEmpty(stream, false, false);
};

inline std::string BytesOf(TMemoryStream& stream) {
  return std::string(stream.Memory(), static_cast<std::size_t>(stream.Size()));
}

inline TMemoryStream StreamOver(std::string_view bytes) {
  return TMemoryStream(std::span<const char>(bytes.data(), bytes.size()));
}

// Bytes that differ from block to block and from seed to seed.
inline std::string Pattern(std::size_t size, unsigned seed = 1) {
  std::string bytes(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (char& c : bytes) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 16);
  }
  return bytes;
}

inline std::uint32_t U32At(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

inline void PutU32At(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// Offsets in a container of 16384 blocks at offset 0.
inline std::size_t FatAt(std::uint32_t block) { return kVFSFatOffset + 4 * block; }
inline std::size_t BlockAt(std::uint32_t block) { return kVFSFatOffset + 4 * kVFSNewBlockCount + 4096 * block; }

// Creates (replaces) a file with these bytes; whether all were written.
inline bool WriteFile(TFileSystem& fs, const std::string& name, std::string_view data) {
  TFile* file = fs.CreateFile(name);
  if (!file) return false;
  const bool ok = data.empty() || fs.Write(file, data.data(), static_cast<std::uint32_t>(data.size())) == data.size();
  fs.CloseFile(file);
  return ok;
}

// The whole file, or "<missing>".
inline std::string ReadFile(TFileSystem& fs, const std::string& name) {
  TFile* file = fs.OpenFileRead(name);
  if (!file) return "<missing>";
  std::string data(file->Size(), '\0');
  data.resize(fs.Read(file, data.data(), static_cast<std::uint32_t>(data.size())));
  fs.CloseFile(file);
  return data;
}

}  // namespace corvane::test
