// For tests of the files an applet keeps beside it: a resource manager over
// a fresh temporary folder whose streams are plain file streams (so the
// create mode is the real one: written beside, renamed on a clean close),
// the ciphered form decoded by hand, and a way to make file writes fail.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/streams/file_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/file_date.h"
#include "tests/support/file_bytes.h"

namespace corvane::test {

class TTempFolderResMan final : public TResourceMan {
 public:
  explicit TTempFolderResMan(const TCreateContext& context)
      : TResourceMan(context, MakeTempFolder("corvane-files-")) {
    SetActive(true);
  }
  ~TTempFolderResMan() override {
    std::error_code ignored;
    std::filesystem::remove_all(ResourceFile(), ignored);
  }

  std::unique_ptr<TStream> CreateStream(const std::string& name, std::uint16_t mode) override {
    return TFileStream::Open(PathOf(name), mode);
  }
  bool StreamExists(const std::string& name) override { return std::filesystem::exists(PathOf(name)); }
  std::int32_t FileDate(const std::string&) override { return kNoFileDate; }

  std::string PathOf(const std::string& name) const { return ResourceFile() + name; }
  // The file's bytes; nothing when it does not exist.
  std::optional<std::string> Bytes(const std::string& name) const { return ReadFileBytes(PathOf(name)); }
  void Put(const std::string& name, const std::string& bytes) const { WriteFileBytes(PathOf(name), bytes); }
  // Every file name in the folder, sorted.
  std::string Listing() const {
    std::string names;
    std::vector<std::string> all;
    for (const auto& entry : std::filesystem::directory_iterator(ResourceFile()))
      all.push_back(entry.path().filename().string());
    std::sort(all.begin(), all.end());
    for (const auto& n : all) names += n + ";";
    return names;
  }
};

// UTF-16 little-endian with every unit XOR key, by hand: the ciphered form
// of the applet's lists with the default key, plain UTF-16 with 0.
inline std::string Cipher(const std::u16string& text, std::uint16_t key = 0x6E51) {
  std::string bytes;
  for (char16_t unit : text) {
    const auto v = static_cast<std::uint16_t>(unit ^ key);
    bytes.push_back(static_cast<char>(v & 0xFF));
    bytes.push_back(static_cast<char>(v >> 8));
  }
  return bytes;
}

inline std::u16string Decipher(const std::string& bytes, std::uint16_t key = 0x6E51) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto v = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[i]) |
                                              (static_cast<unsigned char>(bytes[i + 1]) << 8));
    text.push_back(static_cast<char16_t>(v ^ key));
  }
  return text;
}

// The lines of a text in which every line ends with CR LF (else the test fails).
inline std::vector<std::u16string> CrLfLines(const std::u16string& text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "a last line without CR LF";
  return lines;
}

// While it lives, no file of this process may grow beyond maxBytes: writes
// past that fail (EFBIG) instead of raising SIGXFSZ.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t maxBytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limit = previous_;
    limit.rlim_cur = maxBytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  void (*previousHandler_)(int) = nullptr;
};

}  // namespace corvane::test
