// Pins fontconfig to the four DejaVu Sans faces, whatever the machine has
// installed: a folder of links to them and a configuration naming only
// that folder (a configuration naming all of DejaVu matches
// DejaVuMathTeXGyre for families it does not know). Made once per process
// beside the test executable, before fontconfig first reads its
// configuration.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace corvane::test {

inline constexpr const char* kDejaVuFolder = "/usr/share/fonts/truetype/dejavu/";

inline void PinDejaVuSans() {
  static const bool pinned = [] {
    namespace fs = std::filesystem;
    const fs::path root = fs::path(CORVANE_TEST_FONTS_DIR);
    std::error_code error;
    fs::create_directories(root / "faces", error);
    fs::create_directories(root / "cache", error);
    for (const char* face : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf",
                             "DejaVuSans-BoldOblique.ttf"}) {
      if (!fs::exists(root / "faces" / face)) fs::create_symlink(std::string(kDejaVuFolder) + face, root / "faces" / face, error);
    }
    const fs::path config = root / "fonts.conf";
    const fs::path temporary = root / ("fonts.conf." + std::to_string(::getpid()));
    std::ofstream(temporary) << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n"
                             << "  <dir>" << (root / "faces").string() << "</dir>\n"
                             << "  <cachedir>" << (root / "cache").string() << "</cachedir>\n</fontconfig>\n";
    fs::rename(temporary, config, error);
    return setenv("FONTCONFIG_FILE", config.c_str(), 1) == 0;
  }();
  (void)pinned;
}

}  // namespace corvane::test
