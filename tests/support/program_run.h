// Runs a built program as a user runs it: its own process, in a folder,
// with the environment changed as asked, its output gathered in a file.
#pragma once

#include <string>
#include <vector>

namespace corvane::test {

struct TProgramRun {
  int status = -1;  // the exit status; -1 when the program did not exit by itself
  std::string output;
  // The program's own peak resident memory in KiB (its ru_maxrss).
  long peakKiB = 0;
};

struct TProgramLaunch {
  std::string program;
  std::vector<std::string> arguments;
  // "NAME=value" sets, "NAME" removes.
  std::vector<std::string> environment;
  // The working folder; the output goes to output.txt in it.
  std::string folder;
  // When set, the program is sent SIGTERM once its output holds this text.
  std::string until;
  // Polls of 50 ms before a program still running is killed.
  int polls = 600;
};

// A sanitized program has its leaks checked at exit, with every library
// it loaded still mapped (a leak report makes its exit status 23); other
// builds run without leak detection. A program that does not end within
// the bound, ends by a signal, or never shows `until` is a failure of the
// calling test.
TProgramRun RunProgram(const TProgramLaunch& launch);

}  // namespace corvane::test
