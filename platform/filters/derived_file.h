// Writing a file a filter made: the whole file is built in memory first,
// then handed to the resource manager's create stream in one write, so a
// file is written complete or not at all (the folder manager writes a
// temporary beside the target and renames it over the target).
#pragma once

#include <string>

namespace corvane {

class TAbstractFilter;
class TMemoryStream;
class TResourceMan;

// False when the manager gives no stream (a read-only container) or the
// write falls short; the target is then left as it was.
bool StoreFile(TResourceMan& resMan, const std::string& name, TMemoryStream& bytes);

// StoreFile of a file derived from another (".pixmap", ".mesh") by the
// filter, with the stamp of its source at the end when the filter has one,
// counted first against the derived-file budget of the filter's applet:
// past it nothing is written (false), and the caller keeps what it
// converted in memory.
bool StoreDerivedFile(const TAbstractFilter& filter, TResourceMan& resMan, const std::string& name,
                      TMemoryStream& bytes);

}  // namespace corvane
