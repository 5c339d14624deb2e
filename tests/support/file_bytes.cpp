#include "tests/support/file_bytes.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace corvane::test {

std::string MakeTempFolder(const std::string& prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
  return mkdtemp(pattern.data()) ? pattern + "/" : std::string();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::optional<std::string> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace corvane::test
