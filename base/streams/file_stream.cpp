#include "base/streams/file_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <limits>
#include <random>

#include "base/reflection/class_builder.h"
#include "base/system/failure_text.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"

namespace corvane {

static_assert(sizeof(off_t) == 8, "file positions need 64 bits");

CORVANE_IMPLEMENT_CLASS(TFileStream)

namespace {

// The largest count handed to one read() or write(); the kernel moves at
// most about this much per call anyway.
constexpr std::int64_t kMaxChunk = std::int64_t{1} << 30;
// Room left for the temporary's prefix and suffix within NAME_MAX.
constexpr std::size_t kMaxTempStem = 200;
constexpr int kTempAttempts = 100;

std::string Reason(int err) { return SystemErrorText(err); }

int OpenRetrying(int folder, const char* name, int flags, mode_t mode = 0) {
  int fd;
  do {
    fd = ::openat(folder, name, flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Root passes access(W_OK) for any file, so a file without a single write
// bit counts as read-only whoever asks.
bool IsWritable(int folder, const char* name, const struct stat& st) {
  return (st.st_mode & 0222) != 0 && ::faccessat(folder, name, W_OK, 0) == 0;
}

std::string RandomSuffix() {
  static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 generator{std::random_device{}()};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof(kChars) - 2);
  std::string suffix(6, ' ');
  for (char& c : suffix) c = kChars[pick(generator)];
  return suffix;
}

std::nullptr_t Refuse(TWalkError* error, std::string reason, bool readOnly = false) {
  if (error) *error = {std::move(reason), false, readOnly};
  return nullptr;
}

constexpr char kReadOnlyReason[] = "the file is read-only";

constexpr char kLinkReason[] = "it is a symbolic link, which is not written through";

// Why a file in the target's place is not written: a link or a file with
// other hard links would carry the bytes somewhere else; "" when it may be.
std::string NotWrittenThrough(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return kLinkReason;
  if (S_ISDIR(st.st_mode)) return "is a directory";
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  if (st.st_nlink > 1) return "it has other hard links, which are not written through";
  return {};
}

bool IsNameOfAFile(std::string_view name) { return !name.empty() && name != "." && name != ".."; }

}  // namespace

std::unique_ptr<TFileStream> TFileStream::Open(const std::string& path, std::uint16_t mode, std::string* error) {
  const auto refuse = [error](std::string reason) -> std::nullptr_t {
    if (error) *error = std::move(reason);
    return nullptr;
  };
  if (path.empty()) return refuse("no file name");
  if (path.find('\0') != std::string::npos) return refuse("invalid file name");
  if ((mode & 0xFF00) != 0xFF00 && (mode & 3) == fmOpenRead) {
    // Non-blocking only while opening, so that a FIFO planted in place of a
    // file cannot stall the engine before it is refused below.
    const int fd = OpenRetrying(AT_FDCWD, path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return refuse(Reason(errno));
    std::unique_ptr<TFileStream> stream(new TFileStream(path, fd));
    struct stat st {};
    if (::fstat(fd, &st) != 0) return refuse(Reason(errno));
    if (S_ISDIR(st.st_mode)) return refuse("is a directory");
    if (!S_ISREG(st.st_mode)) return refuse("not a regular file");
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return stream;
  }
  // A write goes into the folder the path names, to the name in it.
  const std::size_t slash = path.rfind('/');
  const std::string root = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  TWalkError walk;
  std::unique_ptr<TFileStream> stream =
      OpenBelow(root, std::string_view(path).substr(root.size()), mode, &walk);
  return stream ? std::move(stream) : refuse(walk.Reason);
}

std::unique_ptr<TFileStream> TFileStream::OpenBelow(const std::string& root, std::string_view below,
                                                    std::uint16_t mode, TWalkError* error, bool makeFolders) {
  const std::string path = root + std::string(below);
  if ((mode & 0xFF00) != 0xFF00 && (mode & 3) == fmOpenRead) {
    std::string reason;
    std::unique_ptr<TFileStream> stream = Open(path, mode, &reason);
    if (!stream) Refuse(error, reason);
    return stream;
  }
  if ((mode & 0xFF00) != 0xFF00 && (mode & 3) == 3) return Refuse(error, "invalid open mode");
  if (below.find('\0') != std::string_view::npos || root.find('\0') != std::string::npos)
    return Refuse(error, "invalid file name");
  const std::string name(LastPartOf(below));
  if (!IsNameOfAFile(name)) return Refuse(error, "no file name");
  const bool creating = (mode & 0xFF00) == 0xFF00;
  TFolderFd folder = OpenFolderBelow(root, FolderPartOf(below), creating && makeFolders, error);
  if (!folder) return nullptr;
  return creating ? OpenCreate(path, std::move(folder), name, error) : OpenWrite(path, folder, name, mode, error);
}

std::unique_ptr<TFileStream> TFileStream::OpenWrite(std::string path, const TFolderFd& folder,
                                                    const std::string& name, std::uint16_t mode,
                                                    TWalkError* error) {
  struct stat st {};
  if (::fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return Refuse(error, Reason(errno));
  if (std::string why = NotWrittenThrough(st); !why.empty()) return Refuse(error, std::move(why));
  if (!IsWritable(folder.Get(), name.c_str(), st)) return Refuse(error, kReadOnlyReason, true);
  const int flags = (mode & 3) == fmOpenWrite ? O_WRONLY : O_RDWR;
  // Non-blocking while opening: a FIFO swapped in meanwhile must not stall
  // the engine before it is refused below.
  const int fd = OpenRetrying(folder.Get(), name.c_str(), flags | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    const int err = errno;
    return Refuse(error, err == ELOOP ? kLinkReason : Reason(err), DeniedWriting(err));
  }
  std::unique_ptr<TFileStream> stream(new TFileStream(std::move(path), fd));
  // What was opened is what was looked at: no link, nothing linked to it.
  if (::fstat(fd, &st) != 0) return Refuse(error, Reason(errno));
  if (std::string why = NotWrittenThrough(st); !why.empty()) return Refuse(error, std::move(why));
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return stream;
}

std::unique_ptr<TFileStream> TFileStream::OpenCreate(std::string path, TFolderFd folder, const std::string& name,
                                                     TWalkError* error) {
  // Replace what the name holds. A link is replaced itself, never written
  // through: a link planted in a game's folder must not turn a store into
  // a write somewhere else. A file with other hard links is replaced too:
  // the other names keep the old bytes.
  struct stat st {};
  int targetMode = -1;
  if (::fstatat(folder.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    if (!S_ISLNK(st.st_mode)) {
      if (S_ISDIR(st.st_mode)) return Refuse(error, "is a directory");
      if (!S_ISREG(st.st_mode)) return Refuse(error, "not a regular file");
      if (!IsWritable(folder.Get(), name.c_str(), st)) return Refuse(error, kReadOnlyReason, true);
      targetMode = static_cast<int>(st.st_mode & 0777);
    }
  } else if (errno != ENOENT) {
    return Refuse(error, Reason(errno));
  }

  if (!MayWriteInto(folder.Get())) return Refuse(error, "its folder is read-only", true);
  // The kernel applies the umask to a new file's 0644.
  for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
    std::string temp = "." + name.substr(0, kMaxTempStem) + "." + RandomSuffix();
    const int fd = OpenRetrying(folder.Get(), temp.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
      const int err = errno;
      if (err == EEXIST) continue;
      return Refuse(error, Reason(err), DeniedWriting(err));
    }
    std::unique_ptr<TFileStream> stream(new TFileStream(std::move(path), fd));
    stream->creating_ = true;
    stream->folder_ = std::move(folder);
    stream->tempName_ = std::move(temp);
    stream->targetName_ = name;
    stream->targetMode_ = targetMode;
    return stream;
  }
  return Refuse(error, "no free name for a temporary file");
}

TFileStream::~TFileStream() {
  if (closed_) return;
  const bool committing = creating_ && !failed_;
  if (!Close() && committing) {
    EngineError(u"Can't store file " + Utf8ToUtf16(path_) + u": " + Utf8ToUtf16(error_));
  }
}

void TFileStream::Fail(const std::string& reason) {
  if (!failed_) error_ = reason;
  failed_ = true;
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  if (fd_ < 0 || buffer == nullptr || count <= 0) return 0;
  auto* bytes = static_cast<char*>(buffer);
  std::int64_t total = 0;
  while (total < count) {
    const auto chunk = static_cast<std::size_t>(std::min(count - total, kMaxChunk));
    const ssize_t n = ::read(fd_, bytes + total, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += n;
  }
  return total;
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  if (fd_ < 0 || buffer == nullptr || count <= 0) return 0;
  // A create-mode file that missed a write will not be committed; stop
  // early so that the caller sees the failure too.
  if (creating_ && failed_) return 0;
  const auto* bytes = static_cast<const char*>(buffer);
  std::int64_t total = 0;
  while (total < count) {
    const auto chunk = static_cast<std::size_t>(std::min(count - total, kMaxChunk));
    const ssize_t n = ::write(fd_, bytes + total, chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Fail(Reason(errno));
      break;
    }
    if (n == 0) {
      Fail("nothing could be written");
      break;
    }
    total += n;
  }
  return total;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  if (fd_ < 0) return 0;
  const off_t current = ::lseek(fd_, 0, SEEK_CUR);
  const std::int64_t target =
      SeekTarget(std::max<std::int64_t>(0, current), origin == soEnd ? Size() : 0, offset, origin);
  const off_t moved = ::lseek(fd_, target, SEEK_SET);
  return moved >= 0 ? moved : std::max<std::int64_t>(0, current);
}

std::int64_t TFileStream::Size() {
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
  return st.st_size;
}

bool TFileStream::SetSize(std::int64_t size) {
  if (fd_ < 0 || size < 0) return false;
  int result;
  do {
    result = ::ftruncate(fd_, size);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    // A create-mode file whose size could not be set is not what the
    // caller meant to store.
    if (creating_) Fail(Reason(errno));
    return false;
  }
  if (Position() > size) SetPosition(size);
  return true;
}

bool TFileStream::Commit() {
  if (::fsync(fd_) != 0) Fail(Reason(errno));
  if (!failed_ && targetMode_ >= 0 && ::fchmod(fd_, static_cast<mode_t>(targetMode_)) != 0) {
    Fail(Reason(errno));
  }
  // close() may be the first to report a deferred write error.
  if (::close(fd_) != 0 && !failed_) Fail(Reason(errno));
  fd_ = -1;
  if (!failed_ && ::renameat(folder_.Get(), tempName_.c_str(), folder_.Get(), targetName_.c_str()) != 0)
    Fail(Reason(errno));
  if (failed_) ::unlinkat(folder_.Get(), tempName_.c_str(), 0);
  folder_ = TFolderFd();
  return !failed_;
}

void TFileStream::Discard() {
  ::close(fd_);
  fd_ = -1;
  if (creating_) ::unlinkat(folder_.Get(), tempName_.c_str(), 0);
  folder_ = TFolderFd();
}

bool TFileStream::Close() {
  if (closed_) return closeResult_;
  closed_ = true;
  if (creating_) {
    if (failed_) Discard();
    else closeResult_ = Commit();
  } else {
    if (::close(fd_) != 0) Fail(Reason(errno));
    fd_ = -1;
    closeResult_ = !failed_;
  }
  return closeResult_;
}

void TFileStream::Abandon() {
  if (closed_) return;
  closed_ = true;
  closeResult_ = false;
  Discard();
}

bool SaveFileAtomically(const std::string& path, const std::function<bool(TStream&)>& write, std::string* error) {
  std::unique_ptr<TFileStream> file = TFileStream::Open(path, fmCreate, error);
  if (!file) return false;
  if (!write(*file)) {
    if (error) *error = file->LastError().empty() ? "the file could not be written" : file->LastError();
    file->Abandon();
    return false;
  }
  if (file->Close()) return true;
  if (error) *error = file->LastError();
  return false;
}

bool SaveFileAtomicallyOrReport(const std::string& path, const std::function<bool(TStream&)>& write) {
  std::string error;
  if (SaveFileAtomically(path, write, &error)) return true;
  EngineError(Utf8ToUtf16("Cannot create file \"" + path + "\". " + error));
  return false;
}

std::string FilePathOf(const TStream& stream) {
  const auto* file = dynamic_cast<const TFileStream*>(&stream);
  return file ? file->Path() : std::string();
}

}  // namespace corvane
