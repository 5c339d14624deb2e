// The geometry of a pixmap drawn with margins: the cut lines of the nine
// cells in the rectangle and in the texture, and the tiling of a cell with
// repeated pieces of the texture. Sizes "in texture pixels" are the
// pixmap's size times the texture matrix's scale.
#pragma once

#include <array>
#include <cstdint>

#include "base/geometry/geometry.h"

namespace corvane {

struct TPixmapSlices {
  // Cut lines: x and y in the rectangle, u and v in the texture, from the
  // left (top) edge through the two margins to the right (bottom) edge.
  std::array<float, 4> X{}, Y{}, U{}, V{};
  // The pixmap's size in texture pixels.
  float TextureWidth = 0, TextureHeight = 0;

  // Cell (column, row), 0 .. 2 each, in the rectangle and in the texture.
  TRect Cell(int column, int row) const { return {X[column], Y[row], X[column + 1], Y[row + 1]}; }
  TRect TextureCell(int column, int row) const { return {U[column], V[row], U[column + 1], V[row + 1]}; }
};

// The cut lines of rect and margins on a texture of tw x th texture pixels
// (neither may be 0).
TPixmapSlices PixmapSlices(const TRect& rect, const TRect& margins, float tw, float th);

// A cell filled with tiles of TileWidth x TileHeight pixels, each showing
// the texture cell Texture.
struct TTileCell {
  TRect Cell;
  float TileWidth = 0, TileHeight = 0;
  TRect Texture;
};

// Columns and rows of tiles over a cell: as many as it takes to cover it,
// the last cut back. A cell without extent, or with a tile size not above
// 0, has none.
struct TTileGrid {
  std::int64_t Columns = 0, Rows = 0;
  std::int64_t Count() const { return Columns * Rows; }
};
TTileGrid TileGrid(const TTileCell& cell);

// Tile (column, row) of the grid with its texture rectangle: a tile that
// passes the cell's right (bottom) edge is cut back by the overshoot, and
// its texture end by the overshoot in texture units.
void TileAt(const TTileCell& cell, float tw, float th, std::int64_t column, std::int64_t row, TRect& tile,
            TRect& texture);

// The five tiled cells of a margin tiling, in drawing order: the top and
// bottom edges, the left and right edges, the centre.
std::array<TTileCell, 5> MarginTileCells(const TPixmapSlices& slices, const TRect& margins);

// The quads of a margin tiling: the four corners and every tile.
std::int64_t MarginTileQuadCount(const TPixmapSlices& slices, const TRect& margins);

}  // namespace corvane
