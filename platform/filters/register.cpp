#include "platform/filters/register.h"

#include "platform/filters/filter.h"
#include "platform/filters/mesh_binary_filter.h"
#include "platform/filters/model_filters.h"
#include "platform/filters/pixmap_binary_filter.h"
#include "platform/filters/png_filter.h"

namespace corvane {

void RegisterFilterClasses() {
  FilterClass = TFilter::StaticClass();
  // The order is the look-up order: the first filter that takes a name
  // reads it.
  RegisterFilter(FilterClassOf<TPixmapBinaryFilter>());
  RegisterPngFilter();
  RegisterFilter(FilterClassOf<TMeshBinaryFilter>());
  RegisterModelFilters();  // ".3ds", then ".md3"
}

}  // namespace corvane
