#include "scene/grid.h"

#include <cmath>

#include "base/geometry/point_rect_persistent.h"
#include "base/reflection/class_builder.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "platform/device.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(Grid)

void Grid::Describe(TClassBuilder<Grid>& c) {
  c.Property("width", &Grid::Width, &Grid::SetWidth);
  c.Property("height", &Grid::Height, &Grid::SetHeight);
  c.Property("min", &Grid::Min, &Grid::SetMin);
  c.Property("max", &Grid::Max, &Grid::SetMax);
  c.Property("origin", &Grid::Origin, &Grid::SetOrigin);
  c.Property("step", &Grid::Step, &Grid::SetStep);
}

namespace {

TPointPersistent* MakePoint(BaseObject* self, float x, float y) {
  auto* point = Create<TPointPersistent>(TCreateContext(AppletObjectOf(self)));
  point->SetPoint({x, y});
  return point;
}

// A grid of more lines than this is not drawn: far beyond any screen, and
// a hostile step must not make the point array unbounded.
constexpr int kMaxLines = 10000;

}  // namespace

Grid::Grid(const TCreateContext& context)
    : PositionObject(context),
      min_(MakePoint(this, -10, -10)),
      max_(MakePoint(this, 10, 10)),
      origin_(MakePoint(this, 0, 0)),
      step_(MakePoint(this, 1, 1)) {
  SetZTest(true);
}

Grid::~Grid() {
  FreeAndNil(min_);
  FreeAndNil(max_);
  FreeAndNil(origin_);
  FreeAndNil(step_);
}

void Grid::SetMin(TPointPersistent* value) {
  if (value) min_->Assign(value);
}
void Grid::SetMax(TPointPersistent* value) {
  if (value) max_->Assign(value);
}
void Grid::SetOrigin(TPointPersistent* value) {
  if (value) origin_->Assign(value);
}
void Grid::SetStep(TPointPersistent* value) {
  if (value) step_->Assign(value);
}

int Grid::LineCount(float min, float max, float step) {
  if (!(step > 0)) return 0;
  const double count = std::floor((static_cast<double>(max) - min) / step + 1e-4) + 1;
  if (!(count >= 1) || count > kMaxLines) return 0;
  return static_cast<int>(count);
}

void Grid::Paint() {
  TDevice* device = GetApplet() ? GetApplet()->Device() : nullptr;
  if (!device) return;
  const TPoint lo = min_->GetPoint(), hi = max_->GetPoint(), o = origin_->GetPoint(), step = step_->GetPoint();
  const int columns = LineCount(lo.x, hi.x, step.x);
  const int rows = LineCount(lo.y, hi.y, step.y);
  if (columns + rows == 0) return;
  points_.clear();
  points_.reserve(static_cast<std::size_t>(columns + rows) * 2);
  for (int i = 0; i < columns; ++i) {
    const float x = lo.x + static_cast<float>(i) * step.x - o.x;
    points_.push_back({x, lo.y - o.y, 0, 1});
    points_.push_back({x, hi.y - o.y, 0, 1});
  }
  for (int i = 0; i < rows; ++i) {
    const float y = lo.y + static_cast<float>(i) * step.y - o.y;
    points_.push_back({lo.x - o.x, y, 0, 1});
    points_.push_back({hi.x - o.x, y, 0, 1});
  }
  device->DrawLine(points_.data(), static_cast<std::int32_t>(points_.size()), 0.2f);
}

}  // namespace corvane
