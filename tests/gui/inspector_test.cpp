// The applet's inspector on the real classes, driven through the event
// queue: rows built from the reflection layer, editors in place, the design
// selection, and objects freed under it (ASan watches the lifetimes).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_info.h"
#include "base/reflection/persistent.h"
#include "base/reflection/prop_access.h"
#include "engine/shell/engine.h"
#include "gui/close_button.h"
#include "gui/inspector.h"
#include "gui/inspector_form.h"
#include "gui/static_text.h"
#include "gui/std_dropdown.h"
#include "gui/std_edit.h"
#include "gui/std_list.h"
#include "scene/skin_pixmap_persistent.h"
#include "platform/window.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_sys_font.h"
#include "tests/support/kit/widget_world.h"

namespace corvane {
namespace {

using test::TTestSysFont;
using test::QuadsIn;
using test::TWidgetWorld;

constexpr std::uint16_t kBack = 8, kReturn = 13, kEnd = 35;

const char* kLabel = "  object label: StaticText\n    x = 10\n    y = 10\n  end\n";

// The applet's inspector form shown, with the label as the root. Rows are
// 14 high from 2 inside the inspector, which sits at (605, 25) on screen.
struct InspectorWorld {
  TWidgetWorld w;
  InspectorForm* form = nullptr;
  Inspector* inspector = nullptr;
  explicit InspectorWorld(const std::string& objects = kLabel, bool paint = true) {
    if (!w.Launch(objects)) return;
    form = dynamic_cast<InspectorForm*>(w.applet->Inspector());
    if (!form) return;
    inspector = form->GetInspector();
    w.applet->ShowInspector();
    inspector->SetRootByName(u"label");
    // Painting fits the rows to the height.
    if (paint) w.Paint();
  }
  std::vector<std::u16string> Rows() const {
    std::vector<std::u16string> rows;
    for (int i = 0; i < inspector->Items()->GetCount(); ++i) rows.push_back(inspector->Items()->Get(i));
    return rows;
  }
  int RowOf(const std::u16string& prefix) const {
    const std::vector<std::u16string> rows = Rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].starts_with(prefix)) return static_cast<int>(i);
    return -1;
  }
  // The screen row of a list row, wheeling it into view first.
  float ScreenY(int row) {
    const int visible = inspector->RowCount();
    if (row >= inspector->TopIndex() + visible) {
      // The wheel reaches the focused widget.
      w.Move(640, 40);
      w.Click(640, 40);
      w.Wheel(-(row - visible + 1 - inspector->TopIndex()));
    }
    return 25.0f + inspector->GetItemRect(row).top + 7;
  }
  void ClickRow(int row, float x = 640) {
    const float y = ScreenY(row);
    w.Click(x, y);
  }
};

