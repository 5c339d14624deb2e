#include "base/system/file_date.h"

namespace corvane {

namespace {

constexpr int kFirstYear = 1980;
constexpr int kLastYear = kFirstYear + 127;

std::uint32_t Pack(int year, int month, int day, int hour, int minute, int second) {
  return static_cast<std::uint32_t>(year - kFirstYear) << 25 | static_cast<std::uint32_t>(month) << 21 |
         static_cast<std::uint32_t>(day) << 16 | static_cast<std::uint32_t>(hour) << 11 |
         static_cast<std::uint32_t>(minute) << 5 | static_cast<std::uint32_t>(second / 2);
}

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

}  // namespace

std::int32_t FileDateFromLocalTime(const std::tm& local) {
  // tm_year is an int; widen before adding so that extreme years cannot overflow.
  const long long year = static_cast<long long>(local.tm_year) + 1900;
  std::uint32_t packed;
  if (year < kFirstYear) {
    packed = Pack(kFirstYear, 1, 1, 0, 0, 0);
  } else if (year > kLastYear) {
    packed = Pack(kLastYear, 12, 31, 23, 59, 58);
  } else {
    // A leap second (tm_sec 60) packs as 58 rather than spilling into the minute.
    packed = Pack(static_cast<int>(year), Clamp(local.tm_mon + 1, 1, 12), Clamp(local.tm_mday, 1, 31),
                  Clamp(local.tm_hour, 0, 23), Clamp(local.tm_min, 0, 59), Clamp(local.tm_sec, 0, 59));
  }
  return static_cast<std::int32_t>(packed);
}

std::int32_t UnixTimeToFileDate(std::time_t time) {
  std::tm local{};
  if (!localtime_r(&time, &local)) {
    // Beyond what the C library can break down: only absurdly distant times.
    std::tm far{};
    far.tm_year = time < 0 ? 0 : 1'000'000;
    return FileDateFromLocalTime(far);
  }
  return FileDateFromLocalTime(local);
}

bool IsFileDateLater(std::int32_t a, std::int32_t b) {
  if (a == kNoFileDate) return false;
  if (b == kNoFileDate) return true;
  return static_cast<std::uint32_t>(a) > static_cast<std::uint32_t>(b);
}

}  // namespace corvane
