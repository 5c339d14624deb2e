// The applet's small data files beside it: the preferences (".prefs") and
// the score table (".score"). Each is named after the engine's log file,
// which carries the applet's own name, holds a wide-string list in the
// ciphered text form, and goes through the engine's external resource
// manager, whose folder is the applet's folder.
#pragma once

#include <string>
#include <string_view>

namespace corvane {

class TWideStrings;

// The log file's name without folder and extension, followed by extension:
// a log "/games/x/main.log" and ".prefs" give "main.prefs".
std::string AppletDataFileName(std::string_view extension);

// Replaces the list by the file's lines. False, the list untouched, when
// the engine has no external manager or the file cannot be opened (nothing
// reported), or when the file is too large to load (reported).
bool LoadAppletDataFile(const std::string& fileName, TWideStrings& list);

// Replaces the file whole: it is created in the managers' create mode,
// which writes beside the file and puts the new one in place only on a
// clean close. False when the engine has no external manager or the file
// cannot be created (nothing reported), or when the write failed (reported,
// and the previous file stays as it was).
bool StoreAppletDataFile(const std::string& fileName, const TWideStrings& list);

}  // namespace corvane
