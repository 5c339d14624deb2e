#include <gtest/gtest.h>

#include <string>

#include "base/lists/string_list.h"
#include "platform/filters/animation_list.h"

namespace corvane {
namespace {

TAnimationList Read(std::string_view text) {
  TStringList lines;
  lines.SetText(text);
  return ReadAnimationList(lines);
}

TEST(AnimationList, NamedRangesInFileOrder) {
  const TAnimationList list = Read("AAF\r\n2\r\nrun,0,9\r\n  jump , 10, 19 \r\n");
  EXPECT_EQ(list.BadLine, 0);
  ASSERT_EQ(list.Animations.size(), 2u);
  EXPECT_EQ(list.Animations[0].Name, "run");
  EXPECT_EQ(list.Animations[0].FirstFrame, 0u);
  EXPECT_EQ(list.Animations[0].LastFrame, 9u);
  EXPECT_EQ(list.Animations[1].Name, "jump");
  EXPECT_EQ(list.Animations[1].FirstFrame, 10u);
  EXPECT_EQ(list.Animations[1].LastFrame, 19u);
  EXPECT_EQ(list.Animations[1].Speed, 0);
  // Lines after the announced ranges are not read.
  EXPECT_EQ(Read("AAF\n1\nrun,0,9\nnot a range\n").Animations.size(), 1u);
  EXPECT_EQ(Read("AAF\n0\n").BadLine, 0);
}

TEST(AnimationList, NoListUnlessTheFirstLineIsExactlyAAF) {
  for (const char* text : {"aaf\n1\nrun,0,9\n", "AAF \n1\nrun,0,9\n", "AAF", "", "MESHBIN\n1\nrun,0,9\n"}) {
    const TAnimationList list = Read(text);
    EXPECT_TRUE(list.Animations.empty()) << text;
    EXPECT_EQ(list.BadLine, 0) << text;
  }
}

TEST(AnimationList, ABadLineKeepsTheRangesBeforeIt) {
  struct Case {
    const char* text;
    std::size_t kept;
    std::int32_t badLine;
  };
  const Case cases[] = {
      {"AAF\ntwo\nrun,0,9\n", 0, 2},
      {"AAF\n-1\n", 0, 2},
      {"AAF\n3\nrun,0,9\n", 1, 4},              // fewer lines than announced
      {"AAF\n99999999999\nrun,0,9\n", 1, 4},    // a count no file holds
      {"AAF\n3\nrun,0,9\njump,x,19\nwalk,1,2\n", 1, 4},
      {"AAF\n2\nrun,0\njump,10,19\n", 0, 3},    // a field missing
      {"AAF\n2\nrun,0,9\njump,-1,19\n", 1, 4},  // frames are not negative
      {"AAF\n2\nrun,0,9\njump,10,4294967296\n", 1, 4},
  };
  for (const Case& c : cases) {
    const TAnimationList list = Read(c.text);
    EXPECT_EQ(list.Animations.size(), c.kept) << c.text;
    EXPECT_EQ(list.BadLine, c.badLine) << c.text;
  }
}

}  // namespace
}  // namespace corvane
