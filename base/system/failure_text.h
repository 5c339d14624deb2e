// The text a caught exception leaves in the log. A failed allocation says
// "out of memory" (its own what() is only a library's type name); any
// other exception says what it holds.
#pragma once

#include <exception>
#include <string>

namespace corvane {

std::u16string FailureText(const std::exception& error);

}  // namespace corvane