TEST(Inspector, RowsAreTheStoredPropertiesInheritedFirstWithSubObjectsIndented) {
  InspectorWorld e;
  ASSERT_NE(e.inspector, nullptr) << e.w.world.Text();
  EXPECT_EQ(e.inspector->Root(), e.w.applet->findByName(u"label"));
  EXPECT_EQ(e.inspector->RootByName(), u"label");
  const std::vector<std::u16string> rows = e.Rows();
  ASSERT_GT(rows.size(), 50u);
  // Inherited first: BaseObject's, then the widget's, then StaticText's own.
  EXPECT_EQ(rows.front(), u"fileName=");
  const int x = e.RowOf(u"x="), align = e.RowOf(u"align="), font = e.RowOf(u"font=");
  ASSERT_TRUE(x >= 0 && align > x && font > align);
  EXPECT_EQ(rows[x], u"x=10.000000000000000");
  EXPECT_EQ(rows[align], u"align=gaTopLeft");
  EXPECT_EQ(rows[e.RowOf(u"visible=")], u"visible=1");
  EXPECT_EQ(rows[font], u"font=(TFontPersistent)");
  // The font's own stored rows follow: a set reads as empty text; name and
  // colour at their defaults are not stored.
  EXPECT_EQ(rows[font + 1], u"size=10");
  EXPECT_EQ(rows[font + 2], u"style=");
  EXPECT_EQ(rows[font + 3], u"text=");
  EXPECT_EQ(rows.back(), u"wordWrap=0");
  EXPECT_EQ(e.RowOf(u"name="), -1);
  EXPECT_EQ(e.RowOf(u"color="), -1);
  // Not stored, or an event method: no row.
  EXPECT_EQ(e.RowOf(u"designTime="), -1);
  EXPECT_EQ(e.RowOf(u"hot="), -1);
  EXPECT_EQ(e.RowOf(u"onPaintItem="), -1);
  EXPECT_EQ(e.inspector->RowObject(font), e.inspector->Root());
  EXPECT_NE(e.inspector->RowObject(font + 1), e.inspector->Root());

  // Painting: the current row's name cell in blue, the labels' text from
  // 4 in, the sub-object's rows from 14 in; "+font" labels the object row.
  e.ClickRow(font + 1);
  auto* device = e.w.world.Device();
  device->ClearRecords();
  TTestSysFont::Journal().clear();
  e.w.Paint();
  const TRect size = e.inspector->GetItemRect(font + 1);
  const float half = std::trunc((size.right - size.left) / 2);
  EXPECT_EQ(QuadsIn(*device, 0x660000FF), (std::vector<TRect>{{size.left, size.top, half - 1, size.bottom}}));
  // The kit's font journals each line: "font DrawText x y text".
  auto drawnAt = [](const std::string& text) {
    for (const std::string& line : TTestSysFont::Journal())
      if (line.ends_with(" " + text)) return line.substr(14, line.find(' ', 14) - 14);
    return std::string("none");
  };
  EXPECT_EQ(drawnAt("size"), "14") << "a sub-object's rows are indented";
  EXPECT_EQ(drawnAt("10"), "90") << "the value half begins at half the row";
  EXPECT_EQ(drawnAt("+font"), "4");
  // Cut to the cell: ten characters of 8 fit into 91 - 4.
  EXPECT_EQ(drawnAt("(TFontPers"), "90");
}

TEST(Inspector, AnEnumerationRowOpensADropdownOfItsNamesOverTheValueHalf) {
  InspectorWorld e;
  ASSERT_NE(e.inspector, nullptr) << e.w.world.Text();
  const int align = e.RowOf(u"align=");
  e.ClickRow(align);
  ASSERT_EQ(e.inspector->ItemIndex(), align);
  auto* dropdown = dynamic_cast<TStdDropdown*>(e.inspector->Editor());
  ASSERT_NE(dropdown, nullptr);
  ASSERT_EQ(dropdown->Items()->GetCount(), 15);
  EXPECT_EQ(dropdown->Items()->Get(0), u"gaTop");
  EXPECT_EQ(dropdown->Items()->Get(9), u"gaClient");
  EXPECT_EQ(dropdown->Text(), u"gaTopLeft");
  const TRect r = e.inspector->GetItemRect(align);
  EXPECT_EQ(dropdown->X(), std::trunc((r.right - r.left) / 2));
  EXPECT_EQ(dropdown->Y(), r.top);
  EXPECT_EQ(dropdown->X() + dropdown->Width(), r.right);
  EXPECT_EQ(dropdown->Y() + dropdown->Height(), r.bottom);

  // Open it and choose "gaLeft" with a press and release on its row (a
  // row the pop-up shows: a release below it chooses nothing).
  const float ddx = 605 + dropdown->X() + 20, ddy = 25 + dropdown->Y() + 5;
  e.w.Click(ddx, ddy);
  TStdList* popup = dropdown->Popup();
  ASSERT_NE(popup, nullptr);
  ASSERT_TRUE(dropdown->DroppedDown());
  ASSERT_EQ(dropdown->Items()->Get(1), u"gaLeft");
  const TRect item = popup->GetItemRect(1);
  // The pop-up is a child of the inspector, below the drop-down.
  const float px = 605 + popup->X() + item.left + 5, py = 25 + popup->Y() + item.top + 3;
  e.w.Move(px, py);
  e.w.Press(px, py);
  e.w.Release(px, py);
  auto* label = e.w.Find<StaticText>(u"label");
  EXPECT_EQ(label->Align(), gaLeft);
  EXPECT_EQ(e.Rows()[align], u"align=gaLeft") << "rows rebuilt";
}

