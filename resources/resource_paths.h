// The file-system side of the folder and external resource managers: path
// spelling, existence, dates, folder creation and listings.
//
// Applets name their files as they were spelled on a case-blind file
// system, so a path that does not exist as given is looked up again one
// component at a time without regard to ASCII case: the exact spelling wins,
// then the first match in sorted order. Listings are sorted (without case,
// then bytewise) so they come out the same on every machine, and a folder
// that links back to one already being listed is neither listed nor
// entered, so a symlink loop ends.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/system/file_date.h"

namespace corvane {

class TStream;
class TStrings;

// A copy of path with every "\" turned into "/".
std::string CorrectPath(std::string_view path);
// The path up to and including its last "/" or "\" ("" when there is none).
std::string ExtractFilePath(std::string_view path);

// Whether the folder exists, one trailing "/" removed first; when it does
// not, logs "directory no exists " + the path without that "/". "" and "/"
// do not exist. Exact spelling only.
bool DirectoryExists(std::string_view path);

// The folder part of a resource's path: "" (a name without a folder) is
// the current folder and exists; any other is DirectoryExists of the folder
// as found without case (logging when it is missing).
bool FolderPartExists(std::string_view dir);

// The path as it exists on disk: unchanged when it exists as given;
// otherwise each component is matched without case, and the components
// from the first that matches nothing on are kept as spelled. A relative
// path stays relative (to the current folder). A trailing "/" is kept.
std::string ResolvePath(std::string_view path);
// The same for a path below root: below as it exists there, each part
// matched from root on, relative to root.
std::string ResolveBelow(const std::string& root, std::string_view below);
// Whether a regular file (links followed) is there, exact spelling.
bool FileExists(std::string_view path);
// Why path is no file to read (links followed): "there is no such file",
// "is a directory", "not a regular file" or the system's reason; "" for a
// regular file.
std::string NoFileAt(const std::string& path);
// The packed date of the file's last change; kNoFileDate when there is none.
std::int32_t FileAge(std::string_view path);
// The file's exact stamp (its size, its modification time in nanoseconds);
// nothing when it is no file.
std::optional<TFileStamp> FileStampAt(std::string_view path);

// Opens the file below root (found already: resolved, its parts taken
// apart) as the resource name, in a manager's mode: 0 reads, bit 0 writes
// an existing file, $FFFF replaces it whole, making the missing folders.
// A read follows links. A write or create goes through no link at any
// level below root (TFileStream::OpenBelow): a folder on the way that is a
// link gives "Refused <name>: it leads outside the applet's folder through
// a link"; a link or a file with other hard links in the file's place is
// not written into (a create replaces it). A missing file to read gives
// nullptr quietly; any other failure (a missing file to write into, a
// read-only file or folder, a folder, FIFO or device in the file's place,
// no access, a name too long) gives nullptr with the line
// "Can't open <name>: <reason>" ("Can't create" for $FFFF); a read-only
// file or folder stays quiet with quietWhenReadOnly (TDerivedStores).
std::unique_ptr<TStream> OpenResourceFile(const std::string& name, const std::string& root, const std::string& below,
                                          std::uint16_t mode, bool quietWhenReadOnly);

// The part below root of a full path ("/..." or relative to the current
// folder), compared without "." and ".." parts with root as given and as it
// really is; nothing when the path lies elsewhere.
std::optional<std::string> PathInsideRoot(const std::string& root, const std::string& path);

struct TDirEntry {
  std::string Name;
  bool IsDir = false;
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
};
// The entries of a folder but "." and "..", links followed (broken links
// left out), sorted without case, then bytewise. Empty when the folder
// cannot be read.
std::vector<TDirEntry> ListDirectory(std::string_view dir);
// The listing order: without ASCII case, then bytewise.
bool ListingOrderLess(std::string_view a, std::string_view b);

// Depth-first listings of a physical folder for the resource managers.
// Items are prefix + the path below the folder ("/" separated); files are
// added once for each mask of the ";" list that they match; folders are
// added without a trailing "/" and then entered. A folder that links make
// reachable by several names is listed and entered once, under the first.
void ListFilesBelow(const std::string& physicalDir, const std::string& prefix, const std::string& masks,
                    TStrings& out);
void ListDirsBelow(const std::string& physicalDir, const std::string& prefix, TStrings& out);

}  // namespace corvane
