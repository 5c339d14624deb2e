// T3DSysFontFreeType: the host's system font. fontconfig finds the face for
// the requested family with its bold and italic styles, and the faces that
// stand in for characters it lacks (in fontconfig's sorted order); FreeType
// rasterises each glyph, hinted and anti-aliased. A glyph is its advance
// wide and its face's line (ascender - descender) high; every cell shares
// the requested face's baseline, and a glyph is clipped to its cell. An
// atlas pixel is white with the glyph's coverage as alpha, transparent
// black where there is none.
#pragma once

#include <memory>

#include "platform/sys_font.h"

namespace corvane {

class T3DSysFontFreeType : public T3DSysFont {
  CORVANE_CLASS(T3DSysFontFreeType, T3DSysFont)
  explicit T3DSysFontFreeType(const TCreateContext& context);
  ~T3DSysFontFreeType() override;

  void RebuildTexture() override;

 private:
  struct TFaces;
  std::unique_ptr<TFaces> faces_;
};

// Makes T3DSysFontFreeType the SysFontClass and registers its name.
void RegisterFreeTypeSysFont();

}  // namespace corvane