TEST(Inspector, ANumberRowOpensAnEditWhoseReturnSetsThePropertyOrNothing) {
  InspectorWorld e;
  ASSERT_NE(e.inspector, nullptr) << e.w.world.Text();
  auto* label = e.w.Find<StaticText>(u"label");
  const int width = e.RowOf(u"width=");
  e.ClickRow(width);
  auto* edit = dynamic_cast<TStdEdit*>(e.inspector->Editor());
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->Text(), u"70");
  const float y = e.ScreenY(width);
  e.w.Click(605 + edit->X() + edit->Width() - 4, y);
  e.w.Key(kEnd);
  e.w.Key(kBack);
  e.w.Key(kBack);
  e.w.Type(u"120");
  e.w.Key(kReturn);
  EXPECT_EQ(label->Width(), 120);
  EXPECT_EQ(e.Rows()[width], u"width=120.000000000000000");

  const std::size_t mark = e.w.world.Mark();
  e.w.Key(kBack);
  e.w.Key(kBack);
  e.w.Key(kBack);
  e.w.Type(u"abc");
  e.w.Key(kReturn);
  EXPECT_EQ(label->Width(), 120) << "a value that is no number leaves it";
  EXPECT_TRUE(e.w.world.MessagesSince(mark).empty()) << "and logs nothing";

  // An object row has no editor.
  e.ClickRow(e.RowOf(u"font="));
  EXPECT_EQ(e.inspector->Editor(), nullptr);
  // A wide string row edits the text itself.
  const int text = e.RowOf(u"text=");
  e.ClickRow(text);
  auto* textEdit = dynamic_cast<TStdEdit*>(e.inspector->Editor());
  ASSERT_NE(textEdit, nullptr);
  e.w.Click(605 + textEdit->X() + 10, e.ScreenY(text));
  e.w.Type(u"h\u00e9");
  e.w.Key(kReturn);
  EXPECT_EQ(label->Text(), u"h\u00e9");
}

TEST(Inspector, AMissingNameLeavesTheRowsAndTheDesignSelectionFollowsOtherObjects) {
  InspectorWorld e("  object label: StaticText\n  end\n  object other: StaticText\n  end\n");
  ASSERT_NE(e.inspector, nullptr) << e.w.world.Text();
  const std::vector<std::u16string> rows = e.Rows();
  e.inspector->SetRootByName(u"nosuch");
  EXPECT_EQ(e.inspector->Root(), nullptr);
  EXPECT_EQ(e.inspector->RootByName(), u"");
  EXPECT_EQ(e.Rows(), rows);

  e.inspector->SetRootByName(u"label");
  e.ClickRow(e.RowOf(u"align="));
  auto* dropdown = dynamic_cast<TStdDropdown*>(e.inspector->Editor());
  ASSERT_NE(dropdown, nullptr);
  SomeEngine* engine = e.w.world.engine;
  engine->DesignSelectObject(dropdown);
  engine->DesignSelectObject(dropdown->Popup());
  engine->DesignSelectObject(e.inspector);
  EXPECT_EQ(e.inspector->RootByName(), u"label");
  engine->DesignSelectObject(e.w.applet->findByName(u"other"));
  EXPECT_EQ(e.inspector->RootByName(), u"other");
  // The script global and the form's property reach the same inspector.
  EXPECT_EQ(e.form->Root(), e.inspector->Root());
  // A freed inspector hears no more (ASan).
  e.form->Free();
  engine->DesignSelectObject(e.w.applet->findByName(u"label"));
}

