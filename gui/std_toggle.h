// TStdToggle: a button that steps through a list of texts, one a left
// click, back to the first after the last, and shows the current one.
#pragma once

#include <cstdint>
#include <string>

#include "gui/std_button.h"

namespace corvane {

class TWideStringList;

class TStdToggle : public TStdButton {
  CORVANE_CLASS(TStdToggle, TStdButton)
  static void Describe(TClassBuilder<TStdToggle>& c);
  explicit TStdToggle(const TCreateContext& context);
  ~TStdToggle() override;

  TWideStringList* Items() const { return items_.get(); }
  std::int32_t ItemIndex() const { return itemIndex_; }
  // Kept within the items: -1 for none.
  void SetItemIndex(std::int32_t value);

  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  // After the button's release, a pressed toggle steps to the next item and
  // runs onChange.
  void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;
  void Paint() override;

 private:
  std::u16string onChange_;
  std::int32_t itemIndex_ = 0;
  TOwned<TWideStringList> items_;
  bool pressed_ = false;
};

}  // namespace corvane
