// The bound every host puts on the window size it is asked for.
#include "platform/window.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/support/capture_log.h"

namespace corvane {
namespace {

TEST(WindowSize, BoundedByTheHostsLimitWithTheRefusalLogged) {
  struct TCase {
    std::int32_t width, height;
    TWindowLimit limit;
    std::int32_t boundWidth, boundHeight;
    std::vector<std::string> log;
  };
  const TCase cases[] = {
      {800, 600, {1280, 1024}, 800, 600, {}},
      {1280, 1024, {1280, 1024}, 1280, 1024, {}},
      {40000, 600, {1280, 1024}, 1280, 600, {"(e) Window size 40000x600 refused: 1280x600 used"}},
      {INT_MAX, INT_MAX, {1280, 1024}, 1280, 1024, {"(e) Window size 2147483647x2147483647 refused: 1280x1024 used"}},
      // A side below one pixel is one pixel; a limit of 0 bounds nothing.
      {0, -5, {1280, 1024}, 1, 1, {}},
      {INT_MAX, 300, {0, 0}, INT_MAX, 300, {}},
      {5000, 5000, {0, 768}, 5000, 768, {"(e) Window size 5000x5000 refused: 5000x768 used"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    test::TCaptureLog log;
    std::int32_t width = c.width, height = c.height;
    BoundWindowSize(width, height, c.limit);
    EXPECT_EQ(width, c.boundWidth);
    EXPECT_EQ(height, c.boundHeight);
    EXPECT_EQ(log.Lines(), c.log);
  }
}

}  // namespace
}  // namespace corvane
