#include "platform/sdl/sys_font_freetype.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "platform/device.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(T3DSysFontFreeType)

namespace {

// One FreeType library for every font of the process.
FT_Library Library() {
  struct TLibrary {
    FT_Library handle = nullptr;
    TLibrary() {
      if (FT_Init_FreeType(&handle) != 0) handle = nullptr;
    }
    ~TLibrary() {
      if (handle) FT_Done_FreeType(handle);
    }
  };
  static TLibrary library;
  return library.handle;
}

using TFontSetPtr = std::shared_ptr<FcFontSet>;

// fontconfig's sorted faces for the family with the styles: the best match
// first. Null when fontconfig knows no face at all.
TFontSetPtr SortFaces(const std::string& family, TFontStyles styles) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, styles.Contains(fsBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, styles.Contains(fsItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
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
  return set ? TFontSetPtr(set, FcFontSetDestroy) : nullptr;
}

// The sorted faces of the last requests: the look-up costs more than
// rasterising a whole atlas. Each font holds its own share.
TFontSetPtr SortedFaces(const std::string& family, TFontStyles styles) {
  struct TEntry {
    std::string family;
    TFontStyles styles;
    TFontSetPtr set;
  };
  constexpr std::size_t kKept = 16;
  static std::deque<TEntry> kept;
  for (const TEntry& entry : kept)
    if (entry.family == family && entry.styles == styles) return entry.set;
  TFontSetPtr set = SortFaces(family, styles);
  if (kept.size() == kKept) kept.pop_back();
  kept.push_front({family, styles, set});
  return set;
}

// The whole pixels of a 26.6 value.
float Pixels26(FT_Pos value) { return static_cast<float>(value) / 64.0f; }

// A rendered glyph: where its coverage lies in the shared store and where
// it stands against its pen position and baseline.
struct TRendered {
  std::size_t offset = 0;
  std::int32_t width = 0;
  std::int32_t rows = 0;
  std::int32_t left = 0;
  std::int32_t top = 0;
};

// Draws the glyph's coverage with its origin at (penX, baseline), clipped
// to the cell.
void DrawGlyph(const TRendered& glyph, const std::vector<std::uint8_t>& store, std::int32_t penX,
               std::int32_t baseline, const TGlyphCell& cell, const TGlyphPacking& packing, std::uint32_t* pixels,
               std::size_t stride) {
  const std::int64_t left = static_cast<std::int64_t>(penX) + glyph.left;
  const std::int64_t top = static_cast<std::int64_t>(baseline) - glyph.top;
  const std::int64_t x0 = std::max<std::int64_t>(left, cell.X);
  const std::int64_t x1 = std::min<std::int64_t>(left + glyph.width, std::min(cell.X + cell.Width, packing.Side));
  const std::int64_t y0 = std::max<std::int64_t>(top, cell.Y);
  const std::int64_t y1 = std::min<std::int64_t>(top + glyph.rows, std::min(cell.Y + packing.LineHeight, packing.Side));
  for (std::int64_t y = y0; y < y1; ++y) {
    const std::uint8_t* row = store.data() + glyph.offset + (y - top) * glyph.width;
    std::uint32_t* out = pixels + static_cast<std::size_t>(y) * stride;
    // Cells never overlap, so every pixel of the glyph is written as it
    // is, without a branch.
    for (std::int64_t x = x0; x < x1; ++x) {
      const std::uint32_t coverage = row[x - left];
      out[x] = coverage << 24 | (0xFFFFFFu & (0u - static_cast<std::uint32_t>(coverage != 0)));
    }
  }
}

}  // namespace

// The faces of one font: fontconfig's sorted set for the request, each
// face opened when a character first needs it.
struct T3DSysFontFreeType::TFaces {
  TFontSetPtr set;
  std::vector<FT_Face> faces;  // by position in the set; null until opened
  std::int32_t size = 0;       // pixel size the opened faces are set to

  ~TFaces() {
    for (FT_Face face : faces)
      if (face) FT_Done_Face(face);
  }

