#include "tests/support/xvfb_server.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::test {

namespace {

constexpr const char* kXvfb = "/usr/bin/Xvfb";
constexpr int kStartLimitMs = 30000;

// The line Xvfb writes once it accepts connections; empty when it ends or
// stays silent for the start limit.
std::string ReadDisplayNumber(int fd) {
  std::string number;
  pollfd ready{fd, POLLIN, 0};
  while (poll(&ready, 1, kStartLimitMs) == 1) {
    char c = 0;
    if (read(fd, &c, 1) != 1) return {};
    if (c == '\n') return number;
    number += c;
  }
  return {};
}

}  // namespace

TXvfbServer::TXvfbServer(const char* screen) {
  if (access(kXvfb, X_OK) != 0) return;
  installed_ = true;
  int fds[2];
  if (pipe(fds) != 0) {
    error_ = "no pipe for the display number";
    return;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    // -noreset: without it the server resets whenever its last client
    // disconnects, and a client connecting during the reset is refused.
    execl(kXvfb, "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-screen", "0", screen, "-nolisten", "tcp",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    error_ = "could not fork";
    return;
  }
  const std::string number = ReadDisplayNumber(fds[0]);
  close(fds[0]);
  if (number.empty()) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    error_ = "Xvfb told no display number within " + std::to_string(kStartLimitMs / 1000) + " s";
    return;
  }
  pid_ = pid;
  display_ = ":" + number;
}

TXvfbServer::~TXvfbServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

}  // namespace corvane::test
