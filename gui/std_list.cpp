#include "gui/std_list.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "base/geometry/point_rect_persistent.h"
#include "base/geometry/rect_math.h"
#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/reflection/class_info.h"
#include "base/reflection/variant.h"
#include "engine/core/key_constants.h"
#include "gui/std_dropdown.h"
#include "platform/device.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TStdList)

namespace {

constexpr std::uint32_t kCurrentColor = 0x660000FF;
// Room on the right for the scroll thumb.
constexpr float kScrollStrip = 7;

}  // namespace

void TStdList::Describe(TClassBuilder<TStdList>& c) {
  c.Property("font", &TStdList::Font);
  c.Property("columnCount", &TStdList::ColumnCount, &TStdList::SetColumnCount).Default(1);
  c.Property("rowCount", &TStdList::RowCount, &TStdList::SetRowCount).Default(8);
  c.Property("contentsMargin", &TStdList::ContentsMargin, &TStdList::SetContentsMargin);
  c.Property("itemIndex", &TStdList::ItemIndex, &TStdList::SetItemIndex).Default(0);
  c.Property("items", &TStdList::Items, &TStdList::SetItems);
  c.Property("itemHeight", &TStdList::ItemHeight, &TStdList::SetItemHeight).Default(0);
  c.Property("wheelDelta", &TStdList::WheelDelta, &TStdList::SetWheelDelta).Default(0);
  c.Property("onChange", &TStdList::OnChangeMethod, &TStdList::SetOnChangeMethod);
  c.Property("onPaintItem", &TStdList::OnPaintItemMethod, &TStdList::SetOnPaintItemMethod);
}

TStdList::TStdList(const TCreateContext& context)
    : GuiObject(context), items_(Create<TWideStringList>()), margin_(Create<TRectPersistent>()) {
  margin_->SetRect({2, 2, 2, 2});
  SetHotTrack(true);
}

TStdList::~TStdList() = default;

std::int32_t TStdList::Count() const { return items_->GetCount(); }

bool TStdList::Overflows() const { return Count() > columnCount_ * rowCount_; }

void TStdList::SetItems(TWideStringList* value) {
  if (value && value != items_.get()) items_->Assign(value);
}

void TStdList::SetContentsMargin(TRectPersistent* value) {
  if (value && value != margin_.get()) margin_->SetRect(value->GetRect());
}

void TStdList::SetItemIndex(std::int32_t index) {
  if (HasState(csLoading)) {
    itemIndex_ = index;
    indexLoaded_ = true;
    return;
  }
  if (index > Count() - 1) index = Count() - 1;
  if (index < -1) index = -1;
  itemIndex_ = index;
  if (index >= 0) SetText(items_->Get(index));
  repaint();
}

void TStdList::Loaded() {
  GuiObject::Loaded();
  if (!indexLoaded_) return;
  indexLoaded_ = false;
  SetItemIndex(itemIndex_);
}

void TStdList::SetRowCount(std::int32_t value) {
  rowCount_ = value;
  if (!HasState(csLoading))
    SetHeight(static_cast<float>(rowCount_ * itemHeight_) + margin_->Top() + margin_->Bottom());
}

float TStdList::ColumnWidth() const {
  if (columnCount_ < 1) return 0;
  const TRect whole{0, 0, Overflows() ? Width() - kScrollStrip : Width(), Height()};
  return std::trunc(RectWidth(margin_->MarginRect(whole)) / static_cast<float>(columnCount_));
}

TRect TStdList::GetItemRect(std::int32_t index) const {
  const std::int32_t k = index - topIndex_;
  const auto height = static_cast<float>(itemHeight_);
  if (columnCount_ < 2) {
    const float top = margin_->Top() + height * static_cast<float>(k);
    float right = Width() - margin_->Left() - margin_->Right();
    if (Count() > rowCount_) right -= kScrollStrip;
    return {margin_->Left(), top, right, top + height};
  }
  for (std::int32_t c = 0; c < columnCount_; ++c) {
    if (k >= (c + 1) * rowCount_) continue;
    const float top = margin_->Top() + height * static_cast<float>(k - c * rowCount_);
    const float width = ColumnWidth();
    return {margin_->Left() + static_cast<float>(c) * width, top, margin_->Left() + static_cast<float>(c + 1) * width,
            top + height};
  }
  return {};
}

std::uint32_t TStdList::RowTextColor(std::int32_t index) const {
  return index == itemIndex_ ? 0xFFFFFFFF : 0xFF000000;
}

void TStdList::PaintItem(std::int32_t index, const TRect& rect) {
  TDevice* device = Device();
  if (!device) return;
  if (index == itemIndex_) {
    device->SetColor(kCurrentColor);
    device->FillRect(rect, 0);
  }
  if (OnPaintItem) {
    OnPaintItem(this, index, rect);
  } else if (onPaintItem_.Assigned() && onPaintItem_.Data) {
    const std::array<Variant, 3> args{
        Variant(static_cast<TObject*>(this)), Variant(index),
        Variant(std::vector<Variant>{Variant(rect.left), Variant(rect.top), Variant(rect.right), Variant(rect.bottom)})};
    onPaintItem_.Code->Invoke(*onPaintItem_.Data, args);
  } else {
    DrawText(items_->Get(index), rect, {tfVCenter}, RowTextColor(index));
  }
}

