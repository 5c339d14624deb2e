// The program as a user runs it: the built executable, headless (SDL's
// offscreen video driver, or no display at all), one process per case. Its
// exit status tells whether an applet ran; a running one is ended with
// SIGTERM, as a terminal's Ctrl+C or a session manager ends it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "tests/base/temp_dir.h"

extern char** environ;

namespace corvane {
namespace {

namespace fs = std::filesystem;

// Polls of 50 ms: the program starts, runs and ends well within this many
// (a few seconds under the sanitizers).
constexpr int kPolls = 600;

struct TRun {
  int status = -1;  // the exit status; -1 when the program did not exit by itself
  std::string output;
};

class ProgramTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return folder_ / name; }
  void Put(const std::string& name, const std::string& bytes) const {
    fs::create_directories(fs::path(PathOf(name)).parent_path());
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
  }

  // Runs the program on the argument in the test's folder with the
  // environment changed as given ("NAME=value" sets, "NAME" removes). With
  // `until`, the program is sent SIGTERM once its output holds that text.
  // A program still running after the bound is killed, and the run fails.
  TRun Run(const std::string& argument, const std::vector<std::string>& environment,
           const std::string& until = {}) const {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    // Leaks reported at exit come from the system's OpenGL and D-Bus
    // libraries, not from the engine (its own tests check that), and would
    // change the exit status this test is about.
    std::vector<std::string> changes = {"ASAN_OPTIONS=detect_leaks=0"};
    changes.insert(changes.end(), environment.begin(), environment.end());
    for (const std::string& change : changes) {
      const std::string name = change.substr(0, change.find('='));
      std::erase_if(env, [&](const std::string& e) { return e.starts_with(name + "="); });
      if (change.find('=') != std::string::npos) env.push_back(change);
    }
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = CORVANE_PROGRAM;
    std::string arg = argument;
    char* argv[] = {program.data(), arg.data(), nullptr};
    const std::string outputPath = PathOf("output.txt");
    const std::string folder = folder_.Path();

    const int out = ::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (out < 0) {
      ADD_FAILURE() << "no output file: " << std::strerror(errno);
      return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir(folder.c_str()) != 0) _exit(126);
      dup2(out, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
      execve(argv[0], argv, envp.data());
      _exit(127);
    }
    ::close(out);
    TRun run;
    if (pid < 0) {
      ADD_FAILURE() << "fork: " << std::strerror(errno);
      return run;
    }
    bool signalled = until.empty();
    int status = 0;
    pid_t done = 0;
    for (int i = 0; i < kPolls && done == 0; ++i) {
      poll(nullptr, 0, 50);
      done = waitpid(pid, &status, WNOHANG);
      if (done == 0 && !signalled && test::ReadFile(outputPath).find(until) != std::string::npos) {
        kill(pid, SIGTERM);
        signalled = true;
      }
    }
    if (done == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "the program did not end: " << argument;
    } else if (WIFEXITED(status)) {
      run.status = WEXITSTATUS(status);
    } else {
      ADD_FAILURE() << "the program ended by signal " << WTERMSIG(status) << ": " << argument;
    }
    run.output = test::ReadFile(outputPath);
    EXPECT_TRUE(signalled) << "never saw '" << until << "'";
    return run;
  }

  test::TTempDir folder_;
};

const std::vector<std::string> kOffscreen = {"SDL_VIDEODRIVER=offscreen", "DISPLAY", "WAYLAND_DISPLAY"};
const char kApplet[] = "object game: Applet\n  width = 320\n  height = 240\nend\n";
constexpr char kRunning[] = "(i) End of the root object creation";

TEST_F(ProgramTest, EveryFailedLaunchEndsWithStatusOne) {
  Put("parse/main.object", "this is no object\n");
  Put("noapplet/main.object", "object box: Dummy\nend\n");
  Put("damaged.applet", "no container at all, only text");
  Put("shown/main.object", kApplet);
  struct TCase {
    const char* what;
    std::string argument;
    std::vector<std::string> environment;
    std::string error;
  };
  const TCase cases[] = {
      {"missing path", "nowhere/main.object", kOffscreen, "(e) Resource manager not actived"},
      {"parse error", "parse/main.object", kOffscreen, "(e) Applet parse/main.object can't loaded."},
      {"no applet in the file", "noapplet/main.object", kOffscreen, "(e) Applet noapplet/main.object can't loaded."},
      {"damaged container", "damaged.applet", kOffscreen, "(e) Resource manager not actived"},
      {"unsupported kind", "notes.txt", kOffscreen, "(e) Unsupported Applet type :notes.txt"},
      {"no display", "shown/main.object", {"SDL_VIDEODRIVER=x11", "DISPLAY", "WAYLAND_DISPLAY"},
       "(e) SDL could not start: "},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    const TRun run = Run(c.argument, c.environment);
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(c.error), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("(i) === Corvane engine 2.0 finished ==="), std::string::npos) << run.output;
  }
}

// An applet that ran ends with 0, and a close request ends the program
// whatever its tree holds: an applet nested in the root opens a window of
// its own and is the one the host's events go to.
TEST_F(ProgramTest, AnAppletThatRanEndsWithStatusZeroWhenAskedToClose) {
  struct TCase {
    const char* what;
    std::string text;
    int windows;
  };
  const TCase cases[] = {
      {"single", kApplet, 1},
      {"nested",
       "object outer: Applet\n  width = 320\n  height = 240\n"
       "  object inner: Applet\n    width = 200\n    height = 150\n  end\nend\n",
       2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string name = c.what;
    Put(name + "/main.object", c.text);
    const TRun run = Run(name + "/main.object", kOffscreen, kRunning);
    EXPECT_EQ(run.status, 0) << run.output;
    int destroyed = 0;
    for (std::size_t at = 0; (at = run.output.find("(i) Window destroyed", at)) != std::string::npos; ++at)
      ++destroyed;
    EXPECT_EQ(destroyed, c.windows) << run.output;
    EXPECT_FALSE(fs::exists(PathOf(name + "/main.run")));  // the running marker went with the program
  }
}

}  // namespace
}  // namespace corvane
