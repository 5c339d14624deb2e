// Reaching a folder below another without going through a link: how every
// file the engine writes for an applet is reached. The top folder (the
// applet's, chosen by whoever started the engine) is opened as given, links
// in its own path followed; every part below it is opened relative to the
// one above (openat) with O_NOFOLLOW, so a link an applet ships, at any
// level of a name and swapped in at any moment, is never gone through.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

// An open folder, closed with the object.
class TFolderFd {
 public:
  TFolderFd() = default;
  explicit TFolderFd(int fd) : fd_(fd) {}
  ~TFolderFd();
  TFolderFd(TFolderFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  TFolderFd& operator=(TFolderFd&& other) noexcept;
  TFolderFd(const TFolderFd&) = delete;
  TFolderFd& operator=(const TFolderFd&) = delete;

  int Get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Why a walk (or an open at its end) failed.
struct TWalkError {
  std::string Reason;
  // A folder on the way is a symbolic link.
  bool ThroughLink = false;
  // The file is read-only, or its folder may not be written into.
  bool ReadOnly = false;
};

// Opens root ("" is the current folder), then each "/"-separated part of
// folders below it without following a link; with make, a missing part is
// made (0777 under the umask). Empty parts are skipped; "." and ".." parts
// are refused, since names are taken apart before they come here. A closed
// folder, with the reason in *error, when any part cannot be opened.
TFolderFd OpenFolderBelow(const std::string& root, std::string_view folders, bool make, TWalkError* error);

// Whether an errno says this process may not write there.
bool DeniedWriting(int err);
// Whether new entries may be made in the open folder: false for a folder
// without a single write bit, whoever asks (root too).
bool MayWriteInto(int folder);

// The folder part of a "/"-separated path below a root ("" for a bare
// name) and its last part.
std::string_view FolderPartOf(std::string_view below);
std::string_view LastPartOf(std::string_view below);

}  // namespace corvane
