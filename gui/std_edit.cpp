#include "gui/std_edit.h"

#include <algorithm>

#include "base/geometry/color.h"
#include "base/geometry/point_rect_persistent.h"
#include "base/geometry/rect_math.h"
#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "platform/device.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TStdEdit)

namespace {

constexpr std::uint32_t kCaretColor = 0xFF00FF00;
constexpr std::int32_t kCaretWidth = 3;
constexpr std::int32_t kCaretHeight = 10;
constexpr std::uint32_t kSelectionColor = 0x660000FF;
// A dark field under a light font (the default white), a light one under a
// dark font.
constexpr std::uint32_t kDarkField = 0xFF303030;
constexpr std::uint32_t kLightField = 0xFFD3D3D3;
// The virtual-key codes the edit handles.
constexpr std::uint16_t kBack = 8, kReturn = 13, kEnd = 35, kHome = 36, kLeft = 37, kRight = 39, kDelete = 46;

std::int32_t Length(const std::u16string& text) { return static_cast<std::int32_t>(text.size()); }

}  // namespace

void TStdEdit::Describe(TClassBuilder<TStdEdit>& c) {
  c.Property("contentsMargin", &TStdEdit::ContentsMargin, &TStdEdit::SetContentsMargin);
  c.Property("multiLine", &TStdEdit::MultiLine, &TStdEdit::SetMultiLine).Default(false);
  c.Property("font", &TStdEdit::Font);
  c.Property("text", &TStdEdit::Text, &TStdEdit::SetText);
}

TStdEdit::TStdEdit(const TCreateContext& context)
    : GuiObject(context), margin_(Create<TRectPersistent>()), lines_(Create<TWideStringList>()) {
  margin_->SetRect({2, 2, 2, 2});
  SetHotTrack(true);
}

TStdEdit::~TStdEdit() = default;

void TStdEdit::BeforeDestruction() {
  DestroyOwnCaret();
  GuiObject::BeforeDestruction();
}

void TStdEdit::DestroyOwnCaret() {
  TCaret* caret = caret_.Get();
  caret_.Reset();
  if (!caret) return;
  if (TDevice* device = Device()) {
    device->HideCaret(caret);
    device->DestroyCaret(caret);
  }
}

void TStdEdit::SetContentsMargin(TRectPersistent* value) {
  if (value && value != margin_.get()) margin_->SetRect(value->GetRect());
}

void TStdEdit::SetMultiLine(bool value) {
  if (value == multiLine_) return;
  multiLine_ = value;
  repaint();
}

TRect TStdEdit::GetTextRect() const {
  return {margin_->Left(), margin_->Top(), Width() - margin_->Right(), Height() - margin_->Bottom()};
}

void TStdEdit::Change() {
  visibleCount_ = std::clamp(Length(Text()) - firstVisible_, 0, 1000);
}

float TStdEdit::TextWidth(std::int32_t from, std::int32_t to) const {
  const std::int32_t length = Length(Text());
  from = std::clamp(from, 0, length);
  to = std::clamp(to, 0, length);
  TDevice* device = Device();
  if (to <= from || !device) return 0;
  TRect r{0, 0, 2000, RectHeight(GetTextRect())};
  std::int32_t count = 0;
  device->MeasureString(EngineFont(), std::u16string_view(Text()).substr(from, to - from), r, {}, count, 2000);
  return RectWidth(r);
}

std::int32_t TStdEdit::TextPosByXY(float x, float) const {
  const std::int32_t length = Length(Text());
  if (firstVisible_ > length) return -1;
  for (std::int32_t i = firstVisible_; i <= length; ++i) {
    const float left = TextWidth(firstVisible_, i);
    // Widths only grow: past x no boundary can qualify (a long text is
    // not measured to its end on every move of the mouse). A point exactly
    // on a boundary belongs to the character right of it; only the first
    // boundary wants x past it (a click left of the text moves nothing).
    if (i == firstVisible_ ? !(x > left) : !(x >= left)) return -1;
    if (i == length || x < TextWidth(firstVisible_, i + 1)) return i;
  }
  return -1;
}

