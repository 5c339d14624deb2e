// Writing a file a filter made: the whole file is built first (in memory,
// or as parts already held, such as a locked picture's pixels), then handed
// to the resource manager's create stream, so a file is written complete
// or not at all (the folder manager writes a temporary beside the target
// and renames it over the target, and drops it when a write falls short).
#pragma once

#include <initializer_list>
#include <span>
#include <string>

namespace corvane {

class TAbstractFilter;
class TMemoryStream;
class TResourceMan;

// False when the manager gives no stream (it said why), the bytes were not
// all built (a memory stream whose write fell short) or the store failed
// (said by StoreResource); the target is then left as it was.
bool StoreFile(TResourceMan& resMan, const std::string& name, TMemoryStream& bytes);
bool StoreFile(TResourceMan& resMan, const std::string& name, std::initializer_list<std::span<const char>> parts);

// StoreFile of a file derived from another (".pixmap", ".mesh") by the
// filter, with the stamp of its source at the end when the filter has one,
// counted first against the program's derived-file budget (DerivedFits):
// past it nothing is written (false), and the caller keeps what it
// converted in memory.
bool StoreDerivedFile(const TAbstractFilter& filter, TResourceMan& resMan, const std::string& name,
                      TMemoryStream& bytes);
bool StoreDerivedFile(const TAbstractFilter& filter, TResourceMan& resMan, const std::string& name,
                      std::initializer_list<std::span<const char>> parts);

}  // namespace corvane
