#include "gui/color_dropdown.h"

#include <cmath>
#include <limits>

#include "base/geometry/color.h"
#include "base/geometry/point_rect_persistent.h"
#include "base/geometry/rect_math.h"
#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/text/number_text.h"
#include "gui/skin_pixmap.h"
#include "gui/std_list.h"
#include "platform/device.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(ColorDropdown)

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000;

// The decimal text of a 32-bit number, else 0.
std::uint32_t NumberOf(std::u16string_view text) {
  const std::optional<std::int64_t> value = TryStrToInt64(text);
  if (!value || *value < std::numeric_limits<std::int32_t>::min() || *value > std::numeric_limits<std::int32_t>::max())
    return 0;
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(*value));
}

std::uint8_t HueToRGB(double m1, double m2, double h) {
  h -= std::floor(h);
  double v = m1;
  if (6 * h < 1) v = m1 + (m2 - m1) * h * 6;
  else if (2 * h < 1) v = m2;
  else if (3 * h < 2) v = m1 + (m2 - m1) * (2.0 / 3.0 - h) * 6;
  return static_cast<std::uint8_t>(static_cast<std::int64_t>(std::nearbyint(255 * v)) & 255);
}

}  // namespace

void ColorDropdown::Describe(TClassBuilder<ColorDropdown>& c) {
  c.Property("colorValue", &ColorDropdown::GetColor, &ColorDropdown::SetColor).Stored(false);
  c.Property("items", &ColorDropdown::Items, &ColorDropdown::SetItems).Stored(false);
}

ColorDropdown::ColorDropdown(const TCreateContext& context) : Dropdown(context) {
  TStdList* popup = Popup();
  const TRectPersistent* margin = popup->ContentsMargin();
  SetListWidth(188 + margin->Left() + margin->Right());
  popup->SetItemHeight(16);
  popup->SetColumnCount(12);
  popup->SetRowCount(8);
  TWideStringList* items = popup->Items();
  for (int i = 0; i <= 7; ++i) {
    const auto v = static_cast<std::uint8_t>(std::nearbyint(i / 7.0 * 255));
    items->Add(IntToStr(MakeRGB(v, v, v)));
  }
  for (int h = 0; h <= 10; ++h)
    for (int l = 0; l <= 7; ++l) items->Add(IntToStr(HLSToRGB(h / 11.0, 0.5, (l + 1) / 9.0)));
}

std::uint32_t ColorDropdown::MakeRGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | b;
}

std::uint32_t ColorDropdown::HLSToRGB(double h, double s, double l) {
  if (s == 0) {
    const auto v = static_cast<std::uint8_t>(static_cast<std::int64_t>(std::nearbyint(255 * l)) & 255);
    return MakeRGB(v, v, v);
  }
  const double m2 = l > 0.5 ? l + s - l * s : l * (1 + s);
  const double m1 = 2 * l - m2;
  return MakeRGB(HueToRGB(m1, m2, h + 1.0 / 3.0), HueToRGB(m1, m2, h), HueToRGB(m1, m2, h - 1.0 / 3.0));
}

std::uint32_t ColorDropdown::ColorValueNative() const {
  return Text().empty() ? kOpaque : NumberOf(Text()) | kOpaque;
}

std::u16string ColorDropdown::GetColor() const { return ColorToStr(ColorValueNative()); }

void ColorDropdown::SetColor(const std::u16string& value) {
  const std::uint32_t rgb = StrToColor(value) & 0xFFFFFF;
  TWideStringList* items = Items();
  if (!items) return;
  if (const int index = items->IndexOf(IntToStr(rgb)); index >= 0) SetItemIndex(index);
}

void ColorDropdown::Paint() { PaintFrame(GlyphSize(*PixmapGlyph(), true)); }

void ColorDropdown::PaintItem(std::int32_t index, const TRect& rect) {
  TDevice* device = Device();
  TWideStringList* items = Items();
  if (!device || !items || index < 0 || index >= items->GetCount()) return;
  TRect swatch = rect;
  InflateRect(swatch, -1, -1);
  device->SetColor(NumberOf(items->Get(index)) | kOpaque);
  device->FillRect(swatch, 0);
}

}  // namespace corvane
