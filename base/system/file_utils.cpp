#include "base/system/file_utils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/streams/resource_man.h"

namespace corvane {

namespace {

std::vector<std::string>& Arguments() {
  static std::vector<std::string> arguments;
  return arguments;
}

// The executable file as the kernel knows it; "" without /proc.
std::string SelfExe() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

std::size_t LastSeparator(std::string_view path) { return path.find_last_of("/\\"); }

template <class Char>
bool IsTrimmed(Char c) {
  return static_cast<std::uint32_t>(c) <= 0x20 || c == 0x7F;
}

template <class Char>
std::basic_string<Char> Trim(std::basic_string_view<Char> text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsTrimmed(text[first])) ++first;
  while (last > first && IsTrimmed(text[last - 1])) --last;
  return std::basic_string<Char>(text.substr(first, last - first));
}

template <class Char>
std::basic_string<Char> SplitToken(std::basic_string<Char>& s, std::basic_string_view<Char> separators) {
  const std::basic_string_view<Char> text(s);
  const std::size_t at = text.find_first_of(separators);
  std::basic_string<Char> token;
  std::basic_string<Char> rest;
  if (at == text.npos) {
    token = Trim(text);
  } else {
    token = Trim(text.substr(0, at));
    rest = Trim(text.substr(at + 1));
  }
  s = std::move(rest);
  return token;
}

bool CannotWrite(const std::string& path, const struct stat& info) {
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0;
}

// The folder that holds path: "/" for "/x", "." for a bare name.
std::string ParentOf(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

void SetCommandLine(int argc, char** argv) {
  std::vector<std::string>& arguments = Arguments();
  arguments.clear();
  for (int i = 0; argv && i < argc && argv[i]; ++i) arguments.emplace_back(argv[i]);
}

int ParamCount() {
  const std::size_t count = Arguments().size();
  return count > 1 ? static_cast<int>(count - 1) : 0;
}

std::string ParamStr(int i) {
  if (i == 0) return ExeName();
  const std::vector<std::string>& arguments = Arguments();
  if (i < 0 || static_cast<std::size_t>(i) >= arguments.size()) return {};
  return arguments[static_cast<std::size_t>(i)];
}

std::string ExeName() {
  const std::vector<std::string>& arguments = Arguments();
  if (!arguments.empty()) return arguments[0];
  return SelfExe();
}

std::string ExePath() {
  std::string exe = SelfExe();
  if (exe.empty()) exe = ExeName();  // no /proc: the best the command line knows
  const std::size_t slash = exe.find_last_of('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}

std::string ExeFileName() {
  const std::string exe = ExeName();
  const std::size_t separator = LastSeparator(exe);
  std::string name = separator == std::string::npos ? exe : exe.substr(separator + 1);
  constexpr std::size_t kMaxLength = 1000;
  if (name.size() > kMaxLength) {
    // Cut on a character boundary so the name stays valid UTF-8.
    std::size_t cut = kMaxLength;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return name;
}

std::string ExeNameWithoutExt() { return FileNameWithoutExt(ExeName()); }

std::string FileNameWithoutExt(std::string_view fileName) {
  const std::size_t dot = fileName.find_last_of('.');
  const std::size_t separator = LastSeparator(fileName);
  // A "." in a folder name is no extension of the file.
  if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator)) {
    return std::string(fileName);
  }
  return std::string(fileName.substr(0, dot));
}

bool BDirectoryExists(std::string_view dir) {
  if (!dir.empty() && dir.back() == '/') dir.remove_suffix(1);
  if (dir.empty()) return false;
  struct stat info {};
  return stat(std::string(dir).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFileReadOnly(std::string_view fileName) {
  std::string path(fileName);
  if (path.empty()) path = ".";
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) return CannotWrite(path, info);
  // Not there: whether a file could be made, judged by the nearest folder
  // that exists.
  while (errno == ENOENT) {
    const std::string parent = ParentOf(path);
    if (parent == path) break;
    path = parent;
    if (stat(path.c_str(), &info) == 0) return !S_ISDIR(info.st_mode) || CannotWrite(path, info);
  }
  // A file in the way of the path, a folder that cannot be searched, a name
  // too long: nothing can be written there.
  return true;
}

bool IsAgeFile1GreateFile2(TResourceMan* resMan, const std::string& file1, const std::string& file2) {
  if (!resMan || !resMan->StreamExists(file2)) return false;
  return IsFileDateLater(resMan->FileDate(file1), resMan->FileDate(file2));
}

std::string GetToken(std::string& s, std::string_view separators) { return SplitToken(s, separators); }

std::u16string GetToken(std::u16string& s, std::u16string_view separators) { return SplitToken(s, separators); }

void FillLongword(void* dest, std::int32_t count, std::uint32_t value) {
  if (!dest) return;
  auto* cell = static_cast<unsigned char*>(dest);
  for (std::int32_t i = 0; i < count; ++i, cell += sizeof value) std::memcpy(cell, &value, sizeof value);
}

}  // namespace corvane
