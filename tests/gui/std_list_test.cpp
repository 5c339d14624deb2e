// Lists and drop-downs driven through the applet's event queue.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/lists/wide_string_list.h"
#include "engine/core/container.h"
#include "gui/std_dropdown.h"
#include "gui/std_list.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {
namespace {

using test::QuadsIn;
using test::TWidgetWorld;

std::string Items(int n) {
  std::string items = "(";
  for (int i = 0; i < n; ++i) items += " 'i" + std::to_string(i) + "'";
  return items + " )";
}

TEST(StdList, RowsSnapToWholeItemsAndTheWheelStaysWithinThem) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object list: TStdList\n    x = 0\n    y = 0\n    width = 100\n    height = 100\n"
                       "    items.strings = " + Items(20) + "\n  end\n"))
      << w.world.Text();
  auto* list = w.Find<TStdList>(u"list");
  ASSERT_EQ(list->Items()->GetCount(), 20);
  w.Paint();
  EXPECT_EQ(list->RowCount(), 7);
  EXPECT_EQ(list->Height(), 102);
  list->SetRowCount(8);
  EXPECT_EQ(list->Height(), 116);

  // A left press selects the row under it; the wheel reaches the focused list.
  w.Click(50, 2 + 14 * 2 + 5);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(list->Text(), u"i2");
  for (int i = 0; i < 30; ++i) w.Wheel(-1);
  EXPECT_EQ(list->TopIndex(), 12);
  w.Wheel(3);
  EXPECT_EQ(list->TopIndex(), 9);
  w.Wheel(100);
  EXPECT_EQ(list->TopIndex(), 0);

  list->SetItemIndex(100);
  EXPECT_EQ(list->ItemIndex(), 19);
  list->SetItemIndex(-5);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(list->Text(), u"i19") << "no item leaves the text as it was";
}

TEST(StdList, PaintsTheCurrentItemsBandAndAThumbInProportion) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object list: TStdList\n    width = 100\n    height = 100\n"
                       "    items.strings = " + Items(20) + "\n    itemIndex = 2\n  end\n"))
      << w.world.Text();
  test::TRecordingDevice* device = w.world.Device();
  ASSERT_NE(device, nullptr);
  device->ClearRecords();
  w.Paint();
  // Seven rows of 14 fit: the thumb spans 7 / 20 of the track.
  EXPECT_EQ(QuadsIn(*device, 0x660000FF),
            (std::vector<TRect>{{91, 2, 98, 36}, {2, 30, 89, 44}}));
  EXPECT_EQ(QuadsIn(*device, 0xFF808080), (std::vector<TRect>{{0, 0, 100, 102}}));
}

TEST(StdList, RowsOfNoHeightHoldNothingAndDivideByNothing) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object list: TStdList\n    width = 100\n    height = 100\n    itemHeight = 0\n"
                       "    items.strings = " + Items(3) + "\n  end\n"
                       "  object bare: TStdList\n    y = 200\n    rowCount = 0\n  end\n"))
      << w.world.Text();
  auto* list = w.Find<TStdList>(u"list");
  w.Paint();
  EXPECT_EQ(list->Height(), 100) << "no snapping";
  EXPECT_EQ(list->RowCount(), 8);
}

TEST(StdList, ItemRectanglesLeaveRoomForTheThumbOnlyWhenItemsOverflow) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object list: TStdList\n    width = 100\n    items.strings = " + Items(8) +
                       "\n  end\n"))
      << w.world.Text();
  auto* list = w.Find<TStdList>(u"list");
  EXPECT_EQ(list->GetItemRect(0), (TRect{2, 2, 96, 16}));
  list->Items()->Add(u"i8");
  EXPECT_EQ(list->GetItemRect(1), (TRect{2, 16, 89, 30}));
  list->SetColumnCount(2);
  list->SetRowCount(4);
  // Column 1 holds items 4 .. 7; the ninth lies beyond the last column.
  EXPECT_EQ(list->GetItemRect(5).top, 16);
  EXPECT_EQ(list->GetItemRect(5).left, 2 + list->ColumnWidth());
  EXPECT_EQ(list->GetItemRect(8), (TRect{}));
}

TEST(StdList, AStreamedCurrentItemSurvivesTheItemsStreamedAfterIt) {
  TWidgetWorld w;
  ASSERT_TRUE(w.Launch("  object list: TStdList\n    itemIndex = 3\n    items.strings = " + Items(5) + "\n  end\n"
                       "  object dropdown: TStdDropdown\n    itemIndex = 2\n    items.strings = " + Items(5) +
                       "\n  end\n"))
      << w.world.Text();
  auto* list = w.Find<TStdList>(u"list");
  EXPECT_EQ(list->ItemIndex(), 3);
  EXPECT_EQ(list->Text(), u"i3");
  auto* dropdown = w.Find<TStdDropdown>(u"dropdown");
  EXPECT_EQ(dropdown->ItemIndex(), 2);
  EXPECT_EQ(dropdown->Text(), u"i2");
  EXPECT_EQ(dropdown->Popup()->Parent(), dropdown) << "closed, the pop-up stays the drop-down's own";
}

