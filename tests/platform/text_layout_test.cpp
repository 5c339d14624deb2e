#include "platform/text_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text/text_convert.h"

namespace corvane {
namespace {

// A fixed-pitch measure: 8 pixels a character from code 32 on, 16 high;
// count is the characters that fit into the clip width.
struct TFixedPitch {
  TPoint operator()(std::int32_t& count, float clipWidth, std::u16string_view s, TFont*) {
    float width = 0;
    count = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
      if (s[i] < 32) continue;
      if (width + 8 > clipWidth) break;
      width += 8;
      count = static_cast<std::int32_t>(i + 1);
    }
    float full = 0;
    for (char16_t c : s) full += c >= 32 ? 8.0f : 0.0f;
    return {full, 16};
  }
};

struct TLine {
  std::u16string text;
  TRect rect;
};

struct LayoutCase {
  const char* name;
  std::u16string text;
  TTextFormats formats;
  TRect rect;
  std::vector<TLine> lines;
  TRect box;
};

class TextLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(TextLayoutTest, LinesAndBox) {
  const LayoutCase& c = GetParam();
  TFixedPitch pitch;
  std::int32_t count = -1;
  TRect rect = c.rect;
  const TTextCalcArray lines = TextCalc(count, c.formats, c.text, rect, pitch, 65535, nullptr);
  ASSERT_EQ(lines.size(), c.lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(std::u16string(lines[i].Text), c.lines[i].text) << "line " << i;
    EXPECT_EQ(lines[i].Rect, c.lines[i].rect) << "line " << i;
  }
  EXPECT_EQ(rect, c.box);
}

const TTextFormats kLeftTop{tfLeft, tfTop};
const TTextFormats kWrap{tfLeft, tfTop, tfWordWrap};

INSTANTIATE_TEST_SUITE_P(
    Cases, TextLayoutTest,
    ::testing::Values(
        // Breaks of every kind; a final break opens no line.
        LayoutCase{"Breaks", u"ab\r\ncde\nf\r", kLeftTop, {10, 20, 200, 100},
                   {{u"ab", {10, 20, 26, 36}}, {u"cde", {10, 36, 34, 52}}, {u"f", {10, 52, 18, 68}}},
                   {10, 20, 34, 68}},
        LayoutCase{"EmptyLineBetween", u"a\n\nb", kLeftTop, {0, 0, 50, 50},
                   {{u"a", {0, 0, 8, 16}}, {u"", {0, 16, 0, 32}}, {u"b", {0, 32, 8, 48}}}, {0, 0, 8, 48}},
        LayoutCase{"EmptyText", u"", kLeftTop, {5, 6, 50, 50}, {}, {5, 6, 5, 6}},
        // The block to the right edge, each line right-aligned in it.
        LayoutCase{"Right", u"ab\ncde\nf", TTextFormats{tfRight, tfTop}, {10, 20, 200, 100},
                   {{u"ab", {184, 20, 200, 36}}, {u"cde", {176, 36, 200, 52}}, {u"f", {192, 52, 200, 68}}},
                   {176, 20, 200, 68}},
        // One line centred both ways: the rectangle shrinks to its box.
        LayoutCase{"Centred", u"abcd", TTextFormats{tfCenter, tfVCenter}, {0, 0, 100, 50},
                   {{u"abcd", {34, 17, 66, 33}}}, {34, 17, 66, 33}},
        LayoutCase{"CentredLines", u"ab\nabcd", TTextFormats{tfCenter, tfTop}, {0, 0, 100, 50},
                   {{u"ab", {42, 0, 58, 16}}, {u"abcd", {34, 16, 66, 32}}}, {34, 0, 66, 32}},
        LayoutCase{"Bottom", u"ab\ncd", TTextFormats{tfLeft, tfBottom}, {0, 0, 100, 50},
                   {{u"ab", {0, 18, 16, 34}}, {u"cd", {0, 34, 16, 50}}}, {0, 18, 16, 50}},
        // The word that reaches the width stays on the line.
        LayoutCase{"Wrap", u"aaa bbb ccc", kWrap, {0, 0, 64, 100},
                   {{u"aaa bbb ", {0, 0, 64, 16}}, {u"ccc", {0, 16, 24, 32}}}, {0, 0, 64, 32}},
        // A comma ends a word; the space after it is a word of its own and
        // may open the next line.
        LayoutCase{"CommaThenSpace", u"one, two", kWrap, {0, 0, 32, 100},
                   {{u"one,", {0, 0, 32, 16}}, {u" two", {0, 16, 32, 32}}}, {0, 0, 32, 32}},
        LayoutCase{"FullStop", u"a.b.c", kWrap, {0, 0, 20, 100},
                   {{u"a.b.", {0, 0, 32, 16}}, {u"c", {0, 16, 8, 32}}}, {0, 0, 32, 32}},
        // Only the low byte of a unit is compared: U+0120 ends a word.
        LayoutCase{"LowByteDelimiter", u"ab\u0120cd", kWrap, {0, 0, 16, 100},
                   {{u"ab\u0120", {0, 0, 24, 16}}, {u"cd", {0, 16, 16, 32}}}, {0, 0, 24, 32}},
        // A word wider than the rectangle stands alone and overflows it.
        LayoutCase{"LongWord", u"abcdefghij kl", kWrap, {0, 0, 40, 100},
                   {{u"abcdefghij ", {0, 0, 88, 16}}, {u"kl", {0, 16, 16, 32}}}, {0, 0, 88, 32}},
        // A text that fits is one line, breaks and all.
        LayoutCase{"WrapFits", u"ab\ncd", kWrap, {0, 0, 100, 100}, {{u"ab\ncd", {0, 0, 32, 16}}},
                   {0, 0, 32, 16}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(TextLayout, WithoutCallbackNothingIsLaidOut) {
  std::int32_t count = 7;
  TRect rect{1, 2, 3, 4};
  EXPECT_TRUE(TextCalc(count, {tfCenter}, u"abc", rect, TCharSizeCallback(), 100, nullptr).empty());
  EXPECT_EQ(rect, (TRect{1, 2, 3, 4}));
  EXPECT_EQ(count, 7);
}

}  // namespace
}  // namespace corvane
