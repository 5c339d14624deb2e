// Runs a built program as a user runs it: its own process, in a folder,
// with the environment changed as asked, its output gathered in a file.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace corvane::test {

struct TProgramRun {
  int status = -1;  // the exit status; -1 when the program did not exit by itself
  std::string output;
  // The program's own peak resident memory (its ru_maxrss); 0 when it
  // did not end by itself.
  std::int64_t peakBytes = 0;
};

struct TProgramLaunch {
  std::string program;
  std::vector<std::string> arguments;
  // "NAME=value" sets, "NAME" removes.
  std::vector<std::string> environment;
  // The working folder; the output goes to output.txt in it.
  std::string folder;
  // When set, the program is asked to end once its output holds this text:
  // `request` is called with its process id, or else it is sent SIGTERM.
  std::string until;
  std::function<void(int pid)> request;
  // Polls of 50 ms before a program still running is killed.
  int polls = 600;
};

// A sanitized program has its leaks checked at exit, with every library
// it loaded still mapped (a leak report makes its exit status 23); other
// builds run without leak detection. A program that does not end within
// the bound, ends by a signal, or never shows `until` is a failure of the
// calling test.
TProgramRun RunProgram(const TProgramLaunch& launch);

// A program left running while the test acts on it (a user at its window),
// launched as RunProgram launches it; `until` is not used. A program still
// running when the session goes is killed.
class TProgramSession {
 public:
  explicit TProgramSession(const TProgramLaunch& launch);
  ~TProgramSession();
  TProgramSession(const TProgramSession&) = delete;
  TProgramSession& operator=(const TProgramSession&) = delete;

  pid_t Pid() const { return pid_; }
  std::string Output() const;
  // Polls of 50 ms until the output holds the text from `from` on; false
  // when the program ends or `polls` pass first.
  bool WaitFor(const std::string& text, int polls, std::size_t from = 0);
  // Until the program ends (within the launch's polls), once its output
  // holds `until` asking it to end as the launch says.
  TProgramRun Finish(const std::string& until = {});

 private:
  TProgramLaunch launch_;
  pid_t pid_ = -1;
  int status_ = 0;
  rusage usage_{};
  bool ended_ = false;
};

}  // namespace corvane::test
