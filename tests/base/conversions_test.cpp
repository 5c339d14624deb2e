#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "base/reflection/exceptions.h"
#include "base/reflection/variant.h"
#include "base/text/good_text.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"

namespace corvane {
namespace {

TEST(NumberText, FloatToStrIsFixedWithFifteenDecimals) {
  struct Row {
    float value;
    const char16_t* text;
  } rows[] = {
      {2.0f, u"2.000000000000000"},
      {-1.5f, u"-1.500000000000000"},
      {0.1f, u"0.100000001490116"},
      {-0.0f, u"0.000000000000000"},
      {1e20f, u"100000002004087734272.000000000000000"},  // never an exponent
      {std::numeric_limits<float>::quiet_NaN(), u"NAN"},
      {std::numeric_limits<float>::infinity(), u"INF"},
      {-std::numeric_limits<float>::infinity(), u"-INF"},
  };
  for (const Row& r : rows) EXPECT_EQ(FloatToStr(r.value), r.text);
}

TEST(NumberText, StrToFloatReadsNumbersAndSpecialWords) {
  EXPECT_EQ(StrToFloat(u" 1.5 "), 1.5f);
  EXPECT_EQ(StrToFloat(u"-2e3"), -2000.0f);
  EXPECT_EQ(StrToFloat(u"+.25"), 0.25f);
  EXPECT_TRUE(std::isnan(StrToFloat(u"nan")));
  EXPECT_EQ(StrToFloat(u"Inf"), std::numeric_limits<float>::infinity());
  EXPECT_EQ(StrToFloat(u"-INF"), -std::numeric_limits<float>::infinity());
  EXPECT_EQ(StrToFloat(u"1e999"), std::numeric_limits<float>::infinity());  // overflow
  EXPECT_EQ(StrToFloat(u"1e-999"), 0.0f);                                  // underflow
  EXPECT_EQ(StrToFloat(FloatToStr(0.1f)), 0.1f);
  for (const char16_t* bad : {u"", u"abc", u"1,5", u"1.5x", u"infinity", u"--1", u"1e", u"0x10"})
    EXPECT_THROW(StrToFloat(bad), EConvertError) << Utf16ToUtf8(bad);
}

TEST(NumberText, IntegersParseDecimalAndHex) {
  EXPECT_EQ(TryStrToInt64(" -42 "), -42);
  EXPECT_EQ(TryStrToInt64("$FF"), 255);
  EXPECT_EQ(TryStrToInt64("0x10"), 16);
  EXPECT_EQ(TryStrToInt64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(TryStrToInt64("9223372036854775808"), std::nullopt);
  EXPECT_EQ(TryStrToInt64("5-3"), std::nullopt);
  EXPECT_EQ(StrToInt(u"2147483647"), 2147483647);
  EXPECT_THROW(StrToInt(u"2147483648"), EConvertError);
  EXPECT_EQ(IntToStr(-7), u"-7");
}

TEST(NumberText, FixedDecimals) {
  struct Row {
    double value;
    int decimals;
    const char* text;
  } rows[] = {
      {2.5, 2, "2.50"},     {-1, 0, "-1"},    {0.125, 2, "0.12"},  // to nearest even, as stored
      {0.126, 2, "0.13"},   {-0.0, 2, "0.00"}, {1e20, 1, "100000000000000000000.0"},
      {1.5, -3, "2"},       {1, 40, "1.00000000000000000000"},
      {std::numeric_limits<double>::quiet_NaN(), 2, "NAN"}, {-HUGE_VAL, 2, "-INF"},
  };
  for (const Row& r : rows) EXPECT_EQ(FloatToStrFixed(r.value, r.decimals), r.text) << r.value;
}

// The engine never uses the C locale for numbers: a comma-decimal locale
// changes nothing.
TEST(NumberText, LocaleIndependent) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the de_DE.UTF-8 locale is missing: run scripts/setup.sh";
  EXPECT_EQ(FloatToStr(0.1f), u"0.100000001490116");
  EXPECT_EQ(StrToFloat(u"1.25"), 1.25f);
  EXPECT_THROW(StrToFloat(u"1,25"), EConvertError);
  EXPECT_EQ(FloatToStrGeneral(2.5), "2.5");
  EXPECT_EQ(FloatToStrFixed(2.5, 2), "2.50");
  EXPECT_EQ(Variant(u"3.75").AsDouble(), 3.75);
  EXPECT_EQ(Variant(0.5).AsString(), "0.5");
  std::setlocale(LC_ALL, previous.c_str());
}

TEST(GoodText, CaseRulesTouchOnlyAscii) {
  EXPECT_EQ(GOODUpperCase(u"abc\u00e9\u4e2dz"), u"ABC\u00e9?Z");
  EXPECT_EQ(GOODLowerCase(u"ABC\u00c9"), u"abc\u00c9");
  EXPECT_EQ(BoolToStr(true), u"true");

  struct Row {
    const char16_t* a;
    const char16_t* b;
    int result;
  } rows[] = {
      {u"abc", u"ABC", 0},
      {u"ab", u"abc", -1},
      {u"abd", u"abc", 1},
      {u"\u0141", u"\u0041", 0},  // same low byte
      {u"", u"", 0},
      {u"a_", u"A[", 1},          // '_' (0x5F) after '[' (0x5B)
  };
  for (const Row& r : rows) EXPECT_EQ(GOODCompareText(r.a, r.b), r.result) << Utf16ToUtf8(r.a);
}

TEST(TextConvert, Utf8RoundTripsAndRepairsBadInput) {
  const std::u16string wide = u"a\u00e9\u4e2d\U0001F600";
  EXPECT_EQ(Utf16ToUtf8(wide), "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80");
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(wide)), wide);
  EXPECT_EQ(Utf8ToUtf16("\xff" "a\xc3"), u"\ufffda\ufffd");
  EXPECT_EQ(Utf8ToUtf16("\xed\xa0\x80"), u"\ufffd\ufffd\ufffd");  // an encoded surrogate is not UTF-8
  EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));                          // overlong
  EXPECT_TRUE(IsValidUtf8("caf\xc3\xa9"));
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd");
  EXPECT_EQ(NarrowLowByte(u"\u0141A"), std::string("\x41" "A"));
  EXPECT_EQ(WidenLatin1("\xe9"), u"\u00e9");
}

}  // namespace
}  // namespace corvane
