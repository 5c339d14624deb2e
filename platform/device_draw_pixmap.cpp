// Pixmaps drawn through the scratch mesh: stretched, nine-sliced, and
// tiled with or without margins. The pixmap is bound to stage 0; the
// caller's render states and texture matrix stay as they are.
#include <cmath>

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

}  // namespace

void TDevice::DrawPixmap(TPixmap* pixmap, const TRect& rect) {
  if (!pixmap) return;
  TScratchQuads quads(*this, 1, CorrectMeshVertexColor(Material.Diffuse));
  if (!quads.Fits()) return;
  SetPixmap(0, pixmap);
  if (!quads.Lock()) return;
  quads.Add(rect, {0, 0, 1, 1});
  quads.Draw();
}

void TDevice::DrawPixmapXy(TPixmap* pixmap, float x, float y) {
  if (!pixmap) return;
  DrawPixmap(pixmap, {x, y, x + static_cast<float>(pixmap->Width), y + static_cast<float>(pixmap->Height)});
}

void TDevice::DrawPixmapMargins(TPixmap* pixmap, const TRect& rect, const TRect& margins) {
  if (!pixmap) return;
  if (NoMargins(margins)) {
    DrawPixmap(pixmap, rect);
    return;
  }
  float tw = 0, th = 0;
  if (!TextureSize(pixmap, TextureMatrix, tw, th)) return;
  TScratchQuads quads(*this, 9, CorrectMeshVertexColor(Material.Diffuse));
  if (!quads.Fits()) return;
  SetPixmap(0, pixmap);
  if (!quads.Lock()) return;
  const TPixmapSlices slices = PixmapSlices(rect, margins, tw, th);
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) quads.Add(slices.Cell(column, row), slices.TextureCell(column, row));
  quads.Draw();
}

void TDevice::DrawPixmapMarginsTile(TPixmap* pixmap, const TRect& rect, const TRect& margins) {
  if (!pixmap) return;
  if (NoMargins(margins)) {
    DrawPixmap(pixmap, rect);
    return;
  }
  float tw = 0, th = 0;
  if (!TextureSize(pixmap, TextureMatrix, tw, th)) return;
  const TPixmapSlices slices = PixmapSlices(rect, margins, tw, th);
  // First pass: count; second: write exactly that many.
  TScratchQuads quads(*this, MarginTileQuadCount(slices, margins), CorrectMeshVertexColor(Material.Diffuse));
  if (!quads.Fits()) return;
  SetPixmap(0, pixmap);
  if (!quads.Lock()) return;
  for (int row : {0, 2})
    for (int column : {0, 2}) quads.Add(slices.Cell(column, row), slices.TextureCell(column, row));
  for (const TTileCell& cell : MarginTileCells(slices, margins)) TilePixmapRect(quads, cell, tw, th);
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
  if (!quads.Fits()) return;
  SetPixmap(0, pixmap);
  if (!quads.Lock()) return;
  TilePixmapRect(quads, cell, tw, th);
  quads.Draw();
}

}  // namespace corvane
