// Small file and text helpers used all over the engine: the running
// program's paths and command line, file-name surgery, existence, read-only
// and age tests, a tokenizer and a 32-bit fill. Paths are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

class TResourceMan;

// Keeps the command line; main calls it first thing. SetCommandLine(0,
// nullptr) forgets it again.
void SetCommandLine(int argc, char** argv);
// The number of arguments after argument 0.
int ParamCount();
// Argument i (0: the program as started); "" out of range.
std::string ParamStr(int i);

// Argument 0 as given on the command line; before SetCommandLine, the
// executable's full path.
std::string ExeName();
// The folder of the executable file itself, with a trailing "/", whatever
// argument 0 says (it may be a bare name found through PATH).
std::string ExePath();
// ExeName after its last "/" or "\", at most 1000 bytes.
std::string ExeFileName();
std::string ExeNameWithoutExt();
// The name without its extension: everything before the last "." when that
// "." lies after the last "/" or "\"; otherwise the name unchanged.
std::string FileNameWithoutExt(std::string_view fileName);

// Whether the folder exists, one trailing "/" removed first ("" is none).
bool BDirectoryExists(std::string_view dir);
// Whether this process cannot write the file: none of its write bits is set
// or access() refuses it. For a missing file, whether a file cannot be made
// there: the same test on the nearest existing ancestor folder.
bool IsFileReadOnly(std::string_view fileName);
// Whether file1 is strictly newer than file2 in the manager; false when
// file2 does not exist there (or there is no manager).
bool IsAgeFile1GreateFile2(TResourceMan* resMan, const std::string& file1, const std::string& file2);

// Splits off the text before the first separator (the separator is
// consumed; without one, the whole text): returns it trimmed of blanks and
// control characters, and leaves the rest, trimmed too, in s.
std::string GetToken(std::string& s, std::string_view separators);
std::u16string GetToken(std::u16string& s, std::u16string_view separators);

// Writes value into count consecutive 32-bit cells from dest (any
// alignment); a count below 1 writes nothing.
void FillLongword(void* dest, std::int32_t count, std::uint32_t value);

}  // namespace corvane
