#include "platform/filters/model_filters.h"

#include "platform/filters/filter.h"
#include "platform/filters/mesh_3ds_filter.h"
#include "platform/filters/mesh_md3_filter.h"

namespace corvane {

void RegisterModelFilters() {
  RegisterFilter(FilterClassOf<TMesh3DSFilter>());
  RegisterFilter(FilterClassOf<TMeshMD3Filter>());
}

}  // namespace corvane
