// The engine's per-user data folder and the secrets it keeps there. The
// folder is $XDG_DATA_HOME/corvane/ when that variable holds an absolute
// path, else $HOME/.local/share/corvane/ (pointing XDG_DATA_HOME elsewhere
// moves everything the engine keeps for the user, as tests do).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace corvane {

// The folder with a trailing "/"; "" when neither variable is usable.
// Nothing is made.
std::string UserDataFolder();

using TUserSecret = std::array<std::uint8_t, 32>;

// The secret of that file name in the folder: 32 random bytes that only
// the user can read. Made on first use (missing folders 0700, the file
// 0600, written beside and linked into place, so that processes starting
// together all end with the one file); a file that is not a private
// 32-byte file of the user's is replaced. False, with the reason, when the
// folder or the file cannot be made or read.
bool UserSecret(const std::string& name, TUserSecret& secret, std::string& reason);

}  // namespace corvane
