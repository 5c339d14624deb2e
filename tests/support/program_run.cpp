#include "tests/support/program_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "tests/support/file_bytes.h"

extern char** environ;

namespace corvane::test {

namespace {

std::string OutputOf(const std::string& path) { return ReadFileBytes(path).value_or(""); }

}  // namespace

TProgramRun RunProgram(const TProgramLaunch& launch) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
#ifdef CORVANE_KEEP_LOADED
  // The preloaded library comes before the sanitizer's runtime, which
  // works as well after it.
  std::vector<std::string> changes = {"LD_PRELOAD=" CORVANE_KEEP_LOADED,
                                      "ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0",
                                      "LSAN_OPTIONS=suppressions=" CORVANE_LEAK_SUPPRESSIONS ":print_suppressions=0"};
#else
  std::vector<std::string> changes = {"ASAN_OPTIONS=detect_leaks=0"};
#endif
  changes.insert(changes.end(), launch.environment.begin(), launch.environment.end());
  for (const std::string& change : changes) {
    const std::string name = change.substr(0, change.find('='));
    std::erase_if(env, [&](const std::string& e) { return e.starts_with(name + "="); });
    if (change.find('=') != std::string::npos) env.push_back(change);
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = {launch.program};
  args.insert(args.end(), launch.arguments.begin(), launch.arguments.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string outputPath = launch.folder + "/output.txt";
  const std::string described = launch.arguments.empty() ? launch.program : launch.arguments.front();

  TProgramRun run;
  const int out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0) {
    ADD_FAILURE() << "no output file: " << std::strerror(errno);
    return run;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(launch.folder.c_str()) != 0) _exit(126);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  ::close(out);
  if (pid < 0) {
    ADD_FAILURE() << "fork: " << std::strerror(errno);
    return run;
  }
  bool signalled = launch.until.empty();
  int status = 0;
  pid_t done = 0;
  struct rusage usage {};
  for (int i = 0; i < launch.polls && done == 0; ++i) {
    poll(nullptr, 0, 50);
    done = wait4(pid, &status, WNOHANG, &usage);
    if (done == 0 && !signalled && OutputOf(outputPath).find(launch.until) != std::string::npos) {
      kill(pid, SIGTERM);
      signalled = true;
    }
  }
  if (done == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    ADD_FAILURE() << "the program did not end: " << described;
  } else if (WIFEXITED(status)) {
    run.status = WEXITSTATUS(status);
    run.peakKiB = usage.ru_maxrss;
  } else {
    ADD_FAILURE() << "the program ended by signal " << WTERMSIG(status) << ": " << described;
  }
  run.output = OutputOf(outputPath);
  EXPECT_TRUE(signalled) << "never saw '" << launch.until << "'";
  return run;
}

}  // namespace corvane::test
