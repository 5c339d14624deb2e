// TStdDropdown: a button that opens a list of its own below itself; the
// item chosen there becomes its text. The pop-up lives in the drop-down's
// parent once opened (so that it draws over its siblings); the drop-down
// frees it wherever it is.
#pragma once

#include <cstdint>
#include <string>

#include "gui/std_button.h"

namespace corvane {

class TStdList;
class TWideStringList;

class TStdDropdown : public TStdButton {
  CORVANE_CLASS(TStdDropdown, TStdButton)
  static void Describe(TClassBuilder<TStdDropdown>& c);
  explicit TStdDropdown(const TCreateContext& context);
  void BeforeDestruction() override;

  TStdList* Popup() const { return popup_.Get(); }
  bool DroppedDown() const { return droppedDown_; }
  float ListWidth() const { return listWidth_; }
  void SetListWidth(float value) { listWidth_ = value; }
  const std::u16string& OnChangeScript() const { return onChange_; }
  // The pop-up's items and current item (none once the pop-up is gone).
  TWideStringList* Items() const;
  void SetItems(TWideStringList* value);
  std::int32_t ItemIndex() const;
  // While loading, the index waits for the items, which stream after it.
  void SetItemIndex(std::int32_t index);
  void Loaded() override;
  // The pop-up's change event, for program code.
  void SetOnChange(TNotifyEvent event);

  // Opens the pop-up below the drop-down: focused, shown, capturing.
  void DropedDown();
  // Closes it, handing back a capture it holds. The pop-up goes back to
  // the chosen row (TakeChoice, SetItemIndex): rows passed under the
  // pointer are not a choice.
  void ClosePopup();
  // The pop-up's current row becomes the choice, and the text.
  void TakeChoice();
  virtual void PaintItem(std::int32_t index, const TRect& rect);

  // The release opens a closed pop-up and closes an open one, as it was
  // before the press (whose focus change closes it on the way).
  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;

 private:
  TWeak<TStdList> popup_;
  bool droppedDown_ = false;
  float listWidth_ = 0;
  std::u16string onChange_;
  // Set by a press on the drop-down: whether the pop-up was open then.
  bool pressed_ = false;
  bool openAtPress_ = false;
  // The chosen row while the pop-up is open.
  std::int32_t choice_ = -1;
  // A streamed index, applied once the items are read.
  std::int32_t loadedIndex_ = -1;
  bool indexLoaded_ = false;
};

}  // namespace corvane
