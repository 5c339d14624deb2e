#include "platform/sys_font.h"

#include <algorithm>
#include <cmath>

#include "base/reflection/class_builder.h"
#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "platform/device.h"
#include "platform/font_cache_file.h"
#include "platform/media_budget.h"
#include "platform/scratch_quads.h"
#include "platform/window_host.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(T3DSysFont)

TClass SysFontClass = nullptr;

namespace {

std::vector<TCharCoord> DefaultTable() { return std::vector<TCharCoord>(kDefaultGlyphEntries, TCharCoord{1}); }

}  // namespace

std::string T3DSysFont::AtlasFileName(const std::string& cacheFile) { return FileNameWithoutExt(cacheFile) + ".png"; }

TDevice* T3DSysFont::Device() const {
  auto* host = dynamic_cast<TWindowHost*>(Owner());
  return host ? host->Device() : nullptr;
}

void T3DSysFont::BeforeDestruction() {
  DestroyAtlas();
  TSomePersistent::BeforeDestruction();
}

void T3DSysFont::DestroyAtlas() {
  TPixmap* atlas = Pixmap;
  Pixmap = nullptr;
  // A device released before its fonts has destroyed the atlas already.
  TDevice* device = Device();
  if (!atlas || !device) return;
  const auto& live = device->Pixmaps();
  if (std::find(live.begin(), live.end(), atlas) != live.end()) device->DestroyPixmap(atlas);
}

void T3DSysFont::StoreArguments(TResourceMan* resMan, const std::string& cacheFile, const std::string& fontName,
                                std::int32_t size, TFontStyles styles, bool storeCache) {
  ResMan = resMan;
  CacheFile = cacheFile;
  FontName = fontName;
  FontSize = size;
  FontStyles = styles;
  StoreCache = storeCache;
}

void T3DSysFont::InitFromFont(TResourceMan* resMan, const std::string& cacheFile, const std::string& fontName,
                              std::int32_t size, TFontStyles styles, bool storeCache) {
  StoreArguments(resMan, cacheFile, fontName, size, styles, storeCache);
  Chars = DefaultTable();
  RebuildTexture();
}

void T3DSysFont::InitFromFile(TResourceMan* resMan, const std::string& cacheFile, const std::string& fontName,
                              std::int32_t size, TFontStyles styles, bool storeCache) {
  StoreArguments(resMan, cacheFile, fontName, size, styles, false);
  TFontCache cache;
  bool tableRead = false;
  if (resMan) {
    if (std::unique_ptr<TStream> stream = resMan->CreateStream(cacheFile, 0))
      tableRead = ReadFontCache(*stream, MaxPixmapSize, cache);
  }
  if (tableRead) {
    auto* host = dynamic_cast<TWindowHost*>(Owner());
    TPixmap* atlas = host ? host->LoadPixmapFile(resMan, AtlasFileName(cacheFile)) : nullptr;
    if (atlas && atlas->Width == cache.Side && atlas->Height == cache.Side) {
      DestroyAtlas();
      Pixmap = atlas;
      TextureWidth = TextureHeight = cache.Side;
      Chars = std::move(cache.Chars);
      StoreCache = true;
      return;
    }
    // A missing or unreadable picture is the filter's to report.
    if (atlas) {
      EngineError(u"Font cache " + Utf8ToUtf16(AtlasFileName(cacheFile)) + u" has another size");
      host->Device()->DestroyPixmap(atlas);
    }
  } else {
    EngineError(u"Bad font cache " + Utf8ToUtf16(cacheFile));
  }
  // The glyphs are rasterised anew and the cache written again.
  InitFromFont(resMan, cacheFile, fontName, size, styles, storeCache);
}

void T3DSysFont::SaveToFile(TResourceMan* resMan, const std::string& cacheFile) {
  ResMan = resMan;
  CacheFile = cacheFile;
  if (!resMan || !Pixmap) return;
  auto* host = dynamic_cast<TWindowHost*>(Owner());
  TMemoryStream bytes;
  WriteFontCache(bytes, {TextureWidth, Chars});
  // Past the program's derived-file budget no part of the cache is written.
  if (!DerivedFits(bytes.Size(), cacheFile)) return;
  // A cache is derived: a read-only folder keeps none, quietly.
  TDerivedStores derived(*resMan);
  if (!StoreResource(*resMan, cacheFile, bytes.Memory(), bytes.Size())) return;
  StoreCache = true;
  if (!host) return;
  // A converted copy of an earlier atlas carries the stamp of that picture,
  // so the next load converts the new one again.
  host->SavePixmapFile(resMan, AtlasFileName(cacheFile), Pixmap);
}

void T3DSysFont::CheckText(std::u16string_view text) {
  bool changed = false;
  for (const char16_t c : text) {
    if (c < kFirstGlyphCode) continue;
    const std::size_t index = c - kFirstGlyphCode;
    if (index >= Chars.size()) Chars.resize(index + 1);
    if (Chars[index].Used == 0) {
      Chars[index].Used = 1;
      changed = true;
    }
  }
  if (changed && StoreCache) RebuildTexture();
}

