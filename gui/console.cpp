#include "gui/console.h"

#include <algorithm>
#include <cmath>

#include "base/geometry/point_rect_persistent.h"
#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "platform/device.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TConsoleEdit)
CORVANE_IMPLEMENT_CLASS(TConsole)

namespace {
constexpr std::uint16_t kKeyUp = 38;
constexpr std::uint16_t kKeyDown = 40;
constexpr std::uint32_t kPanelColor = 0xC0B0B0B0;
constexpr std::uint32_t kLineColor = 0xFF000000;
}  // namespace

void TConsoleEdit::KeyDown(std::uint16_t& key, char16_t& ch, TShiftState shift) {
  // The edit consumes the arrows; the history reacts to the key pressed.
  const std::uint16_t pressed = key;
  TWeak<TConsoleEdit> self(this);
  TStdEdit::KeyDown(key, ch, shift);
  if (!self.Get()) return;
  auto* console = dynamic_cast<TConsole*>(Parent());
  if (!console) return;
  TWideStringList* history = console->History();
  const std::int32_t count = history->GetCount();
  if (pressed == kKeyUp && historyIndex_ > 0) {
    --historyIndex_;
    if (historyIndex_ < count) SetText(history->Get(historyIndex_));
  } else if (pressed == kKeyDown && historyIndex_ == count - 1) {
    SetText(u"");
  } else if (pressed == kKeyDown && historyIndex_ < count - 1) {
    ++historyIndex_;
    SetText(history->Get(historyIndex_));
  }
}

TConsole::TConsole(const TCreateContext& context) : GuiObject(context), history_(Create<TWideStringList>()) {
  auto* edit = Create<TConsoleEdit>(TCreateContext(this));
  edit_ = edit;
  const TRectPersistent* margin = edit->ContentsMargin();
  edit->SetHeight(static_cast<float>(Font()->Size()) + margin->Top() + margin->Bottom());
  edit->SetGuiAlign(gaBottom);
  edit->SetText(u"");
  edit->OnEnter = [this](TObject* sender) { DoEditChange(sender); };
  edit->Font()->SetColor(u"#FF000000");
  edit->focus();
}

TConsole::~TConsole() = default;

void TConsole::DoEditChange(TObject*) {
  TConsoleEdit* edit = edit_.Get();
  if (!edit) return;
  const std::u16string text = edit->Text();
  history_->Add(text);
  edit->SetHistoryIndex(history_->GetCount() - 1);
  // The script may free the console, its input line, or both.
  TWeak<TConsole> self(this);
  CallScript(text);
  if (!self.Get()) return;
  if (TConsoleEdit* still = edit_.Get()) still->SetText(u"");
  repaint();
}

void TConsole::Paint() {
  TDevice* device = Device();
  if (!device) return;
  const float h = Height();
  // Black text on a light panel that lets the game show through: legible
  // whatever lies behind it.
  device->SetColor(kPanelColor);
  device->FillRect({0, 0, Width(), h}, 0);
  const auto s = static_cast<float>(Font()->Size());
  if (s < 1) return;
  TLogTarget& log = LogTarget();
  const std::int32_t lines = log.LineCount();
  // n rows of s, the last one under the input line: the newest n - 1
  // lines, the oldest on top; rows above the oldest line stay empty.
  const double n = std::trunc(static_cast<double>(h) / static_cast<double>(s));
  if (!(n >= 2)) return;
  const auto shown = static_cast<std::int32_t>(std::min(n - 1, static_cast<double>(lines)));
  float margins = 0;
  if (const TConsoleEdit* edit = edit_.Get())
    margins = edit->ContentsMargin()->Top() + edit->ContentsMargin()->Bottom();
  // Only the lines shown are decoded: the log may be long.
  for (std::int32_t k = 0; k < shown; ++k) {
    const float top = h - s * static_cast<float>(1 + shown - k) - margins;
    device->DrawStringClip(EngineFont(), Utf8ToUtf16(log.Line(lines - shown + k)), {0, top, Width(), h}, {tfLeft},
                           kLineColor);
  }
}

}  // namespace corvane