void TStdEdit::SetCurPos(std::int32_t value) {
  value = std::clamp(value, 0, Length(Text()));
  if (value == curPos_) return;
  curPos_ = value;
  if (curPos_ < firstVisible_) firstVisible_ = curPos_;
  // The first character from which the caret fits, as stepping one
  // character at a time would find it; the width only shrinks as the
  // start moves on, so it is searched by halves (a long text would take
  // a measure per character otherwise).
  const float room = RectWidth(GetTextRect());
  if (firstVisible_ < curPos_ && TextWidth(firstVisible_, curPos_) > room) {
    std::int32_t low = firstVisible_ + 1, high = curPos_;
    while (low < high) {
      const std::int32_t mid = low + (high - low) / 2;
      if (TextWidth(mid, curPos_) > room) low = mid + 1;
      else high = mid;
    }
    firstVisible_ = low;
  }
  Change();
  SetCaret(curPos_);
  repaint();
}

void TStdEdit::SetCaret(std::int32_t index) {
  TCaret* caret = caret_.Get();
  TDevice* device = Device();
  if (!caret || !device) return;
  const TRect r = GetTextRect();
  device->SetCaretPosition(caret, GetAbsoluteMatrix(), r.left + TextWidth(firstVisible_, index),
                           r.top + (RectHeight(r) - kCaretHeight) / 2);
}

void TStdEdit::SetSelStart(std::int32_t value) {
  value = std::min(value, Length(Text()));
  if (value == selStart_) return;
  selStart_ = value;
  repaint();
}

void TStdEdit::SetSelEnd(std::int32_t value) {
  value = std::min(value, Length(Text()));
  if (value == selEnd_) return;
  selEnd_ = value;
  repaint();
}

void TStdEdit::ClearSelection() {
  selStart_ = selEnd_ = -1;
  repaint();
}

void TStdEdit::SelectAll() {
  if (Text().empty()) return;
  selStart_ = 0;
  selEnd_ = Length(Text());
  repaint();
}

void TStdEdit::SetText(const std::u16string& value) {
  GuiObject::SetText(value);
  lines_->SetTextStr(Text());
  // Both ends follow a shorter text, so that no later edit removes a range
  // outside it; a selection left empty is none.
  const std::int32_t length = Length(Text());
  if (selStart_ > length) selStart_ = length;
  if (selEnd_ > length) selEnd_ = length;
  if (HasSelection() && selStart_ == selEnd_) ClearSelection();
  if (curPos_ > length) SetCurPos(length);
  Change();
}

void TStdEdit::RecalcAbsolute() {
  GuiObject::RecalcAbsolute();
  if (caret_.Get()) SetCaret(curPos_);
}

// ---------------------------------------------------------------- painting

void TStdEdit::Paint() {
  TDevice* device = Device();
  if (!device) return;
  const TRect r = GetClientRect();
  // The text is drawn in the font's colour: the field is the one it stands
  // out from most.
  const std::uint32_t text = Font()->Color();
  device->SetColor(ContrastRatio(text, kDarkField) >= ContrastRatio(text, kLightField) ? kDarkField : kLightField);
  device->FillRect(r, 0);
  device->SetColor(0xFF000000);
  device->DrawRect(r, 1, 0);
  PaintEdit();
}

void TStdEdit::PaintEdit() {
  TDevice* device = Device();
  if (!device) return;
  const TRect r = GetTextRect();
  const std::u16string& text = Text();
  if (!text.empty() && firstVisible_ < Length(text))
    device->DrawStringClip(EngineFont(), std::u16string_view(text).substr(firstVisible_), r, {tfVCenter},
                           Font()->Color());
  if (!HasSelection()) return;
  const std::int32_t a = std::max(std::min(selStart_, selEnd_), firstVisible_);
  const std::int32_t b = std::max(selStart_, selEnd_);
  const float left = r.left + TextWidth(firstVisible_, a);
  const float right = std::min(r.left + TextWidth(firstVisible_, b), r.right);
  if (right <= left) return;
  device->SetColor(kSelectionColor);
  device->FillRect({left, r.top, right, r.bottom}, 0);
}

// ------------------------------------------------------------------- focus

void TStdEdit::SetFocus() {
  TWeak<TStdEdit> self(this);
  GuiObject::SetFocus();
  if (!self.Get()) return;
  DestroyOwnCaret();
  if (TDevice* device = Device()) {
    TCaret* caret = device->CreateCaret(kCaretWidth, kCaretHeight, kCaretColor);
    caret_ = caret;
    device->ShowCaret(caret);
    SetCaret(curPos_);
  }
  SelectAll();
}

