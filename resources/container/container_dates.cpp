#include "resources/container/container_dates.h"

#include <cmath>
#include <ctime>
#include <utility>

#include "base/system/file_date.h"

namespace corvane {

namespace {

// Days between 1970-01-01 and the date-time epoch 1899-12-30.
constexpr std::int64_t kEpochShift = 25569;
// 0001-01-01 and 10000-01-01 as date-times.
constexpr double kFirstDay = -693593;
constexpr double kPastLastDay = 2958466;
constexpr std::int64_t kMsPerDay = 86'400'000;

TDateTimeClock& Clock() {
  static TDateTimeClock clock;
  return clock;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& year, unsigned& month, unsigned& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = doy - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2);
}

}  // namespace

TDateTimeClock SetContainerClock(TDateTimeClock clock) { return std::exchange(Clock(), std::move(clock)); }

double ContainerNow() { return Clock() ? Clock()() : DateTimeNow(); }

double DateTimeNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  if (!localtime_r(&now.tv_sec, &local)) return 0;
  const double days = static_cast<double>(
      DaysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1), static_cast<unsigned>(local.tm_mday)) +
      kEpochShift);
  const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + now.tv_nsec / 1e9;
  return days + seconds / 86400.0;
}

double EncodeDateTime(int year, int month, int day, int hour, int minute, int second) {
  const double days = static_cast<double>(
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) + kEpochShift);
  return days + (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
}

bool IsValidDateTime(double dateTime) {
  return std::isfinite(dateTime) && dateTime >= kFirstDay && dateTime < kPastLastDay;
}

std::int32_t DateTimeToFileDate(double dateTime) {
  if (!IsValidDateTime(dateTime)) return 0;
  // The whole part counts days; the fraction is the time of day, also for
  // dates before the epoch (-1.25 is 1899-12-29 06:00).
  const double whole = std::trunc(dateTime);
  std::int64_t ms = std::llround(std::fabs(dateTime - whole) * kMsPerDay);
  if (ms >= kMsPerDay) ms = kMsPerDay - 1;
  std::int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(static_cast<std::int64_t>(whole) - kEpochShift, year, month, day);
  if (year < 1980 || year > 2107) return 0;
  std::tm local{};
  local.tm_year = static_cast<int>(year - 1900);
  local.tm_mon = static_cast<int>(month) - 1;
  local.tm_mday = static_cast<int>(day);
  local.tm_hour = static_cast<int>(ms / 3'600'000);
  local.tm_min = static_cast<int>(ms / 60'000 % 60);
  local.tm_sec = static_cast<int>(ms / 1000 % 60);
  return FileDateFromLocalTime(local);
}

}  // namespace corvane
