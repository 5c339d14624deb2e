#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/filters/filter.h"
#include "platform/filters/mesh_3ds_filter.h"
#include "platform/filters/mesh_md3_filter.h"
#include "platform/filters/model_filters.h"

namespace corvane {
namespace {

// The filter list is the process's: the look-ups run in a process of their
// own, where nothing else was registered.
TEST(ModelFilters, RegisteredInOrderAndFoundByName) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        RegisterModelFilters();
        const std::vector<TFilterClass>& list = FilterList();
        const TFilterClass* threeDS = FindMeshFilter("ship.3ds");
        const TFilterClass* md3 = FindMeshFilter("Walker.MD3");
        // Only loading: a ".3ds" or ".md3" name is never saved to.
        const bool ok = list.size() == 2 && list[0].Class == TMesh3DSFilter::StaticClass() &&
                        list[1].Class == TMeshMD3Filter::StaticClass() && threeDS == &list[0] && md3 == &list[1] &&
                        !FindMeshFilter("a.mesh") && !FindPixmapFilter("a.3ds") &&
                        list[0].Options() == TFilterOptions{foCanLoad} &&
                        list[1].Options() == TFilterOptions{foCanLoad};
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace corvane
