// The text a failure leaves in the log. A failed allocation says "out of
// memory" (its own what() is only a library's type name); any other
// exception says what it holds. A system call's error number reads as the
// system's own sentence ("No space left on device"), the same whatever
// locale a library switched the process to, so a log line stays UTF-8.
#pragma once

#include <exception>
#include <string>

namespace corvane {

std::u16string FailureText(const std::exception& error);

// The text of an errno value, in the C locale's words.
std::string SystemErrorText(int err);

}  // namespace corvane
