// Widgets driven through the X server as a user drives them: pointer and
// keys made by XTest, read by SDL, dispatched by the engine's frames.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/event.h"
#include "gui/console.h"
#include "gui/std_dropdown.h"
#include "gui/std_edit.h"
#include "gui/std_list.h"
#include "platform/filters/register.h"
#include "platform/low_event.h"
#include "platform/platform.h"
#include "platform/sdl/sys_font_freetype.h"
#include "platform/sys_font.h"
#include "tests/platform_sdl/pinned_fonts.h"
#include "tests/support/kit/embedded_defaults_scope.h"
#include "tests/platform_sdl/xtest_input_kit.h"

namespace corvane {
namespace {

class WidgetInputTest : public test::XTestAppletTest {
 protected:
  void SetUp() override {
    XTestAppletTest::SetUp();
    if (IsSkipped()) return;
    test::PinDejaVuSans();
    RegisterFreeTypeSysFont();
  }
  void TearDown() override {
    XTestAppletTest::TearDown();
    SysFontClass = nullptr;
  }
  template <class T>
  T* Find(const char16_t* name) {
    return dynamic_cast<T*>(Running()->findByName(name));
  }
  // The edit of kHeard made a key listener of the game, as a game's own
  // listeners are: what reaches them types into it.
  TStdEdit* ListenAsTheGame() {
    auto* heard = Find<TStdEdit>(u"heard");
    if (heard) Running()->GetEvent()->AddListner(heard);
    return heard;
  }
  // No key reached the game: none its listeners heard, no onKeyPress ran
  // (it sets paramKey first), none held down.
  void ExpectTheGameHeardNothing(const TStdEdit* heard) {
    EXPECT_EQ(heard->Text(), u"");
    EXPECT_EQ(Running()->GetEvent()->paramKey, 0u) << "no onKeyPress ran";
    EXPECT_TRUE(Running()->GetEvent()->KeysDown().empty());
  }
};

std::string AppletOf(const std::string& objects) {
  return "object widgets: Applet\n  width = 320\n  height = 240\n  bkColor = '#FF000000'\n" + objects + "end\n";
}

const char kEdit[] =
    "  object edit: TStdEdit\n    x = 10\n    y = 10\n    width = 200\n    height = 24\n"
    "    text = 'abcdef'\n  end\n";
const char kHeard[] = "  object heard: TStdEdit\n    x = 10\n    y = 180\n    width = 200\n    height = 24\n  end\n";

TEST_F(WidgetInputTest, AClickOnACharacterBoundaryPutsTheCaretThere) {
  ASSERT_NE(Start(AppletOf(kEdit)), nullptr) << ::testing::PrintToString(env.Messages());
  auto* edit = Find<TStdEdit>(u"edit");
  ASSERT_NE(edit, nullptr);
  // The boundary between "abc" and "def", to the pixel (the edit takes
  // its clicks' x from its own left).
  const float boundary = edit->X() + edit->TextWidth(0, 3);
  ASSERT_EQ(boundary, std::round(boundary)) << "the font's advances are whole pixels";
  Click(static_cast<int>(boundary), 20);
  EXPECT_EQ(edit->CurPos(), 3);
  Type("x");
  EXPECT_EQ(edit->Text(), u"abcxdef");
}

TEST_F(WidgetInputTest, TheKeypadNavigatesWithoutNumLockAndTypesDigitsWithIt) {
  ASSERT_NE(Start(AppletOf(kEdit)), nullptr) << ::testing::PrintToString(env.Messages());
  auto* edit = Find<TStdEdit>(u"edit");
  ASSERT_NE(edit, nullptr);
  Click(190, 20);  // right of the text: the caret at its end
  ASSERT_EQ(edit->CurPos(), 6);
  Tap(test::kXKeyKeypadHome);
  Type("1");
  Tap(test::kXKeyKeypadEnd);
  Type("2");
  Tap(test::kXKeyKeypadLeft);
  Tap(test::kXKeyKeypadLeft);
  Tap(test::kXKeyKeypadDelete);
  Tap(test::kXKeyKeypadInsert);
  EXPECT_EQ(edit->Text(), u"1abcde2");
  EXPECT_EQ(edit->CurPos(), 6);
  Tap(test::kXKeyNumLock);
  Tap(test::kXKeyKeypadHome);  // the same key: 7 under Num Lock
  Tap(test::kXKeyKeypadDelete);
  Tap(test::kXKeyNumLock);
  EXPECT_EQ(edit->Text(), u"1abcde7.2");
}

// An open drop-down closed without a release on a row keeps its choice
// (the row the pointer lit is none), whether a click outside or Escape
// closes it. While it is open its list holds the keys: what is typed then,
// its Escape included, reaches neither the game's listeners nor its
// onKeyPress.
TEST_F(WidgetInputTest, AnOpenDropdownClosedWithoutAChoiceKeepsItsChoice) {
  ASSERT_NE(Start(AppletOf("  object choice: TStdDropdown\n    x = 10\n    y = 10\n    width = 100\n"
                           "    height = 24\n    items.strings = ('one' 'two' 'three')\n    itemIndex = 0\n  end\n" +
                           std::string(kHeard))),
            nullptr)
      << ::testing::PrintToString(env.Messages());
  auto* dropdown = Find<TStdDropdown>(u"choice");
  TStdEdit* heard = ListenAsTheGame();
  ASSERT_TRUE(dropdown && heard);
  ASSERT_EQ(dropdown->Text(), u"one");
  TStdList* popup = dropdown->Popup();
  const std::function<void()> closings[] = {[&] { Click(250, 100); },
                                            [&] {
                                              Type("x");
                                              Tap(test::kXKeyEscape);
                                            }};
  for (const auto& close : closings) {
    Click(50, 20);
    ASSERT_TRUE(dropdown->DroppedDown());
    const TRect row = popup->GetItemRect(2);
    MoveTo(static_cast<int>(popup->X()) + (row.left + row.right) / 2,
           static_cast<int>(popup->Y()) + (row.top + row.bottom) / 2);
    ASSERT_EQ(dropdown->ItemIndex(), 2) << "the row under the pointer is lit";
    close();
    EXPECT_FALSE(dropdown->DroppedDown());
    EXPECT_EQ(dropdown->ItemIndex(), 0);
    EXPECT_EQ(dropdown->Text(), u"one");
  }
  ExpectTheGameHeardNothing(heard);
  // A row released on is still a choice.
  Click(50, 20);
  const TRect second = popup->GetItemRect(1);
  Click(static_cast<int>(popup->X()) + (second.left + second.right) / 2,
        static_cast<int>(popup->Y()) + (second.top + second.bottom) / 2);
  EXPECT_FALSE(dropdown->DroppedDown());
  EXPECT_EQ(dropdown->ItemIndex(), 1);
  EXPECT_EQ(dropdown->Text(), u"two");
}

// What the engine records of a click on a list's row, a notch of the wheel
// over it, a drag over an edit's text and a Shift-click that extends the
// selection, played back, does what the keyboard and mouse did: the
// buttons and Shift held and the wheel's turn are in the recording. Shift
// goes down and up around the click before a frame reads any of it: the
// click is still a Shift-click.
TEST_F(WidgetInputTest, ARecordedClickWheelDragAndShiftClickPlayBackAsTheyWentLive) {
  ASSERT_NE(Start(AppletOf(std::string(kEdit) +
                           "  object rows: TStdList\n    x = 10\n    y = 60\n    width = 200\n    height = 100\n"
                           "    itemHeight = 20\n"
                           "    items.strings = ('one' 'two' 'three' 'four' 'five' 'six' 'seven')\n  end\n")),
            nullptr)
      << ::testing::PrintToString(env.Messages());
  auto* edit = Find<TStdEdit>(u"edit");
  auto* list = Find<TStdList>(u"rows");
  ASSERT_NE(edit, nullptr);
  ASSERT_NE(list, nullptr);
  // Every frame one period on the clock: the playback's events come in the
  // frames they were recorded in.
  env.engine->SetFixedStep(true);
  Event* event = Running()->GetEvent();
  const auto state = [&] {
    return std::vector<std::int32_t>{list->ItemIndex(), list->TopIndex(), edit->SelStart(), edit->SelEnd(),
                                     edit->CurPos()};
  };
  // Just right of a boundary: the caret goes to it.
  const auto at = [&](std::int32_t boundary) { return static_cast<int>(edit->X() + edit->TextWidth(0, boundary)) + 2; };

  event->recordEvent(u"live.rec");
  const std::uint64_t recordedFrom = env.engine->FrameCount();
  Click(50, 110);  // the third row
  Wheel(-1);
  Press(190, 20);  // right of the text: its end
  MoveTo(at(4), 20);
  MoveTo(at(2), 20);
  Release(at(2), 20);
  MoveTo(at(1), 20);
  x_.Key(test::kXKeyShift, true);
  x_.Button(1, true);
  x_.Button(1, false);
  x_.Key(test::kXKeyShift, false);
  Settle();
  event->stop();
  const std::uint64_t recorded = env.engine->FrameCount() - recordedFrom;
  const std::vector<std::int32_t> live = state();
  ASSERT_EQ(live, (std::vector<std::int32_t>{2, 1, 6, 1, 1}))
      << "row three, scrolled down a row; \"bcdef\" selected from its end";

  list->SetItemIndex(-1);
  list->MouseWheel({}, 100);  // back to the top
  edit->ClearSelection();
  edit->SetCurPos(0);
  ASSERT_EQ(state(), (std::vector<std::int32_t>{-1, 0, -1, -1, 0}));
  event->playEvent(u"live.rec");
  ASSERT_TRUE(event->Playing()) << ::testing::PrintToString(env.Messages());
  // The playback ends with the frames it was recorded in.
  for (std::uint64_t frame = 0; frame <= recorded + 10 && (event->RecordList().Count() > 0 || event->QueueCount() > 0);
       ++frame)
    Frames(1);
  EXPECT_EQ(event->RecordList().Count(), 0);
  Frames(2);
  event->stop();
  EXPECT_EQ(state(), live);
}

// A box shown modal over the game (the applet's message box) takes every
// key and the wheel while it is up: the edit or list behind it, focused
// before it came, gets none, nor do the game's key listeners and
// onKeyPress; Tab moves the focus only inside the box, and the Escape
// that closes it, released once the box is gone, is still the box's.
TEST_F(WidgetInputTest, AModalBoxTakesEveryKeyAndTheWheelWhileItIsUp) {
  ASSERT_NE(Start(AppletOf(std::string(kEdit) +
                           "  object rows: TStdList\n    x = 10\n    y = 60\n    width = 200\n    height = 100\n"
                           "    itemHeight = 20\n"
                           "    items.strings = ('one' 'two' 'three' 'four' 'five' 'six' 'seven')\n  end\n" +
                           kHeard)),
            nullptr)
      << ::testing::PrintToString(env.Messages());
  auto* edit = Find<TStdEdit>(u"edit");
  auto* list = Find<TStdList>(u"rows");
  TStdEdit* heard = ListenAsTheGame();
  ASSERT_TRUE(edit && list && heard);
  // The input waits in the host's queue; the box's frames read it.
  const auto whileBoxIsUp = [&](const std::function<void()>& input) {
    input();
    x_.Tap(test::kXKeyEscape);
    SyncHost();
    Running()->showMessage(u"Stop", u"");
    Settle();
  };
  edit->focus();
  whileBoxIsUp([&] {
    for (const char c : std::string("xy")) x_.Tap(static_cast<unsigned char>(c));
    x_.Tap(test::kXKeyTab);
  });
  EXPECT_TRUE(Running()->ModalStack().empty());
  EXPECT_EQ(edit->Text(), u"abcdef");
  EXPECT_EQ(Running()->FocusedObject(), nullptr) << "the focus went into the box, and left with it";
  list->focus();
  whileBoxIsUp([&] {
    x_.Button(5, true);
    x_.Button(5, false);
  });
  EXPECT_EQ(list->TopIndex(), 0);
  ExpectTheGameHeardNothing(heard);
  // The box gone, keys and the wheel are the game's again.
  Wheel(-1);
  EXPECT_EQ(list->TopIndex(), 1);
  Type("z");
  EXPECT_EQ(heard->Text(), u"z");
  EXPECT_EQ(Running()->GetEvent()->paramKey, static_cast<std::uint32_t>(u'z'));
}

// The console's keys are its own, Escape's with them: typed into the open
// console they reach neither the game's focused edit nor its listeners,
// and the Escape that closes the console, released once it is gone, runs
// no onKeyPress of the game.
TEST_F(WidgetInputTest, KeysTypedIntoTheConsoleAndTheEscapeClosingItAreTheConsoles) {
  ASSERT_NE(Start(AppletOf(std::string(kEdit) + kHeard)), nullptr) << ::testing::PrintToString(env.Messages());
  auto* edit = Find<TStdEdit>(u"edit");
  TStdEdit* heard = ListenAsTheGame();
  ASSERT_TRUE(edit && heard);
  edit->focus();
  // The console opens with its key's press and runs its frames until the
  // Escape: every key after it waits in the host's queue till then.
  x_.Tap(test::kXKeyGrave);
  for (const char c : std::string("xy")) x_.Tap(static_cast<unsigned char>(c));
  x_.Tap(test::kXKeyEscape);
  Settle();
  auto* console = dynamic_cast<TConsole*>(Running()->Console());
  ASSERT_NE(console, nullptr);
  EXPECT_FALSE(console->Visible());
  EXPECT_EQ(console->Edit()->Text(), u"xy");
  EXPECT_EQ(edit->Text(), u"abcdef");
  ExpectTheGameHeardNothing(heard);
}

// The arrow's tip is drawn where the pointer is, to the pixel, wherever it
// goes: what a click hits is what the arrow points at.
TEST_F(WidgetInputTest, TheCursorsTipIsDrawnOnThePointer) {
  // The default cursor's picture is an embedded file.
  RegisterFilterClasses();
  const test::TEmbeddedDefaultsScope defaults;
  ASSERT_NE(Start("object plain: Applet\n  width = 320\n  height = 240\n  bkColor = '#FF4080C0'\nend\n"), nullptr)
      << ::testing::PrintToString(env.Messages());
  for (const auto& [x, y] : {std::pair{100, 80}, std::pair{250, 30}, std::pair{40, 200}}) {
    MoveTo(x, y);
    const test::TPngPicture picture = WindowPicture();
    ASSERT_EQ(picture.Width, 320);
    // The tip: the first row the cursor draws on, its leftmost pixel.
    int tipX = -1, tipY = -1;
    for (int row = 0; row < picture.Height && tipY < 0; ++row)
      for (int column = 0; column < picture.Width; ++column)
        if (test::ChannelDistance(picture.Pixel(column, row), 0x4080C0) > 16) {
          tipX = column;
          tipY = row;
          break;
        }
    EXPECT_NEAR(tipX, x, 1) << "pointer at " << x << ", " << y;
    EXPECT_NEAR(tipY, y, 1) << "pointer at " << x << ", " << y;
  }
}

TEST_F(WidgetInputTest, MovesOfAnAcquiredMouseComeFromTheCentreWithTheirDeltas) {
  Applet* applet = Start(AppletOf(""));
  ASSERT_NE(applet, nullptr) << ::testing::PrintToString(env.Messages());
  TWindow* window = applet->Window();
  TPlatform* platform = env.engine->Platform();
  platform->AcquireMouse(window);
  // The host's events are read straight off the applet's queue.
  const auto pump = [&] {
    SyncHost();
    for (int i = 0; i < 200 && HostEventsWaiting(); ++i) platform->PeekHandler();
  };
  const auto moves = [&] {
    std::vector<std::array<std::int32_t, 4>> seen;  // x, y, dx, dy
    Event* queue = applet->GetEvent();
    for (std::int32_t i = queue->QueueCount() - 1; i >= 0; --i)
      if (auto* move = dynamic_cast<const TMouseEvent*>(queue->QueuedEvent(i)); move && move->EventType == evMouseMove)
        seen.push_back({move->X, move->Y, move->DX, move->DY});
    while (queue->QueueCount() > 0) queue->DeleteLastEvent(queue->QueuedEvent(queue->QueueCount() - 1)->EventType);
    return seen;
  };
  pump();
  moves();
  std::int32_t totalX = 0, totalY = 0;
  // A position that drifted with the deltas would leave the centre at
  // once, and stop at the window's edge.
  for (int step = 1; step <= 3; ++step) {
    // Steps differ: SDL drops a raw move equal to the one before it
    // within the same millisecond as a duplicate.
    x_.MoveBy(30 + step, 20 + step);
    pump();
    for (const auto& [x, y, dx, dy] : moves()) {
      EXPECT_EQ(x, window->Width / 2);
      EXPECT_EQ(y, window->Height / 2);
      totalX += dx;
      totalY += dy;
    }
  }
  EXPECT_EQ(totalX, 31 + 32 + 33);
  EXPECT_EQ(totalY, 21 + 22 + 23);
  platform->AcquireDisable(window);
}

}  // namespace
}  // namespace corvane
