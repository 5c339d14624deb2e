// A folder of a test's own that the real program runs in, its files put
// there as a user or a tool writes them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/base/temp_dir.h"
#include "tests/support/program_run.h"

namespace corvane::test {

class TProgramFolderTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return folder_ / name; }
  // Writes the file, making the folders above it.
  void Put(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(PathOf(name)).parent_path());
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
  }
  // How often the part stands in the text (a log line repeated, say).
  static int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++count;
    return count;
  }

  // The program run in the folder with those arguments, headless: no
  // display, offscreen video, its sound written to a file. With `until`,
  // it is asked to end once its output holds that text.
  TProgramRun RunHeadless(const std::vector<std::string>& arguments, const std::string& until = {}) const {
    return RunProgram({.program = CORVANE_PROGRAM,
                       .arguments = arguments,
                       .environment = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=disk", "DISPLAY", "WAYLAND_DISPLAY"},
                       .folder = folder_.Path(),
                       .until = until});
  }

  // RunHeadless for a run whose peak memory is measured: AddressSanitizer
  // keeps what was freed resident for a while (its quarantine), kept small
  // here so that the peak shows what the program holds rather than what it
  // freed. moreAsanOptions go after ours (":name=value...").
  TProgramRun RunMeasured(const std::vector<std::string>& arguments, const std::string& moreAsanOptions = {}) const {
    return RunProgram({.program = CORVANE_PROGRAM,
                       .arguments = arguments,
                       .environment = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=disk", "DISPLAY", "WAYLAND_DISPLAY",
                                       "ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0:quarantine_size_mb=1" +
                                           moreAsanOptions},
                       .folder = folder_.Path()});
  }

  TTempDir folder_;
};

}  // namespace corvane::test
