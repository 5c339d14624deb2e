#include "resources/container/container_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <string>

#include "base/system/file_date.h"
#include "resources/container/container_dates.h"

namespace corvane {
namespace {

TEST(ContainerFormat, PathItems) {
  struct Case {
    const char* path;
    const char* item;
    const char* rest;
  };
  const Case cases[] = {
      {"a\\b\\c", "a", "b\\c"}, {"\\a\\b", "a", "b"}, {"a/b", "a", "b"}, {"a", "a", ""},
      {"a\\", "a", ""},         {"", "", ""},         {"\\\\", "", ""},  {"\\\\\\a", "", "\\a"},
  };
  for (const Case& c : cases) {
    std::string rest = c.path;
    EXPECT_EQ(CutFirstPathItem(rest), c.item) << c.path;
    EXPECT_EQ(rest, c.rest) << c.path;
  }
}

TEST(ContainerFormat, PathAndName) {
  struct Case {
    const char* path;
    const char* dir;
    const char* name;
  };
  const Case cases[] = {
      {"a\\b\\c.txt", "a\\b\\", "c.txt"}, {"c", "", "c"}, {"a/b", "a/", "b"},
      {"a\\", "a\\", ""},                 {"", "", ""},   {"\\x", "\\", "x"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractVFSPath(c.path), c.dir) << c.path;
    EXPECT_EQ(ExtractVFSName(c.path), c.name) << c.path;
  }
}

TEST(ContainerFormat, Masks) {
  struct Case {
    const char* name;
    const char* mask;
    bool matches;
  };
  const Case cases[] = {
      {"abc", "*", true},      {"abc", "a?c", true},       {"ABC", "a*", true},     {"abc", "*d", false},
      {"", "*", true},         {"", "", true},             {"a", "", false},        {"abcabc", "*bc", true},
      {"ab", "a*b*", true},    {"aXbXc", "a*b*c", true},   {"ab", "a?b", false},    {"main.object", "*.OBJECT", true},
      {"*lpha", "\\*", false}, {"abc", "???", true},       {"abcd", "???", false},    {"a.pngx", "*.png", false},
      {"a.png", "a?.png", false}, {"a.b.c", "*.*", true},   {"aaa", "a*a*a", true},
  };
  for (const Case& c : cases) EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.name << " ~ " << c.mask;
  // A mask made to backtrack stays quick.
  EXPECT_FALSE(MatchesMask(std::string(5000, 'a'), "*a*a*a*a*a*a*a*a*b"));
}

TEST(ContainerDates, PackedDates) {
  std::tm noon{};
  noon.tm_year = 120;
  noon.tm_mday = 1;
  noon.tm_hour = 12;
  std::tm late{};
  late.tm_year = 207;
  late.tm_mon = 11;
  late.tm_mday = 31;
  late.tm_hour = 23;
  late.tm_min = 59;
  late.tm_sec = 58;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double date;
    std::int32_t packed;
  };
  const Case cases[] = {
      {43831.5, FileDateFromLocalTime(noon)},
      {EncodeDateTime(2107, 12, 31, 23, 59, 58), FileDateFromLocalTime(late)},
      {EncodeDateTime(2108, 1, 1, 0, 0, 0), 0},
      {EncodeDateTime(1979, 12, 31, 23, 59, 59), 0},
      {0, 0},
      {-1.25, 0},
      {nan, 0},
      {inf, 0},
      {-inf, 0},
      {1e300, 0},
      {-1e300, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(DateTimeToFileDate(c.date), c.packed) << c.date;
  EXPECT_EQ(EncodeDateTime(2020, 1, 1, 12, 0, 0), 43831.5);
  EXPECT_EQ(EncodeDateTime(1899, 12, 30, 0, 0, 0), 0.0);
  EXPECT_EQ(DateTimeToFileDate(43831.5 + 59.0 / 86400) & 0x1F, 29) << "seconds count in pairs";
  EXPECT_TRUE(IsValidDateTime(0));
  EXPECT_FALSE(IsValidDateTime(nan));
  EXPECT_FALSE(IsValidDateTime(3e6));
}

TEST(ContainerDates, Clock) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const double expected = EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                         local.tm_min, local.tm_sec);
  EXPECT_NEAR(DateTimeNow(), expected, 5.0 / 86400);
  EXPECT_NEAR(ContainerNow(), expected, 5.0 / 86400);
}

}  // namespace
}  // namespace corvane
