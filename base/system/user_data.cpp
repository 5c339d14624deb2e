#include "base/system/user_data.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "base/system/failure_text.h"

namespace corvane {

namespace {

std::string Why(const std::string& what) { return what + ": " + SystemErrorText(errno); }

// Every missing folder of the path made 0700; the last must be a folder of
// the user's.
bool MakePrivateFolder(const std::string& folder, std::string& reason) {
  for (std::size_t at = folder.find('/', 1); at != std::string::npos; at = folder.find('/', at + 1)) {
    const std::string part = folder.substr(0, at);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      reason = Why("can't make " + part);
      return false;
    }
  }
  struct stat info;
  if (::lstat(folder.c_str(), &info) != 0) {
    reason = Why("can't read " + folder);
    return false;
  }
  if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) {
    reason = folder + " is not a folder of this user";
    return false;
  }
  return true;
}

// The secret in the file when it is a private regular 32-byte file of the
// user's; false otherwise (missing: errno ENOENT).
bool ReadSecret(const std::string& path, TUserSecret& secret) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            (info.st_mode & 077) == 0 && info.st_size == static_cast<off_t>(secret.size());
  if (ok) ok = ::read(fd, secret.data(), secret.size()) == static_cast<ssize_t>(secret.size());
  ::close(fd);
  if (!ok) errno = EINVAL;
  return ok;
}

bool RandomBytes(TUserSecret& secret) {
  std::size_t done = 0;
  while (done < secret.size()) {
    const ssize_t got = ::getrandom(secret.data() + done, secret.size() - done, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

// A new secret written beside the file, then linked in where none is, or
// renamed over one that does not hold up. False with errno EEXIST when
// another process put one there first.
bool WriteSecret(const std::string& path, bool replace, TUserSecret& secret, std::string& reason) {
  if (!RandomBytes(secret)) {
    reason = Why("no random bytes");
    return false;
  }
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // 0600
  if (fd < 0) {
    reason = Why("can't make " + temporary);
    return false;
  }
  const bool written = ::write(fd, secret.data(), secret.size()) == static_cast<ssize_t>(secret.size()) &&
                       ::fsync(fd) == 0;
  ::close(fd);
  bool placed = false;
  if (!written)
    reason = Why("can't write " + temporary);
  else if (replace)
    placed = ::rename(temporary.c_str(), path.c_str()) == 0;
  else
    placed = ::link(temporary.c_str(), path.c_str()) == 0;
  const int placing = errno;
  if (written && !placed && placing != EEXIST) reason = Why("can't store " + path);
  ::unlink(temporary.c_str());
  errno = placing;
  return placed;
}

}  // namespace

std::string UserDataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && data[0] == '/') return std::string(data) + (std::string(data).back() == '/' ? "" : "/") + "corvane/";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + (std::string(home).back() == '/' ? "" : "/") + ".local/share/corvane/";
  return {};
}

bool UserSecret(const std::string& name, TUserSecret& secret, std::string& reason) {
  const std::string folder = UserDataFolder();
  if (folder.empty()) {
    reason = "no HOME or XDG_DATA_HOME";
    return false;
  }
  if (!MakePrivateFolder(folder, reason)) return false;
  const std::string path = folder + name;
  // A second round reads the file another process linked in first.
  for (int round = 0; round < 3; ++round) {
    if (ReadSecret(path, secret)) return true;
    const bool missing = errno == ENOENT;
    if (WriteSecret(path, !missing, secret, reason)) return true;
    if (errno != EEXIST) return false;
  }
  reason = "can't read " + path;
  return false;
}

}  // namespace corvane
