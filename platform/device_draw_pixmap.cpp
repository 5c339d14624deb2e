// Pixmaps drawn through the scratch mesh: stretched, nine-sliced, and
// tiled with or without margins. The pixmap is bound to stage 0; the
// caller's render states and texture matrix stay as they are.
#include <cmath>
#include <optional>

#include "platform/device.h"
#include "platform/pixmap_slices.h"
#include "platform/scratch_quads.h"

namespace corvane {

namespace {

bool NoMargins(const TRect& m) { return m.left == 0 && m.top == 0 && m.right == 0 && m.bottom == 0; }

// The pixmap's size in texture pixels: its size times the texture matrix's
// scale. False when either reads 0 (or is not a number): nothing can be
// cut or tiled by it.
bool TextureSize(const TPixmap* pixmap, const TPlaneMatrix& matrix, float& tw, float& th) {
  tw = static_cast<float>(pixmap->Width) * matrix[0][0];
  th = static_cast<float>(pixmap->Height) * matrix[1][1];
  return std::isfinite(tw) && std::isfinite(th) && tw != 0 && th != 0;
}

// Writes every tile of the cell; the grid is the one the counting pass used.
void TilePixmapRect(TScratchQuads& quads, const TTileCell& cell, float tw, float th) {
  const TTileGrid grid = TileGrid(cell);
  TRect tile, texture;
  for (std::int64_t row = 0; row < grid.Rows; ++row)
    for (std::int64_t column = 0; column < grid.Columns; ++column) {
      TileAt(cell, tw, th, column, row, tile, texture);
      quads.Add(tile, texture);
    }
}

// Once the quads are known to fit, binds the pixmap to stage 0 and locks
// them; false when nothing may be drawn (nor from a picture the renderer
// refused to take).
bool BindAndLock(TDevice& device, TScratchQuads& quads, TPixmap* pixmap) {
  if (!quads.Fits() || !pixmap->Drawable()) return false;
  device.SetPixmap(0, pixmap);
  return quads.Lock();
}

// The cut of a margin draw. None when there is nothing to cut: no pixmap or
// no texture size to cut by (nothing is drawn), or margins all zero, which
// are drawn here as the plain stretched pixmap.
std::optional<TPixmapSlices> MarginSlices(TDevice& device, TPixmap* pixmap, const TRect& rect, const TRect& margins) {
  if (!pixmap) return std::nullopt;
  if (NoMargins(margins)) {
    device.DrawPixmap(pixmap, rect);
    return std::nullopt;
  }
  float tw = 0, th = 0;
  if (!TextureSize(pixmap, device.TextureMatrix, tw, th)) return std::nullopt;
  return PixmapSlices(rect, margins, tw, th);
}

}  // namespace

void TDevice::DrawPixmap(TPixmap* pixmap, const TRect& rect) {
  if (!pixmap) return;
  TScratchQuads quads(*this, 1, CorrectMeshVertexColor(Material.Diffuse));
  if (!BindAndLock(*this, quads, pixmap)) return;
  quads.Add(rect, {0, 0, 1, 1});
  quads.Draw();
}

void TDevice::DrawPixmapXy(TPixmap* pixmap, float x, float y) {
  if (!pixmap) return;
  DrawPixmap(pixmap, {x, y, x + static_cast<float>(pixmap->Width), y + static_cast<float>(pixmap->Height)});
}

void TDevice::DrawPixmapMargins(TPixmap* pixmap, const TRect& rect, const TRect& margins) {
  const std::optional<TPixmapSlices> slices = MarginSlices(*this, pixmap, rect, margins);
  if (!slices) return;
  TScratchQuads quads(*this, 9, CorrectMeshVertexColor(Material.Diffuse));
  if (!BindAndLock(*this, quads, pixmap)) return;
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) quads.Add(slices->Cell(column, row), slices->TextureCell(column, row));
  quads.Draw();
}

void TDevice::DrawPixmapMarginsTile(TPixmap* pixmap, const TRect& rect, const TRect& margins) {
  const std::optional<TPixmapSlices> slices = MarginSlices(*this, pixmap, rect, margins);
  if (!slices) return;
  // First pass: count; second: write exactly that many.
  TScratchQuads quads(*this, MarginTileQuadCount(*slices, margins), CorrectMeshVertexColor(Material.Diffuse));
  if (!BindAndLock(*this, quads, pixmap)) return;
  for (int row : {0, 2})
    for (int column : {0, 2}) quads.Add(slices->Cell(column, row), slices->TextureCell(column, row));
  for (const TTileCell& cell : MarginTileCells(*slices, margins))
    TilePixmapRect(quads, cell, slices->TextureWidth, slices->TextureHeight);
  quads.Draw();
}

void TDevice::DrawPixmapTile(TPixmap* pixmap, const TRect& rect) {
  if (!pixmap) return;
  float tw = 0, th = 0;
  if (!TextureSize(pixmap, TextureMatrix, tw, th)) return;
  const TTileCell cell{rect, tw, th, {0, 0, 1, 1}};
  const std::int64_t count = TileGrid(cell).Count();
  if (count == 0) return;
  TScratchQuads quads(*this, count, CorrectMeshVertexColor(Material.Diffuse));
  if (!BindAndLock(*this, quads, pixmap)) return;
  TilePixmapRect(quads, cell, tw, th);
  quads.Draw();
}

}  // namespace corvane
