// TStdList: wide strings in rows (and optionally columns) with a current
// item, wheel scrolling and a proportional scroll thumb. A drop-down's
// pop-up is a TStdList that hovering selects in and that closes on release.
#pragma once

#include <cstdint>
#include <functional>

#include "base/reflection/notify_event.h"
#include "base/reflection/type_info.h"
#include "gui/gui_object.h"

namespace corvane {

class TRectPersistent;
class TStdDropdown;
class TWideStringList;

class TStdList : public GuiObject {
  CORVANE_CLASS(TStdList, GuiObject)
  static void Describe(TClassBuilder<TStdList>& c);
  explicit TStdList(const TCreateContext& context);
  ~TStdList() override;

  TWideStringList* Items() const { return items_.get(); }
  // Takes the given list's strings.
  void SetItems(TWideStringList* value);
  std::int32_t ItemIndex() const { return itemIndex_; }
  // Kept within -1 .. Count-1; a real item becomes the list's text. While
  // loading, the index waits for the items, which stream after it.
  virtual void SetItemIndex(std::int32_t index);
  void Loaded() override;
  std::int32_t ItemHeight() const { return itemHeight_; }
  void SetItemHeight(std::int32_t value) { itemHeight_ = value; }
  std::int32_t RowCount() const { return rowCount_; }
  // Outside loading, the height follows: whole rows plus the margins.
  void SetRowCount(std::int32_t value);
  std::int32_t ColumnCount() const { return columnCount_; }
  void SetColumnCount(std::int32_t value) { columnCount_ = value; }
  std::int32_t WheelDelta() const { return wheelDelta_; }
  void SetWheelDelta(std::int32_t value) { wheelDelta_ = value; }
  std::int32_t TopIndex() const { return topIndex_; }
  TRectPersistent* ContentsMargin() const { return margin_.get(); }
  void SetContentsMargin(TRectPersistent* value);
  // The drop-down whose pop-up this list is, while it lives.
  TStdDropdown* Dropdown() const { return dropdown_.Get(); }
  void SetDropdown(TStdDropdown* value) { dropdown_ = value; }

  // The published events (methods of other objects), and their
  // program-code forms, each run when assigned.
  const TMethod& OnChangeMethod() const { return onChange_; }
  void SetOnChangeMethod(const TMethod& value) { onChange_ = value; }
  const TMethod& OnPaintItemMethod() const { return onPaintItem_; }
  void SetOnPaintItemMethod(const TMethod& value) { onPaintItem_ = value; }
  TNotifyEvent OnChange;
  std::function<void(TObject* sender, std::int32_t index, const TRect& rect)> OnPaintItem;

  float ColumnWidth() const;
  virtual TRect GetItemRect(std::int32_t index) const;
  virtual void PaintItem(std::int32_t index, const TRect& rect);
  // A row's text: white on the current row's blue band, black on the grey.
  std::uint32_t RowTextColor(std::int32_t index) const;

  void Paint() override;
  void KillFocus() override;
  // Open as a drop-down's pop-up, it holds the keys; Escape closes it
  // without a choice.
  bool HoldsKeys() const override;
  void KeyDown(std::uint16_t& key, char16_t& ch, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseMove(TShiftState shift, float x, float y, float dx, float dy) override;
  void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseWheel(TShiftState shift, float delta) override;

 private:
  std::int32_t Count() const;
  // More items than one screen holds.
  bool Overflows() const;
  void RunChange();

  TMethod onChange_;
  TOwned<TWideStringList> items_;
  std::int32_t itemHeight_ = 14;
  std::int32_t itemIndex_ = -1;
  TWeak<TStdDropdown> dropdown_;
  TMethod onPaintItem_;
  std::int32_t columnCount_ = 1;
  TOwned<TRectPersistent> margin_;
  std::int32_t rowCount_ = 8;
  std::int32_t wheelDelta_ = 1;
  std::int32_t topIndex_ = 0;
  bool indexLoaded_ = false;
};

}  // namespace corvane
