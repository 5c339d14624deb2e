// TFileStream: a stream over a file, opened with the engine's mode words.
//
// The create mode never leaves a half-written file: it writes a hidden
// temporary file beside the target (made exclusively, never through a
// link) and renames it over the target when the stream is closed without a
// write error. Abandon() (or any failed write) discards the temporary
// instead and the target stays as it was. A symbolic link in the target's
// place is replaced by the new file, never written through, and so is a
// file with other hard links. The write modes refuse a link, and a file
// with other hard links, in the target's place.
//
// Writes are reached through the folder they go into, opened once: the
// folder named by the path (or a root and the parts below it, OpenBelow)
// and the target name in it, so nothing swapped in meanwhile redirects
// the file (base/system/folder_walk.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "base/streams/stream.h"
#include "base/system/folder_walk.h"

namespace corvane {

// Access, in the low two bits of the mode word.
inline constexpr std::uint16_t fmOpenRead = 0x0000;
inline constexpr std::uint16_t fmOpenWrite = 0x0001;
inline constexpr std::uint16_t fmOpenReadWrite = 0x0002;
// Replace (or make) the file; any mode word with a high byte of $FF.
inline constexpr std::uint16_t fmCreate = 0xFFFF;
// Sharing flags: accepted and ignored (no mandatory locks on Linux).
inline constexpr std::uint16_t fmShareExclusive = 0x0010;
inline constexpr std::uint16_t fmShareDenyWrite = 0x0020;
inline constexpr std::uint16_t fmShareDenyRead = 0x0030;
inline constexpr std::uint16_t fmShareDenyNone = 0x0040;

class TFileStream : public TStream {
  CORVANE_CLASS(TFileStream, TStream)

  // path is UTF-8. Read and write modes open an existing regular file and
  // never truncate it; the write modes fail for a file without write
  // permission (even for root), and for a link or a file with other hard
  // links in the file's place (the folders of the path are the caller's).
  // The create mode needs the folder to exist (and one without a write bit
  // counts as read-only); over an existing file it keeps the file's
  // permission bits and, like the write modes, fails when the file is
  // read-only. Returns nullptr, with a readable reason in *error, when the
  // file cannot be opened.
  static std::unique_ptr<TFileStream> Open(const std::string& path, std::uint16_t mode,
                                           std::string* error = nullptr);
  // The file below root ("/"-separated parts, taken apart already) as Open
  // opens root + below, but a write or create mode goes through no link at
  // any level below root: each folder is opened in the one above it, with
  // no link followed (a link there fails with error->ThroughLink set), and
  // with makeFolders the create mode makes the missing ones. The read mode
  // follows links as Open does.
  static std::unique_ptr<TFileStream> OpenBelow(const std::string& root, std::string_view below, std::uint16_t mode,
                                                TWalkError* error = nullptr, bool makeFolders = false);

  // Commits a create-mode file still open (see Close()); a commit that
  // fails there is logged, since no caller is left to be told.
  ~TFileStream() override;

  // Reads and writes carry on through interrupted and partial system calls
  // and return what was moved in total. All return 0 once closed.
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override;
  // A position past the new end moves back to it.
  bool SetSize(std::int64_t size) override;

  // Ends the stream. In the create mode, renames the temporary over the
  // target when no write failed and returns whether the file was committed;
  // otherwise the temporary is removed. In the other modes, returns whether
  // every write succeeded and the file closed cleanly. A second call
  // returns the first call's answer.
  bool Close();
  // Closes without committing: in the create mode the temporary is removed
  // and the target is left untouched. The writes of the other modes are
  // already in the file.
  void Abandon();

  const std::string& Path() const { return path_; }
  bool IsOpen() const { return fd_ >= 0; }
  // The reason of the first failure (a write, the commit), empty when none.
  const std::string& LastError() const { return error_; }

 private:
  TFileStream(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

  static std::unique_ptr<TFileStream> OpenWrite(std::string path, const TFolderFd& folder, const std::string& name,
                                                std::uint16_t mode, TWalkError* error);
  static std::unique_ptr<TFileStream> OpenCreate(std::string path, TFolderFd folder, const std::string& name,
                                                 TWalkError* error);

  void Fail(const std::string& reason);
  bool Commit();
  void Discard();

  std::string path_;
  int fd_ = -1;
  bool creating_ = false;
  TFolderFd folder_;         // create mode: the folder of both names below
  std::string tempName_;     // create mode: the file being written
  std::string targetName_;   // create mode: what it replaces (a link itself)
  int targetMode_ = -1;     // create mode: permission bits to keep, -1 for a new file
  bool failed_ = false;
  bool closed_ = false;
  bool closeResult_ = false;
  std::string error_;
};

// The path of the stream's file, for messages; empty when the stream is
// no file.
std::string FilePathOf(const TStream& stream);

// Replaces the file whole or not at all: writes through a create-mode
// stream and commits only when write reports success. False (reason in
// *error) when the file was left as it was.
bool SaveFileAtomically(const std::string& path, const std::function<bool(TStream&)>& write,
                        std::string* error = nullptr);
// The same, with the error line "Cannot create file "<path>". <reason>" when
// the file was left as it was.
bool SaveFileAtomicallyOrReport(const std::string& path, const std::function<bool(TStream&)>& write);

}  // namespace corvane