void TStdEdit::KillFocus() {
  ClearSelection();
  DestroyOwnCaret();
  GuiObject::KillFocus();
}

// ------------------------------------------------------------------- mouse

void TStdEdit::MouseDown(TMouseButton button, TShiftState shift, float x, float y) {
  TWeak<TStdEdit> self(this);
  GuiObject::MouseDown(button, shift, x, y);
  if (!self.Get() || button != mbLeft) return;
  const std::int32_t i = TextPosByXY(x, y);
  if (i < 0) return;
  capture();
  selecting_ = true;
  // With Shift the selection grows from where it starts (the caret when
  // there is none), as Shift and an arrow grow it; a plain click starts one.
  selStart_ = shift.Contains(ssShift) ? (selStart_ != -1 ? selStart_ : curPos_) : i;
  selEnd_ = i;
  SetCurPos(i);
  repaint();
}

void TStdEdit::MouseMove(TShiftState shift, float x, float y, float dx, float dy) {
  GuiObject::MouseMove(shift, x, y, dx, dy);
  if (!selecting_ || !shift.Contains(ssLeft)) return;
  const std::int32_t i = TextPosByXY(x, y);
  if (i < 0) return;
  selEnd_ = i;
  SetCurPos(i);
  repaint();
}

void TStdEdit::MouseUp(TMouseButton button, TShiftState shift, float x, float y) {
  GuiObject::MouseUp(button, shift, x, y);
  if (button != mbLeft) return;
  releaseCapture();
  selecting_ = false;
}

// -------------------------------------------------------------------- keys

std::u16string TStdEdit::WithoutSelection(std::int32_t& caret) const {
  std::u16string text = Text();
  const auto length = Length(text);
  const std::int32_t lo = std::clamp(std::min(selStart_, selEnd_), 0, length);
  const std::int32_t hi = std::clamp(std::max(selStart_, selEnd_), 0, length);
  text.erase(static_cast<std::size_t>(lo), static_cast<std::size_t>(hi - lo));
  caret = lo;
  return text;
}

void TStdEdit::FollowSelection(TShiftState shift, std::int32_t from) {
  if (!shift.Contains(ssShift)) {
    ClearSelection();
    return;
  }
  if (selStart_ == -1) SetSelStart(from);
  SetSelEnd(curPos_);
}

void TStdEdit::KeyDown(std::uint16_t& key, char16_t& ch, TShiftState shift) {
  TWeak<TStdEdit> self(this);
  GuiObject::KeyDown(key, ch, shift);
  if (!self.Get()) return;
  const std::int32_t from = curPos_;
  const std::int32_t length = Length(Text());
  switch (key) {
    case kLeft:
      if (curPos_ > 0) SetCurPos(curPos_ - 1);
      FollowSelection(shift, from);
      key = 0;
      break;
    case kRight:
      if (curPos_ < length) SetCurPos(curPos_ + 1);
      FollowSelection(shift, from);
      key = 0;
      break;
    case kDelete: {
      std::int32_t caret = curPos_;
      std::u16string text = Text();
      if (HasSelection()) text = WithoutSelection(caret);
      else if (curPos_ < length) text.erase(static_cast<std::size_t>(curPos_), 1);
      SetText(text);
      SetCurPos(caret);
      ClearSelection();
      key = 0;
      break;
    }
    case kHome:
      SetCurPos(0);
      FollowSelection(shift, from);
      key = 0;
      break;
    case kEnd:
      SetCurPos(length);
      FollowSelection(shift, from);
      key = 0;
      break;
    case kBack:
      if (curPos_ > 0) {
        SetCurPos(curPos_ - 1);
        std::u16string text = Text();
        text.erase(static_cast<std::size_t>(curPos_), 1);
        SetText(text);
      }
      key = 0;
      break;
    case kReturn:
      if (multiLine_) {
        SetText(Text() + u"\n\r");
      } else {
        if (OnEnter) OnEnter(this);
        if (!self.Get()) return;
        ClearSelection();
      }
      key = 0;
      break;
    default: break;
  }
  if (ch == 0) return;
  std::int32_t caret = curPos_;
  std::u16string text = HasSelection() ? WithoutSelection(caret) : Text();
  text.insert(static_cast<std::size_t>(std::clamp(caret, 0, Length(text))), 1, ch);
  SetText(text);
  SetCurPos(caret + 1);
  ClearSelection();
  ch = 0;
}

}  // namespace corvane