void TStdList::Paint() {
  TDevice* device = Device();
  if (!device) return;
  TWeak<TStdList> self(this);
  // Rows of no height hold nothing: no snapping to them and no items (a
  // division by the height would be by zero).
  const bool rows = itemHeight_ >= 1;
  if (rows) SetRowCount(static_cast<std::int32_t>(std::trunc(Height() / static_cast<float>(itemHeight_))));
  device->SetColor(0xFF808080);
  device->FillRect(GetClientRect(), 0);
  const std::int32_t count = Count();
  if (count > 0 && Overflows()) {
    const float span = Height() - 4;
    device->SetColor(kCurrentColor);
    device->FillRect(Width() - 9, 2 + std::round(static_cast<float>(topIndex_) / static_cast<float>(count) * span),
                     Width() - 2,
                     2 + std::round(static_cast<float>(topIndex_ + rowCount_) / static_cast<float>(count) * span), 0);
  }
  if (!rows) return;
  const std::int32_t end = topIndex_ + columnCount_ * rowCount_;
  for (std::int32_t i = topIndex_; i < Count() && i < end; ++i) {
    PaintItem(i, GetItemRect(i));
    if (!self.Get()) return;
  }
}

void TStdList::RunChange() {
  if (OnChange) OnChange(this);
  if (onChange_.Assigned() && onChange_.Data) {
    const std::array<Variant, 1> args{Variant(static_cast<TObject*>(this))};
    onChange_.Code->Invoke(*onChange_.Data, args);
  }
}

bool TStdList::HoldsKeys() const {
  const TStdDropdown* dropdown = dropdown_.Get();
  return dropdown && dropdown->DroppedDown();
}

void TStdList::KeyDown(std::uint16_t& key, char16_t& ch, TShiftState shift) {
  TWeak<TStdList> self(this);
  GuiObject::KeyDown(key, ch, shift);
  if (!self.Get() || key != kKeyEscape || !HoldsKeys()) return;
  key = 0;
  if (TStdDropdown* dropdown = dropdown_.Get()) dropdown->ClosePopup();
}

void TStdList::KillFocus() {
  TWeak<TStdList> self(this);
  GuiObject::KillFocus();
  // A pop-up closes when it loses the focus, whatever it holds.
  if (TStdDropdown* dropdown = self.Get() ? dropdown_.Get() : nullptr) dropdown->ClosePopup();
}

void TStdList::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<TStdList> self(this);
  GuiObject::MouseDown(button, shift, x, y);
  if (self.Get()) MouseMove(shift, x, y, 0, 0);
}

void TStdList::MouseMove(TShiftState shift, float x, float y, float dx, float dy) {
  GuiObject::MouseMove(shift, x, y, dx, dy);
  if (!shift.Contains(ssLeft) && !dropdown_.Get()) return;
  for (std::int32_t i = topIndex_; i < Count(); ++i) {
    if (!PtInRect({x, y}, GetItemRect(i))) continue;
    SetItemIndex(i);
    break;
  }
  repaint();
}

void TStdList::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<TStdList> self(this);
  GuiObject::MouseUp(button, shift, x, y);
  TWeak<TStdDropdown> dropdown(self.Get() ? dropdown_.Get() : nullptr);
  if (!dropdown.Get()) return;
  releaseCapture();
  // An empty pop-up closes too, with nothing chosen to report.
  if (Count() == 0) {
    dropdown->ClosePopup();
    return;
  }
  if (PtInRect({x, y}, GetClientRect())) {
    dropdown->TakeChoice();
    dropdown->ClosePopup();
    if (dropdown.Get()) dropdown->focus();
  } else {
    dropdown->ClosePopup();
  }
  if (!self.Get()) return;
  RunChange();
  if (dropdown.Get()) dropdown->CallScript(dropdown->OnChangeScript());
}

void TStdList::MouseWheel(TShiftState shift, float delta) {
  GuiObject::MouseWheel(shift, delta);
  const std::int32_t count = Count();
  if (count < rowCount_) return;
  // No step needs to be longer than the list (which also keeps a hostile
  // wheelDelta within the integers).
  const float amount = std::abs(std::trunc(delta) * static_cast<float>(wheelDelta_));
  const auto step = static_cast<std::int32_t>(std::min(amount, static_cast<float>(count)));
  if (delta < 0 && topIndex_ < count - rowCount_) {
    topIndex_ += step;
    if (topIndex_ > count - columnCount_ * rowCount_) topIndex_ = count - columnCount_ * rowCount_;
    if (topIndex_ < 0) topIndex_ = 0;
    repaint();
  } else if (delta > 0 && topIndex_ > 0) {
    topIndex_ -= step;
    if (topIndex_ < 0) topIndex_ = 0;
    repaint();
  }
}

}  // namespace corvane
