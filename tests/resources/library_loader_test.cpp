#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/system/file_utils.h"
#include "resources/library_loader.h"
#include "tests/support/capture_log.h"
#include "tests/support/kit/test_world.h"

namespace corvane::test {
namespace {

// Built with the tests as libcorvane_loader_test.so in the executable's folder.
constexpr const char* kLibrary = "corvane_loader_test";
using TAnswer = int (*)();

TEST(LibraryLoader, LoadsALibraryBesideTheExecutable) {
  TTestWorld world;
  EXPECT_EQ(LibraryFileName(kLibrary), ExePath() + "libcorvane_loader_test.so");
  const TLibHandle lib = LoadLib(kLibrary);
  ASSERT_NE(lib, 0u) << world.log.Text();
  auto answer = reinterpret_cast<TAnswer>(LoadProc(lib, "corvane_loader_test_answer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(LoadProc(lib, "no_such_symbol"), nullptr);

  // Each load is its own value; freeing one leaves the other usable.
  const TLibHandle again = LoadLib(kLibrary);
  ASSERT_NE(again, 0u);
  EXPECT_NE(again, lib);
  FreeLib(lib);
  answer = reinterpret_cast<TAnswer>(LoadProc(again, "corvane_loader_test_answer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  FreeLib(again);
}

TEST(LibraryLoader, AMissingLibraryLogsItsThreeLinesAndGivesZero) {
  TTestWorld world;
  world.log.Clear();
  const std::string path = ExePath() + "libnosuchlib.so";
  EXPECT_EQ(LoadLib("nosuchlib"), 0u);
  EXPECT_EQ(world.log.Lines(), (std::vector<std::string>{"(i) Try to load library nosuchlib",
                                                         "(i) Shared library " + path + " not exists",
                                                         "(i) Library " + path + " loading failed."}));
  EXPECT_EQ(LoadProc(0, "x"), nullptr);
  FreeLib(0);
}

TEST(LibraryLoader, SaysNothingWithoutAnEngine) {
  TCaptureLog log;
  EXPECT_EQ(LoadLib("nosuchlib"), 0u);
  const TLibHandle lib = LoadLib(kLibrary);
  EXPECT_NE(lib, 0u);
  FreeLib(lib);
  EXPECT_TRUE(log.Lines().empty()) << log.Text();
}

}  // namespace
}  // namespace corvane::test
