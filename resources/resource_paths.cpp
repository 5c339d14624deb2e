#include "resources/resource_paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <set>
#include <utility>

#include "base/lists/string_list.h"
#include "base/streams/file_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/file_date.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "resources/container/container_format.h"  // MatchesMask, shared with container listings

namespace corvane {

namespace {

bool StatPath(const std::string& path, struct stat& info) { return stat(path.c_str(), &info) == 0; }

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return StatPath(path, info) && S_ISDIR(info.st_mode);
}

// "" stands for the current folder.
std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  if (folder.back() == '/') return folder + name;
  return folder + '/' + name;
}

std::vector<std::string> SplitComponents(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = path.find('/', start);
    const std::size_t end = slash == std::string_view::npos ? path.size() : slash;
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    if (slash == std::string_view::npos) break;
    start = slash + 1;
  }
  return parts;
}

// The entry of folder that matches name without case, "" when none.
std::string MatchWithoutCase(const std::string& folder, const std::string& name) {
  const std::string wanted = AsciiUpperCase(name);
  for (const TDirEntry& entry : ListDirectory(folder.empty() ? "." : folder)) {
    if (AsciiUpperCase(entry.Name) == wanted) return entry.Name;  // sorted: the first match
  }
  return {};
}

bool MasksMatch(const std::string& name, std::string masks, int& count) {
  count = 0;
  while (!masks.empty()) {
    const std::string mask = TResourceMan::GetMask(masks);
    if (MatchesMask(name, mask)) ++count;
  }
  return count > 0;
}

struct TFolderId {
  std::uint64_t Device;
  std::uint64_t Inode;
  bool operator<(const TFolderId& other) const {
    return Device != other.Device ? Device < other.Device : Inode < other.Inode;
  }
};

// One listing walk. Each real folder (device and inode) is entered once, under
// the first name that reaches it: a link back up would loop, and folders
// holding several links to the next would be walked once per path through
// them, twice as often at every level.
class TTreeWalk {
 public:
  TTreeWalk(const std::string& masks, TStrings& out, bool folders) : masks_(masks), out_(out), folders_(folders) {}

  void Run(const std::string& physicalDir, const std::string& prefix) {
    struct stat info {};
    if (!StatPath(physicalDir.empty() ? "." : physicalDir, info)) return;
    visited_.insert({static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)});
    Walk(physicalDir, prefix);
  }

 private:
  void Walk(const std::string& physicalDir, const std::string& prefix) {
    for (const TDirEntry& entry : ListDirectory(physicalDir.empty() ? "." : physicalDir)) {
      if (!entry.IsDir) {
        int matches = 0;
        if (!folders_ && MasksMatch(entry.Name, masks_, matches))
          for (int i = 0; i < matches; ++i) out_.Add(prefix + entry.Name);
        continue;
      }
      if (!visited_.insert({entry.Device, entry.Inode}).second) continue;
      if (folders_) out_.Add(prefix + entry.Name);
      Walk(Join(physicalDir, entry.Name), prefix + entry.Name + '/');
    }
  }

  const std::string& masks_;
  TStrings& out_;
  bool folders_;
  std::set<TFolderId> visited_;
};

}  // namespace

std::string CorrectPath(std::string_view path) {
  std::string result(path);
  std::replace(result.begin(), result.end(), '\\', '/');
  return result;
}

std::string ExtractFilePath(std::string_view path) {
  const std::size_t at = path.find_last_of("/\\");
  return at == std::string_view::npos ? std::string() : std::string(path.substr(0, at + 1));
}

bool DirectoryExists(std::string_view path) {
  if (!path.empty() && path.back() == '/') path.remove_suffix(1);
  const std::string dir(path);
  if (!dir.empty() && IsDirectory(dir)) return true;
  EngineLog(u"directory no exists " + Utf8ToUtf16(dir));
  return false;
}

bool FolderPartExists(std::string_view dir) {
  if (dir.empty()) return true;
  return DirectoryExists(ResolvePath(dir));
}

std::string ResolvePath(std::string_view path) {
  const std::string given(path);
  struct stat info {};
  if (given.empty() || StatPath(given, info)) return given;
  const bool absolute = given.front() == '/';
  const bool trailing = given.back() == '/';
  const std::vector<std::string> parts = SplitComponents(given);
  std::string resolved = absolute ? "/" : "";
  bool matching = true;
  for (const std::string& part : parts) {
    std::string next = Join(resolved, part);
    if (matching && part != "." && part != ".." && !StatPath(next, info)) {
      const std::string found = MatchWithoutCase(resolved, part);
      if (found.empty()) matching = false;  // the rest cannot exist: keep it as spelled
      else next = Join(resolved, found);
    }
    resolved = std::move(next);
  }
  if (trailing && (resolved.empty() || resolved.back() != '/')) resolved += '/';
  return resolved;
}

