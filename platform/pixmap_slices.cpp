#include "platform/pixmap_slices.h"

#include <cmath>

#include "base/geometry/rect_math.h"

namespace corvane {

namespace {

// Tiles along one axis: the whole tiles that fit and one more cut back to
// the rest, unless there is no rest (a tile cut back to nothing would be
// drawn for nothing). The count is bounded far beyond any scratch mesh, so
// that a tiny tile size cannot overflow it; such a call will not fit.
std::int64_t TilesAlong(float extent, float tile) {
  constexpr double kMany = 1 << 20;
  if (!(extent > 0) || !(tile > 0)) return 0;
  const double tiles = std::ceil(static_cast<double>(extent) / tile);
  return tiles >= kMany ? static_cast<std::int64_t>(kMany) : static_cast<std::int64_t>(tiles);
}

}  // namespace

TPixmapSlices PixmapSlices(const TRect& rect, const TRect& margins, float tw, float th) {
  TPixmapSlices s;
  s.TextureWidth = tw;
  s.TextureHeight = th;
  const float width = RectWidth(rect), height = RectHeight(rect);
  s.X = {rect.left, rect.left + margins.left, rect.left + (width - margins.right), rect.left + width};
  s.Y = {rect.top, rect.top + margins.top, rect.top + (height - margins.bottom), rect.top + height};
  s.U = {0, margins.left / tw, 1 - margins.right / tw, 1};
  s.V = {0, margins.top / th, 1 - margins.bottom / th, 1};
  return s;
}

TTileGrid TileGrid(const TTileCell& cell) {
  TTileGrid grid{TilesAlong(RectWidth(cell.Cell), cell.TileWidth), TilesAlong(RectHeight(cell.Cell), cell.TileHeight)};
  if (grid.Columns == 0 || grid.Rows == 0) grid = {};
  return grid;
}

void TileAt(const TTileCell& cell, float tw, float th, std::int64_t column, std::int64_t row, TRect& tile,
            TRect& texture) {
  tile.left = cell.Cell.left + static_cast<float>(column) * cell.TileWidth;
  tile.top = cell.Cell.top + static_cast<float>(row) * cell.TileHeight;
  tile.right = cell.Cell.left + static_cast<float>(column + 1) * cell.TileWidth;
  tile.bottom = cell.Cell.top + static_cast<float>(row + 1) * cell.TileHeight;
  texture = cell.Texture;
  if (tile.right > cell.Cell.right) {
    const float overshoot = tile.right - cell.Cell.right;
    tile.right -= overshoot;
    texture.right -= std::abs(overshoot / tw);
  }
  if (tile.bottom > cell.Cell.bottom) {
    const float overshoot = tile.bottom - cell.Cell.bottom;
    tile.bottom -= overshoot;
    texture.bottom -= std::abs(overshoot / th);
  }
}

std::array<TTileCell, 5> MarginTileCells(const TPixmapSlices& s, const TRect& m) {
  const float middleWidth = s.TextureWidth - m.left - m.right;
  const float middleHeight = s.TextureHeight - m.top - m.bottom;
  return {{
      {s.Cell(1, 0), middleWidth, m.top, s.TextureCell(1, 0)},
      {s.Cell(1, 2), middleWidth, m.bottom, s.TextureCell(1, 2)},
      {s.Cell(0, 1), m.left, middleHeight, s.TextureCell(0, 1)},
      {s.Cell(2, 1), m.right, middleHeight, s.TextureCell(2, 1)},
      {s.Cell(1, 1), middleWidth, middleHeight, s.TextureCell(1, 1)},
  }};
}

std::int64_t MarginTileQuadCount(const TPixmapSlices& slices, const TRect& margins) {
  std::int64_t count = 4;
  for (const TTileCell& cell : MarginTileCells(slices, margins)) count += TileGrid(cell).Count();
  return count;
}

}  // namespace corvane