struct DropdownWorld {
  TWidgetWorld w;
  TStdDropdown* dropdown = nullptr;
  TStdDropdown* empty = nullptr;
  int changes = 0;
  DropdownWorld() {
    if (!w.Launch("  object dropdown: TStdDropdown\n    x = 10\n    y = 10\n    width = 100\n    height = 24\n"
                  "    items.strings = " + Items(20) + "\n    onChange = 'log changed'\n  end\n"
                  "  object empty: TStdDropdown\n    x = 300\n    y = 10\n    onChange = 'log empty changed'\n  end\n"))
      return;
    dropdown = w.Find<TStdDropdown>(u"dropdown");
    empty = w.Find<TStdDropdown>(u"empty");
    dropdown->SetOnChange([this](TObject*) { ++changes; });
  }
};

TEST(StdDropdown, APopupOpensBelowSelectsByHoverAndClosesOnRelease) {
  DropdownWorld d;
  ASSERT_NE(d.dropdown, nullptr) << d.w.world.Text();
  Applet* applet = d.w.applet;
  d.w.Click(50, 20);
  TStdList* popup = d.dropdown->Popup();
  ASSERT_NE(popup, nullptr);
  ASSERT_TRUE(d.dropdown->DroppedDown());
  EXPECT_EQ(popup->Parent(), applet);
  EXPECT_EQ(popup->GetBoundsRectInt(), (TRect{10, 34, 110, 150}));
  EXPECT_TRUE(popup->Visible());
  EXPECT_EQ(applet->FocusedObject(), popup);
  EXPECT_EQ(applet->CapturedObject(), popup);

  d.w.Move(60, 85);
  EXPECT_EQ(popup->ItemIndex(), 3);
  d.w.Release(60, 85);
  EXPECT_EQ(d.dropdown->Text(), u"i3");
  EXPECT_FALSE(d.dropdown->DroppedDown());
  EXPECT_FALSE(popup->Visible());
  EXPECT_EQ(applet->CapturedObject(), nullptr);
  EXPECT_EQ(applet->FocusedObject(), d.dropdown);
  EXPECT_EQ(d.w.Count("changed"), 1);
  EXPECT_EQ(d.changes, 1);

  // A release far outside closes it, still reporting a change.
  d.w.Click(50, 20);
  ASSERT_TRUE(d.dropdown->DroppedDown());
  d.w.Move(500, 500);
  d.w.Press(500, 500);
  d.w.Release(500, 500);
  EXPECT_FALSE(d.dropdown->DroppedDown());
  EXPECT_EQ(d.w.Count("changed"), 2);
  EXPECT_EQ(d.dropdown->Text(), u"i3");
  EXPECT_EQ(applet->CapturedObject(), nullptr);
}

TEST(StdDropdown, ASecondClickClosesItAndAnEmptyOneOpensAndCloses) {
  DropdownWorld d;
  ASSERT_NE(d.dropdown, nullptr) << d.w.world.Text();
  Applet* applet = d.w.applet;
  d.w.Click(50, 20);
  ASSERT_TRUE(d.dropdown->DroppedDown());
  d.w.Click(50, 20);
  EXPECT_FALSE(d.dropdown->DroppedDown());
  EXPECT_FALSE(d.dropdown->Popup()->Visible());
  EXPECT_EQ(applet->CapturedObject(), nullptr);
  // Later releases belong to no pop-up.
  d.w.Move(60, 85);
  d.w.Click(60, 85);
  EXPECT_EQ(d.dropdown->Text(), u"");
  EXPECT_EQ(d.w.Count("changed"), 0);
  // Opens again on the next click.
  d.w.Click(50, 20);
  EXPECT_TRUE(d.dropdown->DroppedDown());

  d.w.Click(310, 20);
  TStdList* popup = d.empty->Popup();
  ASSERT_TRUE(d.empty->DroppedDown());
  EXPECT_FALSE(d.dropdown->DroppedDown()) << "the other pop-up lost the focus";
  EXPECT_EQ(popup->Height(), 4);
  d.w.Click(500, 500);
  EXPECT_FALSE(d.empty->DroppedDown());
  EXPECT_EQ(applet->CapturedObject(), nullptr);
  EXPECT_EQ(d.w.Count("empty changed"), 0) << "nothing was chosen";
  // Losing the focus closes an empty one too.
  d.w.Click(310, 20);
  ASSERT_TRUE(d.empty->DroppedDown());
  applet->SetFocused(nullptr);
  EXPECT_FALSE(d.empty->DroppedDown());
  EXPECT_EQ(applet->CapturedObject(), nullptr);
}

TEST(StdDropdown, FreeingAnOpenDropdownFreesItsPopupOnce) {
  DropdownWorld d;
  ASSERT_NE(d.dropdown, nullptr) << d.w.world.Text();
  d.w.Click(50, 20);
  TWeak<TStdList> popup(d.dropdown->Popup());
  ASSERT_TRUE(popup.Get());
  d.dropdown->Free();
  EXPECT_FALSE(popup.Get());
  EXPECT_EQ(d.w.applet->CapturedObject(), nullptr);
  EXPECT_EQ(d.w.applet->FocusedObject(), nullptr);
  d.w.Click(60, 85);
  d.w.Frames(2);
  // One still closed frees its pop-up with it as its child.
  TWeak<TStdList> closed(d.empty->Popup());
  d.empty->Free();
  EXPECT_FALSE(closed.Get());
}

}  // namespace
}  // namespace corvane