// The label freed while it is the root with an editor open, or after a
// missing name left its rows: no rows, no editor, nothing dangles.
TEST(Inspector, FreeingTheRootClearsTheRowsAndTheEditor) {
  for (bool missing : {false, true}) {
    SCOPED_TRACE(missing ? "rows kept after a missing name" : "the root");
    InspectorWorld e;
    ASSERT_NE(e.inspector, nullptr) << e.w.world.Text();
    if (missing) {
      e.inspector->SetRootByName(u"nosuch");
    } else {
      e.ClickRow(e.RowOf(u"width="));
      ASSERT_NE(e.inspector->Editor(), nullptr);
    }
    ASSERT_GT(e.inspector->Items()->GetCount(), 0);
    e.w.Find<StaticText>(u"label")->Free();
    EXPECT_EQ(e.inspector->Root(), nullptr);
    EXPECT_EQ(e.inspector->Items()->GetCount(), 0);
    EXPECT_EQ(e.inspector->Editor(), nullptr);
    e.w.Paint();
    e.w.Wheel(-3);
    e.ClickRow(0);
    e.ClickRow(5);
    EXPECT_EQ(e.inspector->Editor(), nullptr);
  }
}

TEST(Inspector, ACurrentRowPastShrunkRowsMakesNoEditor) {
  InspectorWorld e("  object label: StaticText\n  end\n  object few: Dummy\n  end\n");
  ASSERT_NE(e.inspector, nullptr) << e.w.world.Text();
  const int last = e.inspector->Items()->GetCount() - 1;
  e.ClickRow(last);
  ASSERT_EQ(e.inspector->ItemIndex(), last);
  ASSERT_NE(e.inspector->Editor(), nullptr);
  e.inspector->SetRootByName(u"few");
  ASSERT_LT(e.inspector->Items()->GetCount(), last) << "the rows shrank under the current one";
  EXPECT_EQ(e.inspector->ItemIndex(), last);
  e.w.Wheel(1);
  EXPECT_EQ(e.inspector->Editor(), nullptr);
  e.w.Paint();
}

// A property graph without end: each link makes the next when asked, and
// the loop leads back to itself.
class TLink : public TPersistent {
  CORVANE_CLASS(TLink, TPersistent)
  static void Describe(TClassBuilder<TLink>& c) {
    c.Property("next", &TLink::Next);
    c.Property("loop", &TLink::Loop);
  }
  using TPersistent::TPersistent;
  TLink* Next() const {
    if (!next_) next_.reset(Create<TLink>());
    return next_.get();
  }
  TLink* Loop() const { return const_cast<TLink*>(this); }

 private:
  mutable TOwned<TLink> next_;
};
CORVANE_IMPLEMENT_CLASS(TLink)

class TChainRoot : public BaseObject {
  CORVANE_CLASS(TChainRoot, BaseObject)
  static void Describe(TClassBuilder<TChainRoot>& c) { c.Property("chain", &TChainRoot::Chain); }
  explicit TChainRoot(const TCreateContext& context) : BaseObject(context), chain_(Create<TLink>()) {}
  TLink* Chain() const { return chain_.get(); }

 private:
  TOwned<TLink> chain_;
};
CORVANE_IMPLEMENT_CLASS(TChainRoot)

