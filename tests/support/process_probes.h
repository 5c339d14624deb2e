// Small probes of the test process for tests that watch a library's own
// threads and files: a file's size, the number of threads, the process's
// peak resident memory (and its reset), and a bounded poll for a condition another thread
// makes true.
#pragma once

#include <sys/stat.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace corvane::test {

inline std::size_t FileSize(const std::filesystem::path& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? static_cast<std::size_t>(info.st_size) : 0;
}

// Polls `done` every millisecond for at most `limit`; whether it came true.
template <class F>
bool WaitFor(F&& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

inline std::size_t ThreadCount() {
  std::size_t n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++n;
  return n;
}

// The most memory the process has held resident so far (VmHWM), in bytes.
inline std::size_t PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return static_cast<std::size_t>(std::stoull(line.substr(6))) * 1024;
  return 0;
}

// Lowers the peak (VmHWM) to what the process holds now, so that a test
// measures the peak of its own work; false when the kernel refuses.
inline bool ResetPeakResidentBytes() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

}  // namespace corvane::test
