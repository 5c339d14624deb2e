// Writing a file a filter made: the whole file is built in memory first,
// then handed to the resource manager's create stream in one write, so a
// file is written complete or not at all (the folder manager writes a
// temporary beside the target and renames it over the target).
#pragma once

#include <string>

namespace corvane {

class TDevice;
class TMemoryStream;
class TResourceMan;

// False when the manager gives no stream (a read-only container) or the
// write falls short; the target is then left as it was.
bool StoreFile(TResourceMan& resMan, const std::string& name, TMemoryStream& bytes);

// StoreFile of a file derived from another (".pixmap", ".mesh"), counted
// first against the derived-file budget of the device's applet: past it
// nothing is written (false), and the caller keeps what it converted in
// memory.
bool StoreDerivedFile(TDevice* device, TResourceMan& resMan, const std::string& name, TMemoryStream& bytes);

}  // namespace corvane
