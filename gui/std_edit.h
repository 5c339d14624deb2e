// TStdEdit: the text field. A caret (the device's, while the edit has the
// focus), a selection made with Shift and the arrows or with the mouse (a
// Shift-click extends it), scrolling by whole characters so that the caret
// stays in view, and an enter event on Return; multi-line edits take Return
// as a line break.
#pragma once

#include <cstdint>
#include <string>

#include "base/reflection/notify_event.h"
#include "gui/gui_object.h"

namespace corvane {

class TCaret;
class TRectPersistent;
class TWideStringList;

class TStdEdit : public GuiObject {
  CORVANE_CLASS(TStdEdit, GuiObject)
  static void Describe(TClassBuilder<TStdEdit>& c);
  explicit TStdEdit(const TCreateContext& context);
  ~TStdEdit() override;
  // A freed edit gets no KillFocus: its caret goes here.
  void BeforeDestruction() override;

  std::int32_t CurPos() const { return curPos_; }
  std::int32_t FirstVisible() const { return firstVisible_; }
  std::int32_t SelStart() const { return selStart_; }
  std::int32_t SelEnd() const { return selEnd_; }
  bool HasSelection() const { return selStart_ != -1 && selEnd_ != -1; }
  TCaret* Caret() const { return caret_.Get(); }
  TRectPersistent* ContentsMargin() const { return margin_.get(); }
  void SetContentsMargin(TRectPersistent* value);
  TWideStringList* Lines() const { return lines_.get(); }
  bool MultiLine() const { return multiLine_; }
  void SetMultiLine(bool value);
  // For program code: Return in a single-line edit, the edit as sender.
  TNotifyEvent OnEnter;

  virtual TRect GetTextRect() const;
  // Recounts the characters from the first visible one on.
  virtual void Change();
  // The width of characters from .. to-1.
  float TextWidth(std::int32_t from, std::int32_t to) const;
  // The character boundary left of x, counted from the first visible
  // character; -1 when there is none (x <= 0 in particular).
  std::int32_t TextPosByXY(float x, float y) const;
  // Moves the caret, scrolling so that it stays in the text rectangle.
  void SetCurPos(std::int32_t value);
  void SetCaret(std::int32_t index);
  void SetSelStart(std::int32_t value);
  void SetSelEnd(std::int32_t value);
  void ClearSelection();
  void SelectAll();
  // The caret and both ends of the selection stay within the new text.
  void SetText(const std::u16string& value) override;

  void RecalcAbsolute() override;
  void Paint() override;
  // The part the skinned edit keeps: text and selection.
  void PaintEdit();
  void SetFocus() override;
  void KillFocus() override;
  void MouseDown(TMouseButton button, TShiftState shift, float x, float y) override;
  void MouseMove(TShiftState shift, float x, float y, float dx, float dy) override;
  void MouseUp(TMouseButton button, TShiftState shift, float x, float y) override;
  void KeyDown(std::uint16_t& key, char16_t& ch, TShiftState shift) override;

 private:
  // Removes the selected range and puts the caret at its start.
  std::u16string WithoutSelection(std::int32_t& caret) const;
  // Shift extends the selection from where the caret was; else none.
  void FollowSelection(TShiftState shift, std::int32_t from);
  void DestroyOwnCaret();

  std::int32_t curPos_ = 0;
  std::int32_t firstVisible_ = 0;
  std::int32_t visibleCount_ = 100;
  std::int32_t selStart_ = -1;
  std::int32_t selEnd_ = -1;
  TWeak<TCaret> caret_;
  bool selecting_ = false;
  TOwned<TRectPersistent> margin_;
  TOwned<TWideStringList> lines_;
  bool multiLine_ = false;
};

}  // namespace corvane
