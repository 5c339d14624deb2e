// The packed 32-bit file date that resource managers report: the local time
// as bits 25-31 year - 1980, 21-24 month, 16-20 day, 11-15 hour, 5-10 minute
// and 0-4 seconds / 2. From 2044 on bit 31 is set, so the signed value turns
// negative: compare dates with IsFileDateLater, never with a plain "<".
#pragma once

#include <cstdint>
#include <ctime>

namespace corvane {

// The date of a file that does not exist (no packed date has this value).
inline constexpr std::int32_t kNoFileDate = -1;

// Packs a broken-down local time (tm_year since 1900, tm_mon 0-11). Times
// before 1980 pack as 1980-01-01 00:00:00, times after 2107 as
// 2107-12-31 23:59:58, so later never packs smaller.
std::int32_t FileDateFromLocalTime(const std::tm& local);
// The packed date of a Unix time, in the local time zone.
std::int32_t UnixTimeToFileDate(std::time_t time);

// Whether packed date a is strictly later than b, ordering the dates as
// unsigned words; -1 (no such file) is earlier than every date.
bool IsFileDateLater(std::int32_t a, std::int32_t b);

// A file as it is now, exactly: its size in bytes and its modification time
// in the finest unit its kind keeps (nanoseconds since the epoch for a file
// on disk). Two stamps of one file differ after any change a packed date
// misses, such as an edit within the same two seconds.
struct TFileStamp {
  std::int64_t Size = 0;
  std::int64_t Time = 0;
  bool operator==(const TFileStamp&) const = default;
};

}  // namespace corvane
