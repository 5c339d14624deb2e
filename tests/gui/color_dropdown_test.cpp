// The colour drop-down: its computed palette (double precision, halves to
// even), a colour chosen through the event queue, its value as text (its
// glyph: skinned_widgets_test.cpp).
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/lists/wide_string_list.h"
#include "base/streams/memory_stream.h"
#include "gui/color_dropdown.h"
#include "gui/std_list.h"
#include "resources/cache/object_storage.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {
namespace {

using test::TWidgetWorld;

const char* kPicker = "  object picker: ColorDropdown\n    x = 10\n    y = 10\n    width = 60\n    height = 24\n  end\n";

TEST(ColorDropdownWidget, ThePaletteHas96DistinctColoursInItsColumns) {
  TWidgetWorld w(true);
  ASSERT_TRUE(w.Launch(kPicker)) << w.world.Text();
  auto* picker = w.Find<ColorDropdown>(u"picker");
  TWideStringList* items = picker->Items();
  ASSERT_EQ(items->GetCount(), 96);
  std::set<std::u16string> distinct;
  for (int i = 0; i < 96; ++i) distinct.insert(items->Get(i));
  EXPECT_EQ(distinct.size(), 96u);
  EXPECT_EQ(items->Get(0), u"0");
  EXPECT_EQ(items->Get(7), u"16777215");
  EXPECT_EQ(items->Get(8), u"2756110");  // half away from zero would give 2821646
  EXPECT_EQ(items->Get(95), u"15848676");
  EXPECT_EQ(ColorDropdown::HLSToRGB(0, 0, 0.5), 0x808080u);  // 127.5 halves to even: 128
  EXPECT_EQ(picker->ListWidth(), 192);
  EXPECT_EQ(picker->Popup()->ColumnCount(), 12);
  EXPECT_EQ(picker->GetColor(), u"#FF000000");
  // The palette is computed, not stored, and so is the value.
  picker->SetColor(u"#FFFFFFFF");
  TMemoryStream stream;
  ASSERT_TRUE(SaveObjectAsText(stream, picker));
  const std::string text(stream.Memory(), static_cast<std::size_t>(stream.Size()));
  EXPECT_EQ(text.find("items"), std::string::npos) << text;
  EXPECT_EQ(text.find("colorValue"), std::string::npos) << text;
}

TEST(ColorDropdownWidget, AColourChosenInThePopupIsItsValue) {
  TWidgetWorld w(true);
  ASSERT_TRUE(w.Launch(kPicker)) << w.world.Text();
  auto* picker = w.Find<ColorDropdown>(u"picker");
  w.Move(30, 20);
  w.Click(30, 20);
  TStdList* popup = picker->Popup();
  ASSERT_TRUE(picker->DroppedDown());
  const TRect item = popup->GetItemRect(8);
  const float x = popup->X() + (item.left + item.right) / 2;
  const float y = popup->Y() + (item.top + item.bottom) / 2;

  // The swatches, one unit inside their bands; item 8 in its colour.
  test::TRecordingDevice* device = w.world.Device();
  device->Draws.clear();
  w.Paint();
  bool swatch = false;
  for (const test::TRecordedDraw& d : device->Draws)
    if (d.Format == vfColorPixmapVertex)
      for (const test::TRecordedQuad& q : test::QuadsOf(d))
        if (q.Color == 0xFF2A0E0E && q.Rect.left == item.left + 1 && q.Rect.top == item.top + 1) swatch = true;
  EXPECT_TRUE(swatch);

  w.Move(x, y);
  w.Release(x, y);
  EXPECT_FALSE(picker->DroppedDown());
  EXPECT_EQ(picker->ItemIndex(), 8);
  EXPECT_EQ(picker->GetColor(), u"#FF2A0E0E");
}

TEST(ColorDropdownWidget, WritingAValueSelectsItsPaletteItemOnly) {
  TWidgetWorld w(true);
  ASSERT_TRUE(w.Launch(kPicker)) << w.world.Text();
  auto* picker = w.Find<ColorDropdown>(u"picker");
  picker->SetColor(u"#80FFFFFF");
  EXPECT_EQ(picker->ItemIndex(), 7);
  EXPECT_EQ(picker->GetColor(), u"#FFFFFFFF");
  picker->SetColor(u"#FF123456");
  EXPECT_EQ(picker->ItemIndex(), 7);
  EXPECT_EQ(picker->GetColor(), u"#FFFFFFFF");
  // A text that is no number reads as black; painting its item raises
  // nothing either.
  picker->SetText(u"abc");
  EXPECT_EQ(picker->GetColor(), u"#FF000000");
  picker->Items()->Put(3, u"not a colour");
  picker->PaintItem(3, {0, 0, 16, 16});
}

}  // namespace
}  // namespace corvane
