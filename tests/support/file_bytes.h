// Whole files for tests: fresh folders, and files written and read back as
// byte strings.
#pragma once

#include <optional>
#include <string>

namespace corvane::test {

// A new folder under the system's temporary folder, named prefix plus six
// random characters, with a trailing "/"; empty when none could be made.
std::string MakeTempFolder(const std::string& prefix);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Nothing when the file cannot be opened.
std::optional<std::string> ReadFileBytes(const std::string& path);

}  // namespace corvane::test
