#include "platform/low_event.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text/text_convert.h"
#include "engine/core/schedule_event.h"

namespace corvane {
namespace {

std::string Narrow(const std::u16string& s) { return Utf16ToUtf8(s); }

// Every text field is written; a key or mouse event read back from its text
// writes the same text again.
TEST(LowEvent, EventToStrWritesTheTextFieldsAndReadsBack) {
  const TKeyEvent keyDown(evKeyDown, nullptr, 37, 0, TShiftState{ssCtrl});
  const TKeyEvent keyUp(evKeyUp, nullptr, 0, u'a', {});
  const TKeyEvent euro(evKeyUp, nullptr, 0, u'\x20AC', TShiftState{ssAlt});
  const TKeyEvent wideChar(evKeyDown, nullptr, 65535, u'\xFFFF', {});
  const TKeyEvent surrogate(evKeyDown, nullptr, 65535, u'\xD83D', {});
  const TMouseEvent press(evMouseDown, nullptr, mbLeft, TShiftState{ssLeft}, 120, 45, 0, 0);
  const TMouseEvent release(evMouseUp, nullptr, mbRight, TShiftState{ssRight}, 10, 20, -3, 4);
  const TMouseEvent move(evMouseMove, nullptr, mbNone, {}, -7, 65535, -2147483647 - 1, 2147483647);
  const TMouseEvent outside(evMouseMove, nullptr, mbNone, {}, MouseOutsideWindow, 12, -100000, 100000);
  const TWheelEvent wheel(evMouseWheel, nullptr, -120, TShiftState{ssShift});
  const TScheduleActionEvent schedule(evScheduleAction, 1.0f, nullptr, seaHide);
  const TActionEvent close(evActionEvent, nullptr, aeCloseWindow);
  const struct {
    const TLowEvent& Event;
    const char* Text;
    bool ReadsBack;
  } cases[] = {
      {keyDown, "0,37,0,4,", true},
      {keyUp, "1,0,97,0,", true},
      {euro, "1,0,8364,2,", true},
      {wideChar, "0,65535,65535,0,", true},
      {surrogate, "0,65535,55357,0,", true},
      {press, "2,1,120,45,0,0,8,", true},
      {release, "3,2,10,20,-3,4,16,", true},
      {move, "4,0,-7,65535,-2147483648,2147483647,0,", true},
      {outside, "4,0,65534,12,-100000,100000,0,", true},
      {wheel, "5,-120,1,", true},
      {schedule, "6,", false},
      {close, "7,", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    const std::u16string text = EventToStr(c.Event);
    EXPECT_EQ(Narrow(text), c.Text);
    const auto copy = StrToEvent(text);
    ASSERT_EQ(copy != nullptr, c.ReadsBack);
    if (copy) {
      EXPECT_EQ(EventToStr(*copy), text);
    }
  }
}

// What StrToEvent makes of a text, as its own text form (pinned above).
TEST(LowEvent, StrToEventReadsKeyMouseAndWheelEvents) {
  const struct {
    const char16_t* Text;
    const char* Read;
  } cases[] = {
      {u"0,27,0,", "0,27,0,0,"},
      {u"1,0,97,", "1,0,97,0,"},
      {u" 0 , 65 , 0 ,", "0,65,0,0,"},
      {u"\t1,\t0,\t1078,", "1,0,1078,0,"},
      {u"1,5,6", "1,5,6,0,"},
      // Key and Char keep their low 16 bits.
      {u"0,65601,131169,", "0,65,97,0,"},
      {u"0,-1,-65535,", "0,65535,1,0,"},
      // The type keeps its low 8 bits, negative numbers in two's complement.
      {u"256,65,0,", "0,65,0,0,"},
      {u"258,1,5,6,7,8,", "2,1,5,6,7,8,0,"},
      {u"-252,0,5,6,7,8,", "4,0,5,6,7,8,0,"},
      {u"4,0,65534,65535,1,-1,", "4,0,65534,65535,1,-1,0,"},
      // Values past the last ',' or without one are read the same; a text
      // that ends before the shift state (an older record) has none.
      {u"4,0,1,2,3,4", "4,0,1,2,3,4,0,"},
      {u"4,0,1,2,3,4,99,junk,", "4,0,1,2,3,4,99,"},
      // The button keeps its low 8 bits; outside the enumeration it is none.
      {u"2,258,0,0,0,0,", "2,2,0,0,0,0,0,"},
      {u"2,3,0,0,0,0,", "2,0,0,0,0,0,0,"},
      {u"2,255,0,0,0,0,", "2,0,0,0,0,0,0,"},
      {u"2,-255,0,0,0,0,", "2,1,0,0,0,0,0,"},
      {u"2,-1,0,0,0,0,", "2,0,0,0,0,0,0,"},
      {u"+3,+1,-0,+0,2147483647,-2147483648,", "3,1,0,0,2147483647,-2147483648,0,"},
      // The shift state keeps its defined flags.
      {u"2,1,5,6,0,0,9,", "2,1,5,6,0,0,9,"},
      {u"0,37,0,1 ,", "0,37,0,1,"},
      {u"2,1,5,6,0,0,-1,", "2,1,5,6,0,0,65535,"},
      {u"0,37,0,131073,", "0,37,0,1,"},
      // A wheel's delta, with or without its shift state.
      {u"5,1,", "5,1,0,"},
      {u"261,-3,4,", "5,-3,4,"},
      {u"5,2147483647,-1,", "5,2147483647,65535,"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.Text));
    const auto event = StrToEvent(c.Text);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(Narrow(EventToStr(*event)), c.Read);
  }
}

TEST(LowEvent, StrToEventGivesNoneForOtherTypesAndBadText) {
  const char16_t* cases[] = {
      // Other types, and a wheel without its delta (an older record's line,
      // which plays as nothing).
      u"", u" ", u",", u"5,", u"6,", u"7,", u"8,1,2,", u"-1,0,0,", u"262,0,0,",
      // Missing values.
      u"0,", u"0,27", u"0,27,", u"2,1,10,20,", u"2,1,10,20,-3,", u"0,,0,",
      // Not decimal integers.
      u"x,", u"0,abc,0,", u"0,$1B,0,", u"0,0x1B,0,", u"0,1.5,0,", u"0,1e3,0,", u"0,2 7,0,", u"0,-,0,", u"0,+,0,",
      u"0,--1,0,", u"0,\xFF11,0,",  // a fullwidth digit
      // Outside 32 bits.
      u"0,2147483648,0,", u"0,-2147483649,0,", u"2,1,99999999999999999999999,0,0,0,",
      // A shift state that is there but no number.
      u"0,37,0,x,", u"2,1,5,6,0,0,1.5,", u"1,0,97,,", u"5,x,", u"5,1,y,",
  };
  for (const char16_t* text : cases) EXPECT_EQ(StrToEvent(text), nullptr) << Narrow(text);
}

TEST(LowEvent, OutsideWindowMarker) {
  const struct {
    int X, Y;
    bool Outside;
  } cases[] = {{0, 0, false}, {65533, 65533, false}, {65534, 0, true}, {0, 65534, true}, {65535, 65535, true},
               {-1, -1, false}};
  for (const auto& c : cases) {
    const TMouseEvent e(evMouseMove, nullptr, mbNone, {}, c.X, c.Y, 0, 0);
    EXPECT_EQ(e.OutsideWindow(), c.Outside) << c.X << "," << c.Y;
  }
}

}  // namespace
}  // namespace corvane
