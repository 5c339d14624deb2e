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
// Whether a regular file (links followed) is there, exact spelling.
bool FileExists(std::string_view path);
// The packed date of the file's last change; kNoFileDate when there is none.
std::int32_t FileAge(std::string_view path);
// The file's exact stamp (its size, its modification time in nanoseconds);
// nothing when it is no file.
std::optional<TFileStamp> FileStampAt(std::string_view path);
// Makes every missing folder of the path, as spelled; whether the folder
// exists afterwards.
bool ForceDirectories(std::string_view path);

// Opens the file at path (found already: resolved, inside the manager's
// root) as the resource name, in a manager's mode: 0 reads, bit 0 writes
// an existing file, $FFFF replaces it whole, making the missing folders.
// A missing file, and a read-only one (or folder) in a write mode, give
// nullptr quietly; any other failure (a folder, FIFO or device in the
// file's place, no access, a folder that cannot be made) gives nullptr
// with the line
// "Can't open <name>: <reason>" ("Can't create" for $FFFF). Neither a write
// nor a create goes through a symbolic link: the write is refused, the
// create replaces the link itself.
std::unique_ptr<TStream> OpenResourceFile(const std::string& name, const std::string& path, std::uint16_t mode);

// Whether the folder a file at path would be written into lies inside
// root, links followed: the deepest level of it that exists, as it really
// is, is root's real folder or below it (the levels still missing are
// made as spelled).
bool WritesInside(const std::string& root, const std::string& path);

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
