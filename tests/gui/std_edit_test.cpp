// The text field driven through the applet's event queue.
#include <gtest/gtest.h>

#include <string>

#include "base/lists/wide_string_list.h"
#include "gui/std_edit.h"
#include "platform/media.h"
#include "platform/window.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {
namespace {

using test::TWidgetWorld;

constexpr std::uint16_t kBack = 8, kReturn = 13, kEnd = 35, kHome = 36, kLeft = 37, kRight = 39, kDelete = 46;

struct EditWorld {
  TWidgetWorld w;
  TStdEdit* edit = nullptr;
  explicit EditWorld(const std::string& text) {
    if (!w.Launch("  object edit: TStdEdit\n    x = 0\n    y = 0\n    width = 200\n    height = 24\n    text = '" +
                  text + "'\n  end\n"))
      return;
    edit = w.Find<TStdEdit>(u"edit");
  }
  // Focuses the edit from the keyboard's side (no click position).
  void Focus() { edit->focus(); }
};

TEST(StdEdit, FocusSelectsAllAndTypingReplacesTheSelection) {
  EditWorld e("abc");
  ASSERT_NE(e.edit, nullptr) << e.w.world.Text();
  e.Focus();
  EXPECT_EQ(e.edit->SelStart(), 0);
  EXPECT_EQ(e.edit->SelEnd(), 3);
  ASSERT_NE(e.edit->Caret(), nullptr);
  e.w.Type(u"x");
  EXPECT_EQ(e.edit->Text(), u"x");
  EXPECT_EQ(e.edit->CurPos(), 1);
  EXPECT_FALSE(e.edit->HasSelection());

  e.w.Type(u"yz");
  e.w.Key(kLeft);
  e.w.Type(u"-");
  EXPECT_EQ(e.edit->Text(), u"xy-z");
  EXPECT_EQ(e.edit->Lines()->Get(0), u"xy-z");
  // Backspace at 0 and Delete at the end remove nothing.
  e.w.Key(kHome);
  e.w.Key(kBack);
  e.w.Key(kEnd);
  e.w.Key(kDelete);
  EXPECT_EQ(e.edit->Text(), u"xy-z");
  e.w.Key(kHome);
  e.w.Key(kDelete);
  EXPECT_EQ(e.edit->Text(), u"y-z");

  // Losing the focus takes the caret and the selection away.
  e.w.applet->SetFocused(nullptr);
  EXPECT_EQ(e.edit->Caret(), nullptr);
  EXPECT_FALSE(e.edit->HasSelection());
}

TEST(StdEdit, ShiftAndTheArrowsSelectFromWhereTheCaretWas) {
  EditWorld e("abcdef");
  ASSERT_NE(e.edit, nullptr) << e.w.world.Text();
  e.Focus();
  e.w.Key(kEnd);
  e.w.Key(kLeft);
  ASSERT_EQ(e.edit->CurPos(), 5);
  e.w.Key(kLeft, {ssShift});
  e.w.Key(kLeft, {ssShift});
  EXPECT_EQ(e.edit->SelStart(), 5);
  EXPECT_EQ(e.edit->SelEnd(), 3);
  e.w.Key(kRight);
  EXPECT_FALSE(e.edit->HasSelection());
  e.w.Key(kHome, {ssShift});
  e.w.Key(kDelete);
  EXPECT_EQ(e.edit->Text(), u"ef");
  EXPECT_EQ(e.edit->CurPos(), 0);
}

TEST(StdEdit, TheViewScrollsByWholeCharactersAndTheCaretFollows) {
  EditWorld e(std::string(40, 'm'));
  ASSERT_NE(e.edit, nullptr) << e.w.world.Text();
  e.Focus();
  // Text rectangle 196 wide: 24 characters of 8 fit.
  e.w.Key(kEnd);
  EXPECT_EQ(e.edit->CurPos(), 40);
  EXPECT_EQ(e.edit->FirstVisible(), 16);
  const TCaret* caret = e.edit->Caret();
  ASSERT_NE(caret, nullptr);
  EXPECT_EQ(caret->X, 2 + 8 * 24);
  EXPECT_EQ(caret->Y, 7);
  EXPECT_EQ(caret->Width, 3);
  EXPECT_EQ(caret->Height, 10);
  e.w.Key(kHome);
  EXPECT_EQ(e.edit->FirstVisible(), 0);
  e.w.Key(kRight);
  e.w.Key(kRight);
  e.w.Key(kRight);
  EXPECT_EQ(caret->X, 2 + 8 * 3);
  EXPECT_EQ(caret->Y, 7);

  // A click puts the caret at the boundary left of the pointer; nothing
  // lies left of the first character.
  e.w.Click(2 + 8 * 5 + 3, 12);
  EXPECT_EQ(e.edit->CurPos(), 5);
  EXPECT_EQ(e.edit->TextPosByXY(0, 12), -1);
  // Dragging selects.
  e.w.Press(2 + 8 * 2 + 1, 12);
  e.w.Move(2 + 8 * 6 + 1, 12);
  e.w.Release(2 + 8 * 6 + 1, 12);
  EXPECT_EQ(e.edit->SelStart(), 2);
  EXPECT_EQ(e.edit->SelEnd(), 6);
  EXPECT_EQ(e.w.applet->CapturedObject(), nullptr);
}

TEST(StdEdit, ALongTextScrollsWithoutMeasuringEveryStep) {
  EditWorld e("");
  ASSERT_NE(e.edit, nullptr) << e.w.world.Text();
  e.edit->SetText(std::u16string(20000, u'w'));
  e.Focus();
  e.w.Key(kEnd);
  EXPECT_EQ(e.edit->FirstVisible(), 20000 - 24);
  e.w.Press(2 + 8 * 3 + 1, 12);
  e.w.Move(2 + 8 * 10 + 1, 12);
  e.w.Release(2 + 8 * 10 + 1, 12);
  EXPECT_EQ(e.edit->SelStart(), 20000 - 24 + 3);
  EXPECT_EQ(e.edit->SelEnd(), 20000 - 24 + 10);
  e.w.Key(kHome);
  EXPECT_EQ(e.edit->FirstVisible(), 0);
}

TEST(StdEdit, ReturnNotifiesASingleLineEditAndBreaksAMultiLineOne) {
  EditWorld e("abc");
  ASSERT_NE(e.edit, nullptr) << e.w.world.Text();
  int entered = 0;
  e.edit->OnEnter = [&](TObject* sender) {
    EXPECT_EQ(sender, e.edit);
    ++entered;
  };
  e.Focus();
  e.w.Key(kReturn);
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(e.edit->Text(), u"abc");
  EXPECT_FALSE(e.edit->HasSelection());

  e.edit->SetMultiLine(true);
  e.w.Key(kHome);
  e.w.Key(kReturn);
  EXPECT_EQ(entered, 1);
  EXPECT_EQ(e.edit->Text(), std::u16string(u"abc\n\r"));
}

TEST(StdEdit, TheSelectionNeverReachesPastTheText) {
  EditWorld e("abcde");
  ASSERT_NE(e.edit, nullptr) << e.w.world.Text();
  e.Focus();
  e.w.Key(kEnd);
  e.w.Key(kLeft, {ssShift});
  e.w.Key(kLeft, {ssShift});
  e.w.Key(kBack);
  e.w.Key(kBack);
  e.w.Key(kBack);
  EXPECT_EQ(e.edit->Text(), u"de");
  e.w.Type(u"q");
  EXPECT_EQ(e.edit->Text(), u"qde");
  EXPECT_EQ(e.edit->CurPos(), 1);

  // A new, shorter text from a script limits both ends.
  e.Focus();
  e.edit->SelectAll();
  e.edit->SetText(u"z");
  EXPECT_EQ(e.edit->SelStart(), 0);
  EXPECT_EQ(e.edit->SelEnd(), 1);
  EXPECT_EQ(e.edit->CurPos(), 1);
  e.w.Key(kDelete);
  EXPECT_EQ(e.edit->Text(), u"");
}

TEST(StdEdit, AFocusedEditThatIsFreedTakesItsCaretWithIt) {
  EditWorld e("abc");
  ASSERT_NE(e.edit, nullptr) << e.w.world.Text();
  e.Focus();
  ASSERT_NE(e.w.applet->Window()->Caret, nullptr);
  e.edit->Free();
  EXPECT_EQ(e.w.applet->Window()->Caret, nullptr);
  e.w.Frames(2);
}

}  // namespace
}  // namespace corvane