TPoint T3DSysFont::GetTextExtent(std::u16string_view text, float maxWidth, std::int32_t& count) {
  count = static_cast<std::int32_t>(text.size());
  if (text.empty()) return {0, 0};
  CheckText(text);
  const float lineHeight = Chars.empty() ? 0.0f : (Chars[0].Bottom - Chars[0].Top) * static_cast<float>(TextureHeight);
  float x = 0, widest = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t index = text[i] - static_cast<std::size_t>(kFirstGlyphCode);
    if (text[i] < kFirstGlyphCode || index >= Chars.size()) continue;
    const float advance = (Chars[index].Right - Chars[index].Left) * static_cast<float>(TextureWidth);
    if (x + advance > maxWidth) break;
    x += advance;
    widest = std::max(widest, x);
    count = static_cast<std::int32_t>(i + 1);
  }
  return {std::trunc(widest), std::trunc(lineHeight)};
}

void T3DSysFont::AddPrefixWidths(std::u16string_view line, float maxWidth, std::vector<float>& widths) {
  CheckText(line);
  float x = 0;
  bool full = false;
  for (const char16_t c : line) {
    const std::size_t index = c - static_cast<std::size_t>(kFirstGlyphCode);
    if (!full && c >= kFirstGlyphCode && index < Chars.size()) {
      const float advance = (Chars[index].Right - Chars[index].Left) * static_cast<float>(TextureWidth);
      if (x + advance > maxWidth) full = true;  // the measure stops at the first character that does not fit
      else x += advance;
    }
    widths.push_back(std::trunc(x));
  }
}

std::int32_t T3DSysFont::TextQuads(std::u16string_view text) {
  std::int32_t glyphs = 0;
  for (const char16_t c : text) {
    if (c <= kFirstGlyphCode) continue;
    if (++glyphs == kMaxTextQuads) break;
  }
  return glyphs;
}

template <typename TLine>
void T3DSysFont::ErrorOnce(std::size_t key, const TLine& line) {
  constexpr std::size_t kMostKeys = 4096;
  if (reported_.size() >= kMostKeys || !reported_.insert(key).second) return;
  EngineError(line());
}

void T3DSysFont::DrawText(float x, float y, std::uint32_t color, std::u16string_view text) {
  if (text.empty()) return;
  CheckText(text);
  TDevice* device = Device();
  if (!device) return;
  TScratchQuads quads(*device, TextQuads(text), color);
  if (!quads.Fits()) return;
  if (!quads.Lock()) {
    const bool index = quads.IndexLockFailed();
    ErrorOnce(index ? 1 : 0, [&] { return index ? u"Can't lock index buffer" : u"Can't lock vertex buffer"; });
    return;
  }
  const auto width = static_cast<float>(TextureWidth);
  const auto height = static_cast<float>(TextureHeight);
  for (const char16_t c : text) {
    if (c < kFirstGlyphCode) continue;
    const std::size_t index = c - static_cast<std::size_t>(kFirstGlyphCode);
    if (index >= Chars.size()) {
      ErrorOnce(std::hash<std::u16string_view>{}(std::u16string_view(&c, 1)),
                [&] { return u"Unsupported char " + std::u16string(1, c); });
      continue;
    }
    const TCharCoord& cell = Chars[index];
    const float w = (cell.Right - cell.Left) * width;
    const float h = (cell.Bottom - cell.Top) * height;
    if (c != kFirstGlyphCode) {
      if (quads.Added() == kMaxTextQuads) {
        constexpr std::size_t kShown = 64;
        ErrorOnce(std::hash<std::u16string_view>{}(text), [&] {
          return u"Text \"" + std::u16string(text.substr(0, kShown)) + u"...\" (" +
                 IntToStr(static_cast<std::int64_t>(text.size())) + u" characters) too long.";
        });
        break;
      }
      quads.Add({x, y, x + w, y + h}, {cell.Left, cell.Top, cell.Right, cell.Bottom});
    }
    x += w;
  }
  quads.Draw();
}

void T3DSysFont::UseAtlas(const TGlyphPacking& packing, const TDrawAtlas& draw) {
  TDevice* device = Device();
  const std::int32_t side = packing.Side;
  if (!device || side <= 0) return;
  TPixmap* atlas = device->CreatePixmap(side, side);
  if (!atlas) return;
  void* bits = nullptr;
  if (!device->LockPixmapRectARGB(atlas, 0, 0, side, side, bits, false)) {
    device->DestroyPixmap(atlas);
    return;
  }
  const std::size_t stride = atlas->Pitch >= side * 4 ? static_cast<std::size_t>(atlas->Pitch) / 4 : side;
  auto* pixels = static_cast<std::uint32_t*>(bits);
  for (std::int32_t row = 0; row < side; ++row) std::fill_n(pixels + row * stride, side, 0u);
  draw(pixels, stride);
  device->UnlockPixmap(atlas);
  DestroyAtlas();
  Pixmap = atlas;
  TextureWidth = TextureHeight = side;
  std::size_t next = 0;
  for (TCharCoord& entry : Chars) {
    if (entry.Used == 0 || next >= packing.Cells.size()) continue;
    SetCharCoord(entry, packing.Cells[next++], packing.LineHeight, side);
  }
  if (StoreCache && ResMan && !CacheFile.empty()) SaveToFile(ResMan, CacheFile);
}

}  // namespace corvane
