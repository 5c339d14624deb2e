#include "resources/resource_paths.h"

#include <dirent.h>
#include <unistd.h>
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
#include "base/system/failure_text.h"
#include "base/system/file_utils.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "resources/contained_name.h"
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

// The parts as they exist below base ("" the current folder): each part
// that does not exist as spelled is matched without case, and the parts
// from the first that matches nothing on are kept as spelled. Joined with
// "/", relative to base.
std::string MatchBelow(const std::string& base, const std::vector<std::string>& parts) {
  std::string resolved = base;
  std::string below;
  bool matching = true;
  struct stat info {};
  for (const std::string& part : parts) {
    std::string found = part;
    if (matching && part != "." && part != ".." && !StatPath(Join(resolved, part), info)) {
      found = MatchWithoutCase(resolved, part);
      if (found.empty()) {
        matching = false;  // the rest cannot exist: keep it as spelled
        found = part;
      }
    }
    resolved = Join(resolved, found);
    below = Join(below, found);
  }
  return below;
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
  std::string resolved = MatchBelow(absolute ? "/" : "", SplitComponents(given));
  if (absolute) resolved.insert(0, "/");
  if (given.back() == '/' && (resolved.empty() || resolved.back() != '/')) resolved += '/';
  return resolved;
}

std::string ResolveBelow(const std::string& root, std::string_view below) {
  std::string resolved(below);
  struct stat info {};
  if (resolved.empty() || StatPath(root + resolved, info)) return resolved;
  const bool trailing = resolved.back() == '/';
  resolved = MatchBelow(root, SplitComponents(below));
  if (trailing && (resolved.empty() || resolved.back() != '/')) resolved += '/';
  return resolved;
}

bool FileExists(std::string_view path) {
  struct stat info {};
  return !path.empty() && StatPath(std::string(path), info) && S_ISREG(info.st_mode);
}

std::string NoFileAt(const std::string& path) {
  struct stat info {};
  if (path.empty() || !StatPath(path, info))
    return path.empty() || errno == ENOENT || errno == ENOTDIR ? "there is no such file"
                                                                 : SystemErrorText(errno);
  if (S_ISDIR(info.st_mode)) return "is a directory";
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  return {};
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

std::unique_ptr<TStream> OpenResourceFile(const std::string& name, const std::string& root, const std::string& below,
                                          std::uint16_t mode, bool quietWhenReadOnly) {
  const std::string path = root + below;
  const auto refuse = [&](const std::string& why) -> std::unique_ptr<TStream> {
    EngineError(Utf8ToUtf16((mode == fmCreate ? "Can't create " : "Can't open ") + name + ": " + why));
    return nullptr;
  };
  // A name that names no file says so, rather than what the folder it
  // names turns out to be.
  if (name.empty()) {
    EngineError(mode == fmCreate ? u"Can't create a file: the name is empty" : u"Can't open a file: the name is empty");
    return nullptr;
  }
  struct stat info {};
  std::string reason;
  // Read-write opens (mode 2) write as well.
  const bool writes = mode == fmCreate || (mode & 3) != 0;
  if (writes && (below.empty() || below.back() == '/')) return refuse("it names a folder, not a file");
  if (!writes) {
    if (path.empty() || lstat(path.c_str(), &info) != 0) return nullptr;
    std::unique_ptr<TStream> stream =
        TFileStream::Open(path, static_cast<std::uint16_t>(mode | fmShareDenyWrite), &reason);
    return stream ? std::move(stream) : refuse(reason);
  }
  // Writing into a file asks for one that is there.
  if (mode != fmCreate && (path.empty() || lstat(path.c_str(), &info) != 0)) return refuse("there is no such file");
  TWalkError error;
  const std::uint16_t streamMode = mode == fmCreate ? mode : static_cast<std::uint16_t>(mode | fmShareDenyWrite);
  std::unique_ptr<TStream> stream = TFileStream::OpenBelow(root, below, streamMode, &error, true);
  if (stream) return stream;
  if (error.ThroughLink) {
    EngineError(u"Refused " + Utf8ToUtf16(name) + u": it leads outside the applet's folder through a link");
    return nullptr;
  }
  if (error.ReadOnly && quietWhenReadOnly) return nullptr;
  return refuse(error.Reason);
}

std::optional<std::string> PathInsideRoot(const std::string& root, const std::string& path) {
  // Compared as full paths without "." and ".." parts: the root as given
  // and as it really is (links in it followed), the path as written.
  const auto full = [](const std::string& name) -> std::optional<std::string> {
    std::string absolute = name;
    if (absolute.empty() || absolute.front() != '/') {
      char* current = getcwd(nullptr, 0);
      if (!current) return std::nullopt;
      absolute = std::string(current) + "/" + absolute;
      std::free(current);
    }
    std::optional<std::string> parts = ContainedName(CorrectPath(absolute).substr(1));
    if (!parts) return std::nullopt;
    return "/" + *parts;
  };
  const std::optional<std::string> file = full(path);
  if (!file) return std::nullopt;
  std::vector<std::string> roots;
  if (const std::optional<std::string> given = full(root)) roots.push_back(*given);
  if (char* real = realpath(root.empty() ? "." : root.c_str(), nullptr)) {
    roots.emplace_back(real);
    std::free(real);
  }
  for (std::string top : roots) {
    if (top.empty() || top.back() != '/') top += '/';
    if (file->starts_with(top)) return file->substr(top.size());
  }
  return std::nullopt;
}

void ListFilesBelow(const std::string& physicalDir, const std::string& prefix, const std::string& masks,
                    TStrings& out) {
  TTreeWalk(masks, out, false).Run(physicalDir, prefix);
}

void ListDirsBelow(const std::string& physicalDir, const std::string& prefix, TStrings& out) {
  TTreeWalk(std::string(), out, true).Run(physicalDir, prefix);
}

}  // namespace corvane
