#include "tests/support/program_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
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

TProgramSession::TProgramSession(const TProgramLaunch& launch) : launch_(launch) {
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

  const int out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0) {
    ADD_FAILURE() << "no output file: " << std::strerror(errno);
    return;
  }
  pid_ = fork();
  if (pid_ == 0) {
    if (chdir(launch.folder.c_str()) != 0) _exit(126);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  ::close(out);
  if (pid_ < 0) ADD_FAILURE() << "fork: " << std::strerror(errno);
}

TProgramSession::~TProgramSession() {
  if (pid_ <= 0 || ended_) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

std::string TProgramSession::Output() const { return OutputOf(launch_.folder + "/output.txt"); }

bool TProgramSession::WaitFor(const std::string& text, int polls, std::size_t from) {
  for (int i = 0; i < polls && pid_ > 0 && !ended_; ++i) {
    const std::string output = Output();
    if (output.size() >= from && output.find(text, from) != std::string::npos) return true;
    poll(nullptr, 0, 50);
    ended_ = wait4(pid_, &status_, WNOHANG, &usage_) == pid_;
  }
  const std::string output = Output();
  return output.size() >= from && output.find(text, from) != std::string::npos;
}

TProgramRun TProgramSession::Finish(const std::string& until) {
  TProgramRun run;
  const std::string described = launch_.arguments.empty() ? launch_.program : launch_.arguments.front();
  if (pid_ <= 0) return run;
  bool signalled = until.empty();
  for (int i = 0; i < launch_.polls && !ended_; ++i) {
    poll(nullptr, 0, 50);
    ended_ = wait4(pid_, &status_, WNOHANG, &usage_) == pid_;
    if (!ended_ && !signalled && Output().find(until) != std::string::npos) {
      if (launch_.request)
        launch_.request(pid_);
      else
        kill(pid_, SIGTERM);
      signalled = true;
    }
  }
  if (!ended_) {
    kill(pid_, SIGKILL);
    wait4(pid_, &status_, 0, &usage_);
    ended_ = true;
    ADD_FAILURE() << "the program did not end: " << described;
  } else if (WIFEXITED(status_)) {
    run.status = WEXITSTATUS(status_);
  } else {
    ADD_FAILURE() << "the program ended by signal " << WTERMSIG(status_) << ": " << described;
  }
  run.peakBytes = static_cast<std::int64_t>(usage_.ru_maxrss) * 1024;
  run.output = Output();
  EXPECT_TRUE(signalled) << "never saw '" << until << "'";
  return run;
}

TProgramRun RunProgram(const TProgramLaunch& launch) {
  TProgramRun run = TProgramSession(launch).Finish(launch.until);
  // On a loaded machine the leak checker's own tracer thread may crash at
  // the program's exit ("Tracer caught signal 11"): a fault of the checker
  // that says nothing of the program, which is run once more.
  if (run.output.find("LeakSanitizer has encountered a fatal error") != std::string::npos)
    run = TProgramSession(launch).Finish(launch.until);
  return run;
}

}  // namespace corvane::test