  // The face at the set's position, opened and sized; null when it cannot be.
  FT_Face Face(std::size_t index) {
    if (faces[index]) return faces[index];
    FcChar8* file = nullptr;
    int faceIndex = 0;
    if (FcPatternGetString(set->fonts[index], FC_FILE, 0, &file) != FcResultMatch) return nullptr;
    FcPatternGetInteger(set->fonts[index], FC_INDEX, 0, &faceIndex);
    FT_Face face = nullptr;
    if (!Library() || FT_New_Face(Library(), reinterpret_cast<const char*>(file), faceIndex, &face) != 0)
      return nullptr;
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

T3DSysFontFreeType::T3DSysFontFreeType(const TCreateContext& context) : T3DSysFont(context) {}

T3DSysFontFreeType::~T3DSysFontFreeType() = default;

void T3DSysFontFreeType::RebuildTexture() {
  // A glyph is never taller than the largest atlas.
  const std::int32_t size = std::clamp(FontSize, 1, MaxPixmapSize);
  if (!faces_ || faces_->size != size) {
    faces_ = std::make_unique<TFaces>();
    faces_->size = size;
    faces_->set = SortedFaces(FontName, FontStyles);
    if (faces_->set) faces_->faces.assign(static_cast<std::size_t>(faces_->set->nfont), nullptr);
  }
  FT_Face primary = faces_->set ? faces_->Face(0) : nullptr;
  if (!primary) {
    EngineError(u"Can't find font " + Utf8ToUtf16(FontName));
    return;
  }

  // Every used character measured and rendered once. Coverage beyond what
  // the largest atlas could show means the atlas cannot be made.
  constexpr std::size_t kMaxCoverage = std::size_t{2} * MaxPixmapSize * MaxPixmapSize;
  std::vector<TGlyphMetrics> metrics;
  std::vector<TRendered> rendered;
  std::vector<std::uint8_t> store;
  bool tooLarge = false;
  for (std::size_t i = 0; i < Chars.size() && !tooLarge; ++i) {
    if (Chars[i].Used == 0) continue;
    const auto code = static_cast<char16_t>(kFirstGlyphCode + i);
    FT_Face face = faces_->FaceFor(code);
    TGlyphMetrics& m = metrics.emplace_back();
    TRendered& r = rendered.emplace_back();
    if (!face) continue;
    m.Height = Pixels26(face->size->metrics.ascender - face->size->metrics.descender);
    if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot slot = face->glyph;
    m.Width = Pixels26(slot->advance.x);
    const FT_Bitmap& b = slot->bitmap;
    if (b.pixel_mode != FT_PIXEL_MODE_GRAY || !b.buffer || b.width == 0 || b.rows == 0) continue;
    const std::size_t bytes = static_cast<std::size_t>(b.width) * b.rows;
    if (store.size() + bytes > kMaxCoverage) {
      tooLarge = true;
      break;
    }
    r = {store.size(), static_cast<std::int32_t>(b.width), static_cast<std::int32_t>(b.rows), slot->bitmap_left,
         slot->bitmap_top};
    for (unsigned row = 0; row < b.rows; ++row) {
      const unsigned char* from = b.buffer + static_cast<std::ptrdiff_t>(row) * b.pitch;
      store.insert(store.end(), from, from + b.width);
    }
  }

  TGlyphPacking packing;
  if (tooLarge || !PackGlyphs(metrics, MaxPixmapSize, packing)) {
    EngineError(u"Can't create font - pixmap too large");
    return;
  }
  const auto ascender = static_cast<std::int32_t>(std::lround(Pixels26(primary->size->metrics.ascender)));
  UseAtlas(packing, [&](std::uint32_t* pixels, std::size_t stride) {
    for (std::size_t i = 0; i < rendered.size(); ++i) {
      if (rendered[i].width == 0) continue;
      const TGlyphCell& cell = packing.Cells[i];
      DrawGlyph(rendered[i], store, cell.X, cell.Y + ascender, cell, packing, pixels, stride);
    }
  });
}

void RegisterFreeTypeSysFont() {
  SysFontClass = T3DSysFontFreeType::StaticClass();
  if (GetClass(SysFontClass->Name()) != SysFontClass) RegisterClass(SysFontClass);
}

}  // namespace corvane
