// TFontPersistent: a font held by face name, size and style, with the
// colour text is drawn in. The engine font comes from the applet's cache
// on first use and goes back when the face, size or style changes, and in
// the destructor.
#pragma once

#include <cstdint>
#include <string>

#include "base/reflection/persistent.h"
#include "scene/owner_applet.h"
#include "platform/media.h"

namespace corvane {

class TAppletServices;

template <class C>
class TClassBuilder;

class TFontPersistent : public TSomePersistent {
  CORVANE_CLASS(TFontPersistent, TSomePersistent)
  static void Describe(TClassBuilder<TFontPersistent>& c);
  // "verdana", 10, no style, opaque white; the owner is the applet.
  explicit TFontPersistent(const TCreateContext& context);
  ~TFontPersistent() override;

  // Face, size, style and colour of another font.
  void Assign(const TPersistent* source) override;

  const std::string& Name() const { return name_; }
  std::int32_t Size() const { return size_; }
  TFontStyles Style() const { return style_; }
  // A changed face, size or style gives the held font back.
  void SetName(const std::string& value);
  void SetSize(std::int32_t value);
  void SetStyle(TFontStyles value);
  std::uint32_t Color() const { return color_; }
  // Colour text "#AARRGGBB".
  std::u16string GetColor() const;
  void SetColor(const std::u16string& text);
  void SetColorNative(std::uint32_t color) { color_ = color; }

  // The engine font, loaded through the cache when none is held; null
  // without a device or when it cannot be made.
  TFont* Font();
  void RebuildFont();
  TFont* font() { return Font(); }

 private:
  TOwnerApplet applet_;
  TAppletServices* Applet() const;
  void Release();

  std::string name_ = "verdana";
  TFont* font_ = nullptr;
  std::int32_t size_ = 10;
  TFontStyles style_;
  std::uint32_t color_ = 0xFFFFFFFF;
};

}  // namespace corvane
