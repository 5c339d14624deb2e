// Dates of container entries: a double counting days since 1899-12-30 with
// the time of day as fraction, in local time. The clock that stamps new
// entries can be replaced, so that a container made in a test is the same
// byte for byte whenever it is made.
#pragma once

#include <cstdint>
#include <functional>

namespace corvane {

using TDateTimeClock = std::function<double()>;

// Installs the clock of new entries (an empty one restores the system's)
// and returns the previous one.
TDateTimeClock SetContainerClock(TDateTimeClock clock);
// What the container clock says now.
double ContainerNow();

// The local time now as a date-time.
double DateTimeNow();
// A date-time made of calendar fields (month 1-12, day 1-31).
double EncodeDateTime(int year, int month, int day, int hour, int minute, int second);
// Whether a stored date can be a date at all: finite, years 1 to 9999.
bool IsValidDateTime(double dateTime);
// The packed file date (base/system/file_date.h) of a date-time; 0 for what packs
// into no file date: not a valid date, or a year before 1980 or after 2107.
std::int32_t DateTimeToFileDate(double dateTime);

}  // namespace corvane
