#include "scene/font_persistent.h"

#include "base/geometry/color.h"
#include "base/reflection/class_builder.h"
#include "base/text/text_convert.h"
#include "resources/cache/cache.h"
#include "engine/core/applet_services.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TFontPersistent)

namespace {

constexpr std::uint32_t kDefaultColor = 0xFFFFFFFF;

std::string LowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

}  // namespace

void TFontPersistent::Describe(TClassBuilder<TFontPersistent>& c) {
  c.Property("color", &TFontPersistent::GetColor, &TFontPersistent::SetColor).Stored([](const TFontPersistent& f) {
    return f.color_ != kDefaultColor;
  });
  c.Property("name", &TFontPersistent::Name, &TFontPersistent::SetName).Stored([](const TFontPersistent& f) {
    return LowerAscii(f.name_) != "verdana";
  });
  c.Property("size", &TFontPersistent::Size, &TFontPersistent::SetSize).Default(10);
  c.Property("style", &TFontPersistent::Style, &TFontPersistent::SetStyle).Default(TFontStyles{});
  c.Method("font", &TFontPersistent::font);
}

TFontPersistent::TFontPersistent(const TCreateContext& context) : TSomePersistent(context), applet_(context.Owner) {}

TFontPersistent::~TFontPersistent() { Release(); }

TAppletServices* TFontPersistent::Applet() const { return applet_.Get(); }

void TFontPersistent::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TFontPersistent*>(source);
  if (!other) {
    TSomePersistent::Assign(source);
    return;
  }
  SetName(other->name_);
  SetSize(other->size_);
  SetStyle(other->style_);
  color_ = other->color_;
}

void TFontPersistent::Release() {
  if (!font_) return;
  TFont* font = font_;
  font_ = nullptr;
  TAppletServices* applet = Applet();
  if (TCache* cache = applet ? applet->Cache() : nullptr) cache->FreeFont(font);
}

void TFontPersistent::SetName(const std::string& value) {
  if (value == name_) return;
  name_ = value;
  Release();
}

void TFontPersistent::SetSize(std::int32_t value) {
  if (value == size_) return;
  size_ = value;
  Release();
}

void TFontPersistent::SetStyle(TFontStyles value) {
  if (value == style_) return;
  style_ = value;
  Release();
}

std::u16string TFontPersistent::GetColor() const { return ColorToStr(color_); }
void TFontPersistent::SetColor(const std::u16string& text) { color_ = StrToColor(text); }

void TFontPersistent::RebuildFont() {
  TAppletServices* applet = Applet();
  TCache* cache = applet && applet->Device() ? applet->Cache() : nullptr;
  if (!cache) return;
  Release();
  font_ = cache->LoadFont(WidenLatin1(name_), static_cast<float>(size_), style_);
}

TFont* TFontPersistent::Font() {
  // The font lives in the applet's cache: gone with the applet.
  if (!Applet()) return nullptr;
  if (!font_) RebuildFont();
  return font_;
}

}  // namespace corvane
