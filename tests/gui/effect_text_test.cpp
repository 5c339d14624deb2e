// Effect text, one static text a character, each with a later copy of the
// template effects; the panel and the painter.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/effect.h"
#include "gui/effect_text.h"
#include "gui/painter.h"
#include "gui/panel.h"
#include "gui/static_text.h"
#include "scene/font_persistent.h"
#include "platform/device.h"
#include "tests/support/kit/null_platform.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {
namespace {

using test::TWidgetWorld;

template <class T>
std::vector<T*> ChildrenOf(const BaseObject* object) {
  std::vector<T*> out;
  for (BaseObject* child : object->ChildList())
    if (auto* t = dynamic_cast<T*>(child)) out.push_back(t);
  return out;
}
const auto Characters = ChildrenOf<StaticText>;
const auto Effects = ChildrenOf<Effect>;

TEST(EffectTextWidget, EachCharacterGetsALaterCopyOfTheTemplates) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object fx: EffectText\n    font.size = 12\n    font.color = '#FF112233'\n"
                       "    text = 'abc'\n    object wave: AnimationEffect\n      runningTime = 1\n    end\n"
                       "  end\n"))
      << w.world.Text();
  auto* fx = w.Find<EffectText>(u"fx");
  std::vector<StaticText*> characters = Characters(fx);
  ASSERT_EQ(characters.size(), 3u);
  const float xs[] = {0, 8, 16};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(characters[i]->X(), xs[i]);
    EXPECT_EQ(characters[i]->Text(), std::u16string(1, static_cast<char16_t>(u'a' + i)));
    EXPECT_EQ(characters[i]->Font()->Size(), 12);
    EXPECT_EQ(characters[i]->Font()->Color(), 0xFF112233u);
    const std::vector<Effect*> copies = Effects(characters[i]);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0]->Name(), u"wave");
    EXPECT_FLOAT_EQ(copies[0]->ShiftTime(), 0.08f * static_cast<float>(i + 1));
  }
  // The templates serve the characters only: a look-up finds the first
  // character's copy.
  EXPECT_EQ(fx->FindEffect(u"wave"), Effects(characters[0])[0]);

  fx->SetText(u"xy");
  characters = Characters(fx);
  ASSERT_EQ(characters.size(), 2u);
  EXPECT_EQ(characters[1]->Text(), u"y");
  ASSERT_EQ(Effects(fx).size(), 1u);
  EXPECT_EQ(Effects(fx)[0]->ShiftTime(), 0.0f);
  fx->SetText(u"");
  EXPECT_TRUE(Characters(fx).empty());
  EXPECT_EQ(Effects(fx).size(), 1u);
}

TEST(EffectTextWidget, EachCharacterStandsWhereTheTextBeforeItEnds) {
  // Where MeasureString puts the end of each prefix, line breaks
  // included (a prefix is as wide as its widest line); and a text of
  // thousands of characters, measured once.
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object fx: EffectText\n    font.size = 12\n  end\n")) << w.world.Text();
  auto* fx = w.Find<EffectText>(u"fx");
  const std::u16string mixed = u"ab\r\ncd\nefgh\rij\u0001k";
  fx->SetText(mixed);
  std::vector<StaticText*> characters = Characters(fx);
  ASSERT_EQ(characters.size(), mixed.size());
  for (std::size_t i = 1; i < mixed.size(); ++i) {
    TRect box{0, 0, 1000, 1000};
    std::int32_t count = 0;
    w.applet->Device()->MeasureString(fx->Font()->Font(), std::u16string_view(mixed).substr(0, i), box, {}, count, 65535);
    EXPECT_EQ(characters[i]->X(), box.right - box.left) << i;
  }
  EXPECT_EQ(characters[7]->X(), 16);  // "e" starts a line: "ab" is wider

  constexpr std::size_t kLong = kDefaultMaxEffectTextCharacters;
  fx->SetText(std::u16string(kLong, u'w'));
  characters = Characters(fx);
  ASSERT_EQ(characters.size(), kLong);
  int misplaced = 0;
  // The measure stops at its limit of 65535: past 8191 characters of 8
  // pixels the rest stand where the 8191st ends.
  for (std::size_t i = 0; i < kLong; ++i)
    misplaced += characters[i]->X() != 8.0f * static_cast<float>(std::min<std::size_t>(i, 8191));
  EXPECT_EQ(misplaced, 0);
}

// A text longer than the budget builds its first characters only, each
// frame then ticking and painting no more than those; the log says so.
TEST(EffectTextWidget, ATextPastTheBudgetBuildsItsFirstCharacters) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object fx: EffectText\n    object wave: AnimationEffect\n    end\n  end\n")) << w.world.Text();
  auto* fx = w.Find<EffectText>(u"fx");
  const std::int32_t saved = MaxEffectTextCharacters;
  MaxEffectTextCharacters = 5;
  fx->SetText(u"abcdefgh");
  MaxEffectTextCharacters = saved;
  const std::vector<StaticText*> characters = Characters(fx);
  ASSERT_EQ(characters.size(), 5u);
  EXPECT_EQ(characters[4]->Text(), u"e");
  EXPECT_EQ(Effects(characters[4]).size(), 1u);
  EXPECT_EQ(fx->Text(), u"abcdefgh");
  EXPECT_EQ(w.world.CountError("EffectText fx: only the first 5 of its 8 characters are built"), 1) << w.world.Text();
}

TEST(EffectTextWidget, AClosingProgramStopsTheBuild) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object fx: EffectText\n    object wave: AnimationEffect\n    end\n  end\n")) << w.world.Text();
  auto* fx = w.Find<EffectText>(u"fx");
  w.world.Platform().closeRequested = true;
  fx->SetText(std::u16string(1000, u'x'));
  EXPECT_TRUE(Characters(fx).empty());
  EXPECT_EQ(Effects(fx).size(), 1u);
  w.world.Platform().closeRequested = false;
  fx->SetText(u"xyz");
  EXPECT_EQ(Characters(fx).size(), 3u);
}

TEST(EffectTextWidget, ACharactersOwnHandlerMayRebuildTheText) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object fx: EffectText\n    text = 'ab'\n"
                       "    object wave: AnimationEffect\n      onTick = 'at fx set text q'\n    end\n"
                       "  end\n"))
      << w.world.Text();
  w.Frames(3);
  auto* fx = w.Find<EffectText>(u"fx");
  ASSERT_NE(fx, nullptr);
  EXPECT_EQ(fx->Text(), u"q");
  EXPECT_EQ(Characters(fx).size(), 1u);
}

TEST(PainterWidget, RunsItsScriptOnEveryPaintAndAPanelDrawsNothing) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object group: Panel\n    width = 100\n    height = 100\n"
                       "    object canvas: Painter\n      onPaint = 'log painted'\n    end\n  end\n"))
      << w.world.Text();
  ASSERT_NE(w.Find<Panel>(u"group"), nullptr);
  w.Paint();
  w.Paint();
  EXPECT_EQ(w.Count("painted"), 2);
}

}  // namespace
}  // namespace corvane