bool FileExists(std::string_view path) {
  struct stat info {};
  return !path.empty() && StatPath(std::string(path), info) && S_ISREG(info.st_mode);
}

std::int32_t FileAge(std::string_view path) {
  struct stat info {};
  if (path.empty() || !StatPath(std::string(path), info) || S_ISDIR(info.st_mode)) return kNoFileDate;
  return UnixTimeToFileDate(info.st_mtime);
}

std::optional<TFileStamp> FileStampAt(std::string_view path) {
  struct stat info {};
  if (path.empty() || !StatPath(std::string(path), info) || !S_ISREG(info.st_mode)) return std::nullopt;
  return TFileStamp{static_cast<std::int64_t>(info.st_size),
                    static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

bool ForceDirectories(std::string_view path) {
  std::string dir(path);
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  if (dir.empty() || IsDirectory(dir)) return true;
  const std::size_t slash = dir.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !ForceDirectories(dir.substr(0, slash))) return false;
  if (mkdir(dir.c_str(), 0777) == 0) return true;
  return errno == EEXIST && IsDirectory(dir);
}

bool ListingOrderLess(std::string_view a, std::string_view b) {
  const std::string upperA = AsciiUpperCase(a);
  const std::string upperB = AsciiUpperCase(b);
  if (upperA != upperB) return upperA < upperB;
  return a < b;
}

std::vector<TDirEntry> ListDirectory(std::string_view dir) {
  std::vector<TDirEntry> entries;
  const std::string folder(dir);
  DIR* handle = opendir(folder.c_str());
  if (!handle) return entries;
  while (const dirent* item = readdir(handle)) {
    const std::string name = item->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    if (!StatPath(Join(folder, name), info)) continue;  // a broken link names nothing
    entries.push_back({name, S_ISDIR(info.st_mode), static_cast<std::uint64_t>(info.st_dev),
                       static_cast<std::uint64_t>(info.st_ino)});
  }
  closedir(handle);
  std::sort(entries.begin(), entries.end(),
            [](const TDirEntry& a, const TDirEntry& b) { return ListingOrderLess(a.Name, b.Name); });
  return entries;
}

std::unique_ptr<TStream> OpenResourceFile(const std::string& name, const std::string& path, std::uint16_t mode) {
  const auto refuse = [&](const std::string& why) -> std::unique_ptr<TStream> {
    EngineError(Utf8ToUtf16((mode == fmCreate ? "Can't create " : "Can't open ") + name + ": " + why));
    return nullptr;
  };
  struct stat info {};
  const bool there = !path.empty() && lstat(path.c_str(), &info) == 0;
  std::string reason;
  if (mode != fmCreate) {
    if (!there) return nullptr;
    // Read-write opens (mode 2) write as well.
    const bool writes = (mode & 3) != 0;
    if (writes && S_ISLNK(info.st_mode)) return refuse("it is a symbolic link, which is not written through");
    if (writes && IsFileReadOnly(path)) return nullptr;
    std::unique_ptr<TStream> stream =
        TFileStream::Open(path, static_cast<std::uint16_t>(mode | fmShareDenyWrite), &reason);
    return stream ? std::move(stream) : refuse(reason);
  }
  // A read-only file, or a folder this process may not write into, gives
  // no stream, quietly as ever. A link is replaced, so only its folder
  // counts.
  const std::string dir = ExtractFilePath(path);
  if (IsFileReadOnly(there && S_ISLNK(info.st_mode) ? (dir.empty() ? std::string(".") : dir) : path)) return nullptr;
  if (!dir.empty() && !ForceDirectories(dir)) return refuse("its folder cannot be made");
  std::unique_ptr<TStream> stream = TFileStream::Open(path, fmCreate, &reason);
  return stream ? std::move(stream) : refuse(reason);
}

bool WritesInside(const std::string& root, const std::string& path) {
  const auto real = [](const std::string& folder) {
    char* resolved = realpath(folder.empty() ? "." : folder.c_str(), nullptr);
    std::string result = resolved ? resolved : "";
    std::free(resolved);
    return result;
  };
  const std::string top = real(root);
  std::string dir = ExtractFilePath(path);
  struct stat info {};
  while (!dir.empty() && stat(dir.c_str(), &info) != 0) {
    dir.pop_back();  // the "/" that ends it
    dir = ExtractFilePath(dir);
  }
  const std::string deepest = real(dir);
  if (top.empty() || deepest.empty()) return false;
  return deepest == top || deepest.starts_with(top == "/" ? top : top + "/");
}

void ListFilesBelow(const std::string& physicalDir, const std::string& prefix, const std::string& masks,
                    TStrings& out) {
  TTreeWalk(masks, out, false).Run(physicalDir, prefix);
}

void ListDirsBelow(const std::string& physicalDir, const std::string& prefix, TStrings& out) {
  TTreeWalk(std::string(), out, true).Run(physicalDir, prefix);
}

}  // namespace corvane
