#include "base/system/folder_walk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "base/system/failure_text.h"

namespace corvane {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY;

int OpenRetrying(int at, const char* name, int flags) {
  int fd;
  do {
    fd = ::openat(at, name, flags);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

TFolderFd Fail(TWalkError* error, std::string reason, bool link = false, bool readOnly = false) {
  if (error) *error = {std::move(reason), link, readOnly};
  return TFolderFd();
}


}  // namespace

TFolderFd::~TFolderFd() {
  if (fd_ >= 0) ::close(fd_);
}

TFolderFd& TFolderFd::operator=(TFolderFd&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

TFolderFd OpenFolderBelow(const std::string& root, std::string_view folders, bool make, TWalkError* error) {
  TFolderFd folder(OpenRetrying(AT_FDCWD, root.empty() ? "." : root.c_str(), kFolderFlags));
  if (!folder) return Fail(error, SystemErrorText(errno));
  std::size_t start = 0;
  while (start < folders.size()) {
    const std::size_t slash = folders.find('/', start);
    const std::size_t end = slash == std::string_view::npos ? folders.size() : slash;
    const std::string part(folders.substr(start, end - start));
    start = end + 1;
    if (part.empty()) continue;
    if (part == "." || part == "..") return Fail(error, "invalid file name");
    int fd = OpenRetrying(folder.Get(), part.c_str(), kFolderFlags | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT && make) {
      if (!MayWriteInto(folder.Get()))
        return Fail(error, "its folder cannot be made: the folder above is read-only", false, true);
      if (::mkdirat(folder.Get(), part.c_str(), 0777) != 0 && errno != EEXIST) {
        const int err = errno;
        return Fail(error, "its folder cannot be made: " + SystemErrorText(err), false,
                    DeniedWriting(err));
      }
      fd = OpenRetrying(folder.Get(), part.c_str(), kFolderFlags | O_NOFOLLOW);
    }
    if (fd < 0) {
      const int err = errno;
      struct stat info {};
      // O_DIRECTORY with O_NOFOLLOW says "not a directory" for a link.
      if (::fstatat(folder.Get(), part.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode))
        return Fail(error, "a folder of it is a symbolic link, which is not written through", true);
      return Fail(error, SystemErrorText(err));
    }
    folder = TFolderFd(fd);
  }
  return folder;
}

bool DeniedWriting(int err) { return err == EACCES || err == EPERM || err == EROFS; }

bool MayWriteInto(int folder) {
  // Root may write anywhere, so a folder without a single write bit counts
  // as read-only whoever asks, as a file does.
  struct stat info {};
  return ::fstat(folder, &info) == 0 && (info.st_mode & 0222) != 0;
}

std::string_view FolderPartOf(std::string_view below) {
  const std::size_t slash = below.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : below.substr(0, slash + 1);
}

std::string_view LastPartOf(std::string_view below) {
  const std::size_t slash = below.rfind('/');
  return slash == std::string_view::npos ? below : below.substr(slash + 1);
}

}  // namespace corvane
