#include "engine/low_event.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text_convert.h"

namespace corvane {
namespace {

std::string Narrow(const std::u16string& s) { return Utf16ToUtf8(s); }

TEST(LowEvent, ConstructorsStartUnhandled) {
  const TKeyEvent key(evKeyUp, nullptr, 37, u'a', TShiftState{ssShift});
  EXPECT_EQ(key.EventType, evKeyUp);
  EXPECT_FALSE(key.Handled);
  EXPECT_FALSE(key.InProcess);
  EXPECT_EQ(key.Shift.Mask(), 1u);

  const TScheduleEvent schedule(evScheduleAction, 2.5f);
  EXPECT_EQ(schedule.Elapsed, 0.0f);
  EXPECT_EQ(schedule.Delay, 2.5f);
  EXPECT_FALSE(schedule.Handled);

  const TScheduleActionEvent action(evScheduleAction, 1.0f, nullptr, seaDispose);
  EXPECT_EQ(action.Elapsed, 0.0f);
  EXPECT_EQ(action.Action, seaDispose);
  EXPECT_TRUE(action.Is<TScheduleEvent>());
  EXPECT_EQ(action.ClassName(), "TScheduleActionEvent");

  // The platform marks a left press with ssLeft, bit 3.
  EXPECT_EQ((TShiftState{ssLeft}.Mask()), 8u);
  EXPECT_EQ((TShiftState{ssAlt}.Mask()), 2u);
  EXPECT_EQ((TShiftState{ssQuad}.Mask()), 1u << 15);
}

TEST(LowEvent, EventToStrWritesOnlyTheTextFields) {
  const TKeyEvent keyDown(evKeyDown, nullptr, 37, 0, TShiftState{ssCtrl});
  const TKeyEvent keyUp(evKeyUp, nullptr, 0, u'a', {});
  const TMouseEvent press(evMouseDown, nullptr, mbLeft, TShiftState{ssLeft}, 120, 45, 0, 0);
  const TMouseEvent move(evMouseMove, nullptr, mbNone, {}, -7, 65535, -2147483647 - 1, 2147483647);
  const TWheelEvent wheel(evMouseWheel, nullptr, -120, TShiftState{ssShift});
  const TScheduleActionEvent schedule(evScheduleAction, 1.0f, nullptr, seaHide);
  const TActionEvent close(evActionEvent, nullptr, aeCloseWindow);
  const TKeyEvent wideChar(evKeyDown, nullptr, 65535, u'\xFFFF', {});
  const struct {
    const TLowEvent& Event;
    const char* Text;
  } cases[] = {
      {keyDown, "0,37,0,"},
      {keyUp, "1,0,97,"},
      {press, "2,1,120,45,0,0,"},
      {move, "4,0,-7,65535,-2147483648,2147483647,"},
      {wheel, "5,"},
      {schedule, "6,"},
      {close, "7,"},
      {wideChar, "0,65535,65535,"},
  };
  for (const auto& c : cases) EXPECT_EQ(Narrow(EventToStr(c.Event)), c.Text) << c.Text;
}

struct TMouseExpect {
  TLowEventType Type;
  TMouseButton Button;
  int X, Y, DX, DY;
};

TEST(LowEvent, StrToEventBuildsMouseEvents) {
  const struct {
    const char16_t* Text;
    TMouseExpect Expect;
  } cases[] = {
      {u"2,2,10,20,-3,4,", {evMouseDown, mbRight, 10, 20, -3, 4}},
      {u"2,1,120,45,0,0,", {evMouseDown, mbLeft, 120, 45, 0, 0}},
      {u"3,1,0,0,0,0,", {evMouseUp, mbLeft, 0, 0, 0, 0}},
      {u"4,0,65534,65535,1,-1,", {evMouseMove, mbNone, 65534, 65535, 1, -1}},
      // Values past the last ',' or without one are read the same.
      {u"4,0,1,2,3,4", {evMouseMove, mbNone, 1, 2, 3, 4}},
      {u"4,0,1,2,3,4,99,junk,", {evMouseMove, mbNone, 1, 2, 3, 4}},
      // The button keeps its low 8 bits; outside the enumeration it is none.
      {u"2,258,0,0,0,0,", {evMouseDown, mbRight, 0, 0, 0, 0}},
      {u"2,3,0,0,0,0,", {evMouseDown, mbNone, 0, 0, 0, 0}},
      {u"2,255,0,0,0,0,", {evMouseDown, mbNone, 0, 0, 0, 0}},
      {u"2,-255,0,0,0,0,", {evMouseDown, mbLeft, 0, 0, 0, 0}},
      {u"2,-1,0,0,0,0,", {evMouseDown, mbNone, 0, 0, 0, 0}},
      // The type keeps its low 8 bits, negative numbers in two's complement.
      {u"258,1,5,6,7,8,", {evMouseDown, mbLeft, 5, 6, 7, 8}},
      {u"-252,0,5,6,7,8,", {evMouseMove, mbNone, 5, 6, 7, 8}},
      {u"+3,+1,-0,+0,2147483647,-2147483648,", {evMouseUp, mbLeft, 0, 0, 2147483647, -2147483647 - 1}},
  };
  for (const auto& c : cases) {
    const std::string label = Narrow(c.Text);
    const auto event = StrToEvent(c.Text);
    ASSERT_NE(event, nullptr) << label;
    const auto* mouse = dynamic_cast<const TMouseEvent*>(event.get());
    ASSERT_NE(mouse, nullptr) << label;
    EXPECT_EQ(mouse->EventType, c.Expect.Type) << label;
    EXPECT_EQ(mouse->Button, c.Expect.Button) << label;
    EXPECT_EQ(mouse->X, c.Expect.X) << label;
    EXPECT_EQ(mouse->Y, c.Expect.Y) << label;
    EXPECT_EQ(mouse->DX, c.Expect.DX) << label;
    EXPECT_EQ(mouse->DY, c.Expect.DY) << label;
    EXPECT_TRUE(mouse->Shift.Empty()) << label;
    EXPECT_EQ(mouse->Window, nullptr) << label;
    EXPECT_FALSE(mouse->Handled) << label;
    EXPECT_FALSE(mouse->InProcess) << label;
  }
}

TEST(LowEvent, StrToEventBuildsKeyEvents) {
  const struct {
    const char16_t* Text;
    TLowEventType Type;
    std::uint16_t Key;
    char16_t Char;
  } cases[] = {
      {u"0,27,0,", evKeyDown, 27, 0},
      {u"0,37,0,", evKeyDown, 37, 0},
      {u"1,0,97,", evKeyUp, 0, u'a'},
      {u"256,65,0,", evKeyDown, 65, 0},
      {u" 0 , 65 , 0 ,", evKeyDown, 65, 0},
      {u"\t1,\t0,\t1078,", evKeyUp, 0, u'\x0436'},
      // Key and Char keep their low 16 bits.
      {u"0,65601,131169,", evKeyDown, 65, u'a'},
      {u"0,-1,-65535,", evKeyDown, 65535, 1},
      {u"1,5,6", evKeyUp, 5, 6},
  };
  for (const auto& c : cases) {
    const std::string label = Narrow(c.Text);
    const auto event = StrToEvent(c.Text);
    ASSERT_NE(event, nullptr) << label;
    const auto* key = dynamic_cast<const TKeyEvent*>(event.get());
    ASSERT_NE(key, nullptr) << label;
    EXPECT_EQ(key->EventType, c.Type) << label;
    EXPECT_EQ(key->Key, c.Key) << label;
    EXPECT_EQ(key->Char, c.Char) << label;
    EXPECT_TRUE(key->Shift.Empty()) << label;
    EXPECT_EQ(key->Window, nullptr) << label;
    EXPECT_FALSE(key->Handled) << label;
  }
}

TEST(LowEvent, StrToEventGivesNoneForOtherTypesAndBadText) {
  const char16_t* cases[] = {
      u"",
      u" ",
      u",",
      u"5,",
      u"6,",
      u"7,",
      u"8,1,2,",
      u"-1,0,0,",
      u"261,0,0,",
      // Missing values.
      u"0,",
      u"0,27",
      u"0,27,",
      u"2,1,10,20,",
      u"2,1,10,20,-3,",
      u"0,,0,",
      // Not decimal integers.
      u"x,",
      u"0,abc,0,",
      u"0,$1B,0,",
      u"0,0x1B,0,",
      u"0,1.5,0,",
      u"0,1e3,0,",
      u"0,2 7,0,",
      u"0,-,0,",
      u"0,+,0,",
      u"0,--1,0,",
      u"0,\xFF11,0,",  // a fullwidth digit
      // Outside 32 bits.
      u"0,2147483648,0,",
      u"0,-2147483649,0,",
      u"2,1,99999999999999999999999,0,0,0,",
  };
  for (const char16_t* text : cases) EXPECT_EQ(StrToEvent(text), nullptr) << Narrow(text);
}

TEST(LowEvent, TextFormRoundTrips) {
  const TKeyEvent keys[] = {
      {evKeyDown, nullptr, 27, 0, TShiftState{ssAlt}},
      {evKeyUp, nullptr, 0, u'\x20AC', {}},
      {evKeyDown, nullptr, 65535, u'\xD83D', {}},
  };
  for (const auto& original : keys) {
    const std::u16string text = EventToStr(original);
    const auto copy = StrToEvent(text);
    const auto* key = dynamic_cast<const TKeyEvent*>(copy.get());
    ASSERT_NE(key, nullptr) << Narrow(text);
    EXPECT_EQ(key->EventType, original.EventType);
    EXPECT_EQ(key->Key, original.Key);
    EXPECT_EQ(key->Char, original.Char);
    EXPECT_EQ(EventToStr(*key), text);
  }
  const TMouseEvent mice[] = {
      {evMouseDown, nullptr, mbRight, TShiftState{ssRight}, 10, 20, -3, 4},
      {evMouseUp, nullptr, mbLeft, {}, 0, 0, 0, 0},
      // The pointer left the window: the marker coordinates survive the text.
      {evMouseMove, nullptr, mbNone, {}, MouseOutsideWindow, 12, 0, 0},
      {evMouseMove, nullptr, mbNone, {}, 3, 65535, -100000, 100000},
  };
  for (const auto& original : mice) {
    const std::u16string text = EventToStr(original);
    const auto copy = StrToEvent(text);
    const auto* mouse = dynamic_cast<const TMouseEvent*>(copy.get());
    ASSERT_NE(mouse, nullptr) << Narrow(text);
    EXPECT_EQ(mouse->EventType, original.EventType);
    EXPECT_EQ(mouse->Button, original.Button);
    EXPECT_EQ(mouse->X, original.X);
    EXPECT_EQ(mouse->Y, original.Y);
    EXPECT_EQ(mouse->DX, original.DX);
    EXPECT_EQ(mouse->DY, original.DY);
    EXPECT_EQ(mouse->OutsideWindow(), original.OutsideWindow());
    EXPECT_EQ(EventToStr(*mouse), text);
  }
}

TEST(LowEvent, OutsideWindowMarker) {
  const struct {
    int X, Y;
    bool Outside;
  } cases[] = {
      {0, 0, false}, {65533, 65533, false}, {65534, 0, true}, {0, 65534, true},
      {65535, 65535, true}, {-1, -1, false},
  };
  for (const auto& c : cases) {
    const TMouseEvent e(evMouseMove, nullptr, mbNone, {}, c.X, c.Y, 0, 0);
    EXPECT_EQ(e.OutsideWindow(), c.Outside) << c.X << "," << c.Y;
  }
}

}  // namespace
}  // namespace corvane
