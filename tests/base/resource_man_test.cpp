#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>

#include "base/streams/resource_man.h"
#include "base/system/file_date.h"
#include "base/system/file_utils.h"

namespace corvane {
namespace {

// A manager over a table of names and dates; it opens nothing.
class TFakeResMan final : public TResourceMan {
 public:
  explicit TFakeResMan(const TCreateContext& context) : TResourceMan(context, "root/") {}

  std::unique_ptr<TStream> CreateStream(const std::string&, std::uint16_t) override { return nullptr; }
  bool StreamExists(const std::string& name) override { return dates.contains(name); }
  std::int32_t FileDate(const std::string& name) override {
    auto it = dates.find(name);
    return it == dates.end() ? kNoFileDate : it->second;
  }

  std::map<std::string, std::int32_t> dates;
};

// Runs with TZ set to UTC and puts the previous zone back.
class TUtcZone {
 public:
  TUtcZone() {
    if (const char* tz = std::getenv("TZ")) previous_ = tz;
    setenv("TZ", "UTC0", 1);
    tzset();
  }
  ~TUtcZone() {
    if (previous_) setenv("TZ", previous_->c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }

 private:
  std::optional<std::string> previous_;
};

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(ResourceMan, IsAgeFile1GreateFile2ComparesDatesOfTheManager) {
  const std::int32_t year2000 = FileDateFromLocalTime(LocalTime(2000, 1, 1, 0, 0, 0));
  const std::int32_t year2010 = FileDateFromLocalTime(LocalTime(2010, 1, 1, 0, 0, 0));
  const std::int32_t year2050 = FileDateFromLocalTime(LocalTime(2050, 1, 1, 0, 0, 0));
  ASSERT_LT(year2050, 0);  // bit 31: a plain signed comparison would call it older
  TFakeResMan* man = Create<TFakeResMan>();
  man->dates = {{"old", year2000}, {"new", year2010}, {"same", year2010}, {"future", year2050}};
  struct Row {
    const char* file1;
    const char* file2;
    bool later;
  } rows[] = {
      {"new", "old", true},        {"old", "new", false},     {"new", "same", false},
      {"old", "missing", false},   {"missing", "old", false}, {"missing", "missing", false},
      {"future", "new", true},     {"new", "future", false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(IsAgeFile1GreateFile2(man, r.file1, r.file2), r.later) << r.file1 << " vs " << r.file2;
  }
  EXPECT_FALSE(IsAgeFile1GreateFile2(nullptr, "new", "old"));
  man->Free();

  // Any date is later than none; none is later than nothing.
  EXPECT_TRUE(IsFileDateLater(year2050, kNoFileDate));
  EXPECT_FALSE(IsFileDateLater(kNoFileDate, year2000));
  EXPECT_FALSE(IsFileDateLater(kNoFileDate, kNoFileDate));
}

TEST(FileDate, PacksLocalTimeFields) {
  struct Row {
    std::tm time;
    std::uint32_t packed;
  } rows[] = {
      {LocalTime(1980, 1, 1, 0, 0, 0), 0x00210000u},
      {LocalTime(2000, 6, 15, 12, 30, 46), 0x28CF63D7u},
      {LocalTime(2000, 6, 15, 12, 30, 47), 0x28CF63D7u},  // two-second steps
      {LocalTime(2107, 12, 31, 23, 59, 58), 0xFF9FBF7Du},
      {LocalTime(2044, 1, 1, 0, 0, 0), 0x80210000u},
      {LocalTime(1979, 12, 31, 23, 59, 59), 0x00210000u},  // before the epoch: its first moment
      {LocalTime(1900, 6, 1, 0, 0, 0), 0x00210000u},
      {LocalTime(2108, 1, 1, 0, 0, 0), 0xFF9FBF7Du},  // after the range: its last moment
      {LocalTime(2000, 6, 30, 23, 59, 60), 0x28DEBF7Du},  // a leap second stays in its minute
  };
  for (const Row& r : rows) {
    EXPECT_EQ(static_cast<std::uint32_t>(FileDateFromLocalTime(r.time)), r.packed)
        << r.time.tm_year + 1900 << "-" << r.time.tm_mon + 1 << "-" << r.time.tm_mday;
  }
}

TEST(FileDate, ConvertsUnixTimesInTheLocalZone) {
  TUtcZone utc;
  struct Row {
    std::time_t time;
    std::uint32_t packed;
  } rows[] = {
      {0, 0x00210000u},                    // 1970: clamped to 1980
      {315532800, 0x00210000u},            // 1980-01-01 00:00:00
      {1700000000, 0x576EB1AAu},           // 2023-11-14 22:13:20
      {2335219200, 0x80210000u},           // 2044-01-01 00:00:00
      {4354819199, 0xFF9FBF7Du},           // 2107-12-31 23:59:59
      {4354819200, 0xFF9FBF7Du},           // 2108: clamped
  };
  for (const Row& r : rows) {
    EXPECT_EQ(static_cast<std::uint32_t>(UnixTimeToFileDate(r.time)), r.packed) << r.time;
  }
}

}  // namespace
}  // namespace corvane