TEST(Inspector, APropertyGraphWithoutEndStopsAtSixteenLevels) {
  InspectorWorld e;
  ASSERT_NE(e.inspector, nullptr) << e.w.world.Text();
  auto* root = Create<TChainRoot>(TCreateContext(e.w.applet));
  const int own = static_cast<int>(e.Rows().size());
  e.inspector->SetRoot(root);
  const std::vector<std::u16string> rows = e.Rows();
  // Every link shows "next" and its "loop" (already listed: its row only);
  // the sixteenth level's "next" row is not opened.
  ASSERT_FALSE(rows.empty());
  const auto nexts = std::count(rows.begin(), rows.end(), u"next=(TLink)");
  const auto loops = std::count(rows.begin(), rows.end(), u"loop=(TLink)");
  EXPECT_EQ(nexts, 15);
  EXPECT_EQ(loops, 15);
  EXPECT_LT(static_cast<int>(rows.size()), own + 100);
  root->Free();
  EXPECT_TRUE(e.Rows().empty());
}

// An object with an 8-bit string, which holds UTF-8.
class TTitled : public BaseObject {
  CORVANE_CLASS(TTitled, BaseObject)
  static void Describe(TClassBuilder<TTitled>& c) { c.Property("title", &TTitled::title); }
  using BaseObject::BaseObject;
  std::string title = "Caf\xc3\xa9";
};
CORVANE_IMPLEMENT_CLASS(TTitled)

TEST(Inspector, EightBitStringsAreShownAndEditedAsUtf8) {
  InspectorWorld e;
  ASSERT_NE(e.inspector, nullptr) << e.w.world.Text();
  auto* titled = Create<TTitled>(TCreateContext(e.w.applet));
  e.inspector->SetRoot(titled);
  const int row = e.RowOf(u"title=");
  ASSERT_GE(row, 0);
  EXPECT_EQ(e.Rows()[row], u"title=Caf\u00e9");
  e.ClickRow(row);
  auto* edit = dynamic_cast<TStdEdit*>(e.inspector->Editor());
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->Text(), u"Caf\u00e9");
  e.w.Click(605 + edit->X() + 10, e.ScreenY(row));
  e.w.Key(kEnd);
  e.w.Type(u"\u00e8!");
  e.w.Key(kReturn);
  EXPECT_EQ(titled->title, "Caf\xc3\xa9\xc3\xa8!");
  EXPECT_EQ(e.Rows()[row], u"title=Caf\u00e9\u00e8!");
}

TEST(InspectorForm, TheAppletsFormCarriesTheInspectorAndACloseButton) {
  // Every click above relies on the inspector at (605, 25).
  InspectorWorld e(kLabel, false);
  ASSERT_NE(e.form, nullptr) << e.w.world.Text();
  InspectorForm* form = e.form;
  EXPECT_EQ(form->Text(), u"Inspector");
  EXPECT_TRUE(form->HotTrack());
  EXPECT_EQ(form->GetCloseButton()->Pixmap()->ObjectName(), "closebtn");
  EXPECT_EQ(e.inspector->GetBoundsRectInt(), (TRect{5, 25, 195, 595}));
  EXPECT_EQ(form->GetBoundsRectInt(), (TRect{600, 0, 800, 600}));
  // The close button, 12 square at the top right.
  EXPECT_TRUE(form->Visible());
  e.w.Click(600 + 184 + 6, 4 + 6);
  EXPECT_FALSE(form->Visible()) << "its close button hides it";
  e.w.applet->ShowInspector();
  EXPECT_TRUE(form->Visible());
}

TEST(InspectorForm, TheInspectorFollowsTheFormsSize) {
  InspectorWorld e(kLabel, false);
  ASSERT_NE(e.form, nullptr) << e.w.world.Text();
  // As a script sizes it ("inspector.height = 520").
  SetPropValue(*e.form, "height", Variant(520.0));
  SetPropValue(*e.form, "width", Variant(300.0));
  EXPECT_EQ(e.inspector->GetBoundsRectInt(), (TRect{5, 25, 295, 515}));
  e.w.Paint();
  EXPECT_LE(e.inspector->RowCount() * e.inspector->ItemHeight(), 490) << "no row below the form";
}

}  // namespace
}  // namespace corvane
