#include "gui/std_toggle.h"

#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TStdToggle)

void TStdToggle::Describe(TClassBuilder<TStdToggle>& c) {
  c.Property("font", &TStdToggle::Font);
  c.Property("textAlign", &TStdToggle::TextAlign, &TStdToggle::SetTextAlign).Default(taLeft);
  // Streams fill the owned list in place; assigning another list changes
  // nothing.
  c.Property("items", &TStdToggle::Items, [](TStdToggle&, TWideStringList*) {});
  c.Property("itemIndex", &TStdToggle::ItemIndex, &TStdToggle::SetItemIndex).Default(0);
  c.Property("onChange", &TStdToggle::onChange_);
}

TStdToggle::TStdToggle(const TCreateContext& context)
    : TStdButton(context), items_(Create<TWideStringList>()) {}

TStdToggle::~TStdToggle() = default;

void TStdToggle::SetItemIndex(std::int32_t value) {
  const std::int32_t last = items_->GetCount() - 1;
  itemIndex_ = value < 0 ? 0 : value;
  if (itemIndex_ > last) itemIndex_ = last;
}

void TStdToggle::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<TStdToggle> self(this);
  TStdButton::MouseDown(button, shift, x, y);
  if (!self.Get() || button != mbLeft) return;
  capture();
  pressed_ = true;
}

void TStdToggle::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<TStdToggle> self(this);
  TStdButton::MouseUp(button, shift, x, y);
  if (!self.Get() || !pressed_) return;
  releaseCapture();
  pressed_ = false;
  const std::int32_t before = itemIndex_;
  SetItemIndex(itemIndex_ == items_->GetCount() - 1 ? 0 : itemIndex_ + 1);
  repaint();
  if (itemIndex_ != before) CallScript(onChange_);
}

void TStdToggle::Paint() {
  if (itemIndex_ < 0 || itemIndex_ >= items_->GetCount()) return;
  DrawText(items_->Get(itemIndex_), GetClientRect(), TextAlignToFormat(TextAlign()) + TTextFormats{tfVCenter},
           Font()->Color());
}

}  // namespace corvane
