#include "gui/std_dropdown.h"

#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "engine/core/container.h"
#include "gui/std_list.h"
#include "platform/device.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TStdDropdown)

void TStdDropdown::Describe(TClassBuilder<TStdDropdown>& c) {
  c.Property("textAlign", &TStdDropdown::TextAlign, &TStdDropdown::SetTextAlign).Default(taLeft);
  c.Property("listWidth", &TStdDropdown::ListWidth, &TStdDropdown::SetListWidth).Default(0);
  c.Property("itemIndex", &TStdDropdown::ItemIndex, &TStdDropdown::SetItemIndex).Default(0);
  c.Property("items", &TStdDropdown::Items, &TStdDropdown::SetItems);
  c.Property("onChange", &TStdDropdown::onChange_);
}

TStdDropdown::TStdDropdown(const TCreateContext& context) : TStdButton(context) {
  auto* popup = Create<TStdList>(TCreateContext(this));
  // The pop-up is the drop-down's own part, never streamed with whichever
  // parent holds it.
  popup->IncludeStyle(csExternal);
  popup->SetDropdown(this);
  popup->OnPaintItem = [self = TWeak<TStdDropdown>(this)](TObject*, std::int32_t index, const TRect& rect) {
    if (TStdDropdown* dropdown = self.Get()) dropdown->PaintItem(index, rect);
  };
  popup->SetVisible(false);
  popup_ = popup;
}

void TStdDropdown::BeforeDestruction() {
  if (TStdList* popup = popup_.Get()) {
    popup_.Reset();
    popup->SetDropdown(nullptr);
    popup->Free();
  }
  TStdButton::BeforeDestruction();
}

TWideStringList* TStdDropdown::Items() const {
  TStdList* popup = popup_.Get();
  return popup ? popup->Items() : nullptr;
}

void TStdDropdown::SetItems(TWideStringList* value) {
  if (TStdList* popup = popup_.Get()) popup->SetItems(value);
}

std::int32_t TStdDropdown::ItemIndex() const {
  TStdList* popup = popup_.Get();
  return popup ? popup->ItemIndex() : -1;
}

void TStdDropdown::SetItemIndex(std::int32_t index) {
  if (HasState(csLoading)) {
    loadedIndex_ = index;
    indexLoaded_ = true;
    return;
  }
  TStdList* popup = popup_.Get();
  if (!popup) return;
  popup->SetItemIndex(index);
  choice_ = popup->ItemIndex();
  SetText(popup->Text());
}

void TStdDropdown::Loaded() {
  TStdButton::Loaded();
  if (!indexLoaded_) return;
  indexLoaded_ = false;
  SetItemIndex(loadedIndex_);
}

void TStdDropdown::SetOnChange(TNotifyEvent event) {
  if (TStdList* popup = popup_.Get()) popup->OnChange = std::move(event);
}

void TStdDropdown::DropedDown() {
  TStdList* popup = popup_.Get();
  if (!popup) return;
  if (Parent()) popup->MoveTo(Parent());
  popup->SetAlpha(Alpha());
  popup->Position()->SetValues(X(), Y() + Height(), 0);
  popup->SetWidth(ListWidth() > 0 ? ListWidth() : Width());
  const std::int32_t count = popup->Items()->GetCount();
  const std::int32_t rows = count > popup->RowCount() ? popup->RowCount() : count;
  popup->SetHeight(static_cast<float>(rows * popup->ItemHeight() + 4));
  choice_ = popup->ItemIndex();
  TWeak<TStdDropdown> self(this);
  TWeak<TStdList> list(popup);
  popup->focus();
  if (!list.Get()) return;
  popup->show();
  popup->capture();
  if (!self.Get()) return;
  droppedDown_ = true;
  repaint();
}

void TStdDropdown::ClosePopup() {
  const bool wasOpen = droppedDown_;
  droppedDown_ = false;
  TStdList* popup = popup_.Get();
  if (!popup) return;
  if (wasOpen && popup->ItemIndex() != choice_) popup->SetItemIndex(choice_);
  popup->hide();
  // A closed pop-up keeps no capture: later releases are not its.
  if (Container* container = popup->GeContainer(); container && container->CapturedObject() == popup)
    popup->releaseCapture();
  repaint();
}

void TStdDropdown::TakeChoice() {
  TStdList* popup = popup_.Get();
  if (!popup) return;
  choice_ = popup->ItemIndex();
  if (choice_ >= 0) SetText(popup->Items()->Get(choice_));
}

void TStdDropdown::PaintItem(std::int32_t index, const TRect& rect) {
  TWideStringList* items = Items();
  if (!items || index < 0 || index >= items->GetCount()) return;
  const TStdList* popup = popup_.Get();
  DrawText(items->Get(index), rect, TextAlignToFormat(TextAlign()) + TTextFormats{tfVCenter},
           popup ? popup->RowTextColor(index) : 0xFF000000);
}

void TStdDropdown::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  pressed_ = true;
  openAtPress_ = droppedDown_;
  TStdButton::MouseDown(button, shift, x, y);
}

void TStdDropdown::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<TStdDropdown> self(this);
  const bool wasOpen = pressed_ ? openAtPress_ : droppedDown_;
  pressed_ = false;
  TStdButton::MouseUp(button, shift, x, y);
  if (!self.Get()) return;
  if (wasOpen) ClosePopup();
  else DropedDown();
}

}  // namespace corvane
