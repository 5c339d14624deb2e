#include "platform/sdl/sys_font_freetype.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "platform/device.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(T3DSysFontFreeType)

// The faces of one font: fontconfig's sorted set for the request, each
// face opened when a character first needs it.
struct T3DSysFontFreeType::TFaces {
  FT_Library library = nullptr;
  FcFontSet* set = nullptr;
  std::vector<FT_Face> faces;  // by position in the set; null until opened
  std::int32_t size = 0;       // pixel size the opened faces are set to

  ~TFaces() {
    for (FT_Face face : faces)
      if (face) FT_Done_Face(face);
    if (set) FcFontSetDestroy(set);
    if (library) FT_Done_FreeType(library);
  }

  // The face at the set's position, opened and sized; null when it cannot be.
  FT_Face Face(std::size_t index) {
    if (faces[index]) return faces[index];
    FcChar8* file = nullptr;
    int faceIndex = 0;
    if (FcPatternGetString(set->fonts[index], FC_FILE, 0, &file) != FcResultMatch) return nullptr;
    FcPatternGetInteger(set->fonts[index], FC_INDEX, 0, &faceIndex);
    FT_Face face = nullptr;
    if (FT_New_Face(library, reinterpret_cast<const char*>(file), faceIndex, &face) != 0) return nullptr;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) != 0) {
      FT_Done_Face(face);
      return nullptr;
    }
    faces[index] = face;
    return face;
  }

  // The first face of the set that holds the character, else the
  // requested face (its missing-glyph box).
  FT_Face FaceFor(char16_t code) {
    for (std::size_t i = 0; i < faces.size(); ++i) {
      FcCharSet* chars = nullptr;
      if (FcPatternGetCharSet(set->fonts[i], FC_CHARSET, 0, &chars) != FcResultMatch) continue;
      if (!FcCharSetHasChar(chars, code)) continue;
      if (FT_Face face = Face(i)) return face;
    }
    return faces.empty() ? nullptr : Face(0);
  }
};

namespace {

// The whole pixels of a 26.6 value.
float Pixels26(FT_Pos value) { return static_cast<float>(value) / 64.0f; }

// fontconfig's sorted faces for the family with the styles: the best match
// first. Null when fontconfig knows no face at all.
FcFontSet* SortedFaces(const std::string& family, TFontStyles styles, std::int32_t size) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, styles.Contains(fsBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, styles.Contains(fsItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, size);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcFontSet* set = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
  FcPatternDestroy(pattern);
  if (set && set->nfont == 0) {
    FcFontSetDestroy(set);
    set = nullptr;
  }
  return set;
}

// One used character: its face's measures and its outline until drawn.
struct TGlyph {
  FT_Glyph glyph = nullptr;
  ~TGlyph() {
    if (glyph) FT_Done_Glyph(glyph);
  }
  TGlyph() = default;
  TGlyph(TGlyph&& other) noexcept : glyph(other.glyph) { other.glyph = nullptr; }
  TGlyph(const TGlyph&) = delete;
  TGlyph& operator=(const TGlyph&) = delete;
  TGlyph& operator=(TGlyph&&) = delete;
};

// Draws the glyph's coverage with its origin at (penX, baseline), clipped
// to the cell.
void DrawGlyph(FT_BitmapGlyph bitmap, std::int32_t penX, std::int32_t baseline, const TGlyphCell& cell,
               std::int32_t lineHeight, std::int32_t side, std::vector<std::uint32_t>& pixels) {
  const FT_Bitmap& b = bitmap->bitmap;
  if (b.pixel_mode != FT_PIXEL_MODE_GRAY || !b.buffer) return;
  const std::int64_t left = static_cast<std::int64_t>(penX) + bitmap->left;
  const std::int64_t top = static_cast<std::int64_t>(baseline) - bitmap->top;
  const std::int64_t x0 = std::max<std::int64_t>(left, cell.X);
  const std::int64_t x1 = std::min<std::int64_t>(left + b.width, std::min(cell.X + cell.Width, side));
  const std::int64_t y0 = std::max<std::int64_t>(top, cell.Y);
  const std::int64_t y1 = std::min<std::int64_t>(top + b.rows, std::min(cell.Y + lineHeight, side));
  for (std::int64_t y = y0; y < y1; ++y) {
    const unsigned char* row = b.buffer + (y - top) * b.pitch;
    std::uint32_t* out = pixels.data() + y * side;
    for (std::int64_t x = x0; x < x1; ++x) {
      const std::uint32_t coverage = row[x - left];
      if (coverage) out[x] = coverage << 24 | 0xFFFFFF;
    }
  }
}

}  // namespace

T3DSysFontFreeType::T3DSysFontFreeType(const TCreateContext& context) : T3DSysFont(context) {}

T3DSysFontFreeType::~T3DSysFontFreeType() = default;

void T3DSysFontFreeType::RebuildTexture() {
  // A glyph is never taller than the largest atlas.
  const std::int32_t size = std::clamp(FontSize, 1, MaxPixmapSize);
  if (!faces_ || faces_->size != size) {
    faces_ = std::make_unique<TFaces>();
    faces_->size = size;
    if (FT_Init_FreeType(&faces_->library) != 0) faces_->library = nullptr;
    faces_->set = faces_->library ? SortedFaces(FontName, FontStyles, size) : nullptr;
    if (faces_->set) faces_->faces.assign(static_cast<std::size_t>(faces_->set->nfont), nullptr);
  }
  FT_Face primary = faces_->set ? faces_->Face(0) : nullptr;
  if (!primary) {
    EngineError(u"Can't find font " + Utf8ToUtf16(FontName));
    return;
  }

  // Measures of every used character, its outline kept for drawing.
  std::vector<TGlyphMetrics> metrics;
  std::vector<TGlyph> glyphs;
  for (std::size_t i = 0; i < Chars.size(); ++i) {
    if (Chars[i].Used == 0) continue;
    const auto code = static_cast<char16_t>(kFirstGlyphCode + i);
    FT_Face face = faces_->FaceFor(code);
    TGlyph& glyph = glyphs.emplace_back();
    TGlyphMetrics& m = metrics.emplace_back();
    if (!face) continue;
    m.Height = Pixels26(face->size->metrics.ascender - face->size->metrics.descender);
    if (FT_Load_Char(face, code, FT_LOAD_DEFAULT) != 0) continue;
    m.Width = Pixels26(face->glyph->advance.x);
    if (FT_Get_Glyph(face->glyph, &glyph.glyph) != 0) glyph.glyph = nullptr;
  }

  TGlyphPacking packing;
  if (!PackGlyphs(metrics, MaxPixmapSize, packing)) {
    EngineError(u"Can't create font - pixmap too large");
    return;
  }
  const std::int32_t side = packing.Side;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), 0);
  const auto ascender = static_cast<std::int32_t>(std::lround(Pixels26(primary->size->metrics.ascender)));
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    FT_Glyph glyph = glyphs[i].glyph;
    if (!glyph || FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 0) != 0) continue;
    const TGlyphCell& cell = packing.Cells[i];
    DrawGlyph(reinterpret_cast<FT_BitmapGlyph>(glyph), cell.X, cell.Y + ascender, cell, packing.LineHeight, side,
              pixels);
    FT_Done_Glyph(glyph);
  }
  UseAtlas(packing, pixels);
}

void RegisterFreeTypeSysFont() {
  SysFontClass = T3DSysFontFreeType::StaticClass();
  if (GetClass(SysFontClass->Name()) != SysFontClass) RegisterClass(SysFontClass);
}

}  // namespace corvane
