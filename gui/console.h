// TConsole: the in-engine command window. A translucent panel showing the
// newest lines of the engine's log above an input line; a line confirmed
// with Return runs as script text with the console as the current object
// and joins the history, which Up and Down walk.
#pragma once

#include <cstdint>
#include <string>

#include "gui/gui_object.h"
#include "gui/std_edit.h"

namespace corvane {

class TConsole;
class TWideStringList;

// The console's input line.
class TConsoleEdit : public TStdEdit {
  CORVANE_CLASS(TConsoleEdit, TStdEdit)
  using TStdEdit::TStdEdit;

  // The history entry shown last.
  std::int32_t HistoryIndex() const { return historyIndex_; }
  void SetHistoryIndex(std::int32_t value) { historyIndex_ = value; }

  // The edit's own keys, then Up and Down through the console's history.
  void KeyDown(std::uint16_t& key, char16_t& ch, TShiftState shift) override;

 private:
  std::int32_t historyIndex_ = 0;
};

class TConsole : public GuiObject {
  CORVANE_CLASS(TConsole, GuiObject)
  explicit TConsole(const TCreateContext& context);
  ~TConsole() override;

  TConsoleEdit* Edit() const { return edit_.Get(); }
  TWideStringList* History() const { return history_.get(); }

  // Return in the input line: the text joins the history and runs.
  void DoEditChange(TObject* sender);
  // The newest log lines that fit, oldest on top, ending above the input
  // line; a font under one unit high shows the background alone.
  void Paint() override;

 private:
  TWeak<TConsoleEdit> edit_;
  TOwned<TWideStringList> history_;
};

}  // namespace corvane
