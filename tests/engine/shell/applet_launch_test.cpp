// Launching an applet: the resource manager chosen by the path, the log
// named after the program for the embedded default applet, and launches
// that fail without leaving anything behind (the routes that succeed are
// run whole with the real applet).
#include <gtest/gtest.h>

#include "tests/engine/shell/applet_launch_kit.h"

namespace corvane {
namespace {

using test::MakeContainer;
using test::TLaunchEnv;
using Lines = std::vector<std::string>;

const char kLaunchRoot[] = "object app: TLaunchApplet\nend\n";

int CountOf(const Lines& lines, const std::string& text) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

struct TResManCase {
  const char* Name;
  std::string File;      // relative to the test folder; "" for an empty path
  bool Embedded;
  const char* Class;     // the manager's class; nullptr for none
  Lines Errors;          // the error lines, in order (the folder is $)
};

TEST(AppletLaunch, TheManagerFollowsTheExtension) {
  const std::vector<TResManCase> cases = {
      {"a text object file", "game/main.object", false, "TFolderResourceMan", {}},
      {"a binary object file, extension in capitals", "game/MAIN.BIN", false, "TFolderResourceMan", {}},
      {"a container file", "game.applet", false, "TVirtualFileSystemResMan", {}},
      {"a missing container file", "none.applet", false, nullptr, {}},
      {"a folder that is not there", "none/main.object", false, nullptr, {"(e) Resource manager not actived"}},
      {"another extension", "game/main.txt", false, nullptr, {"(e) Unsupported Applet type :$game/main.txt"}},
      {"no extension", "game/main", false, nullptr, {"(e) Unsupported Applet type :$game/main"}},
      {"another extension, embedded: a container", "game.applet2", true, "TVirtualFileSystemResMan", {}},
      {"another extension, embedded, no container", "game/main.txt", true, nullptr,
       {"(e) Unsupported file system ", "(e) Unsupported Applet type :$game/main.txt"}},
      {"no path", "", false, nullptr, {}},
  };
  for (const TResManCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TLaunchEnv env;
    env.Put("game/main.object", kLaunchRoot);
    env.Put("game/main.txt", kLaunchRoot);
    MakeContainer(env.PathOf("game.applet"), {{"main.object", kLaunchRoot}});
    std::filesystem::copy_file(env.PathOf("game.applet"), env.PathOf("game.applet2"));
    SomeEngine* engine = env.StartWithoutLaunch({});
    engine->SetEmbedded(c.Embedded);
    const std::size_t before = env.Messages().size();
    TOwned<TResourceMan> resMan(engine->CreateAppletResMan(c.File.empty() ? "" : env.PathOf(c.File)));
    EXPECT_EQ(resMan ? resMan->ClassName() : std::string("none"), c.Class ? c.Class : "none");
    if (resMan) {
      EXPECT_TRUE(resMan->Active());
    }
    Lines errors;
    const Lines lines = env.Messages();
    for (std::size_t i = before; i < lines.size(); ++i)
      if (lines[i].starts_with("(e) ")) errors.push_back(lines[i]);
    Lines expected;
    for (std::string e : c.Errors) {
      if (const std::size_t at = e.find('$'); at != std::string::npos) e.replace(at, 1, env.folder);
      expected.push_back(e);
    }
    EXPECT_EQ(errors, expected);
  }
}

TEST(AppletLaunch, TheDefaultAppletLogIsNamedAfterTheProgram) {
  struct TCase {
    std::vector<std::string> Arguments;
    const char* LogName;
  };
  const std::vector<TCase> cases = {{{"default_applet"}, "corvanedx.log"}, {{"-ogl", "default_applet"}, "corvane.log"}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.LogName);
    TLaunchEnv env;
    env.Embed("default_applet", {{"main.object", kLaunchRoot}});
    test::TInFolder inFolder(env.folder);
    SomeEngine* engine = env.Start(c.Arguments);
    ASSERT_EQ(engine->count(), 1);
    EXPECT_EQ(engine->LogFileName(), c.LogName);
    EXPECT_TRUE(env.Exists(c.LogName));
    env.Finish();
    EXPECT_FALSE(env.Exists(std::string(c.LogName).substr(0, std::string(c.LogName).size() - 3) + "run"));
  }
}

// Launches that cannot run: nothing of them stays, every manager made is
// freed once, and the log says why.
struct TFailedCase {
  const char* Name;
  std::string Root;  // main.object's text; "" for no file
  bool WithoutDevice;
  Lines Expected;    // in order, among the launch's lines ($ is main.object's path)
};

TEST(AppletLaunch, FailedLaunchesLeaveNothing) {
  const std::vector<TFailedCase> cases = {
      {"no root file", "", false, {"(e) Application's resource manager not exists",
                                   "(i) Resource manager TFolderResourceMan closed"}},
      {"a root that is no applet", "object x: BaseObject\nend\n", false,
       {"(e) Applet $ can't loaded.", "(i) Resource manager TFolderResourceMan closed"}},
      {"a root that does not load", "object x: BaseObject\n  broken = \n", false,
       {"(e) Applet $ can't loaded.", "(i) Resource manager TFolderResourceMan closed"}},
      {"an applet without a device", kLaunchRoot, true,
       {"(e) Applet $ can't loaded.", "(i) Resource manager TFolderResourceMan closed"}},
  };
  for (const TFailedCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TLaunchEnv env;
    test::gLaunchWithoutDevice = c.WithoutDevice;
    if (!c.Root.empty()) env.Put("main.object", c.Root);
    env.Put("keep.txt", "");
    const std::string path = env.PathOf("main.object");
    SomeEngine* engine = env.Start({"-nostorelog", path});
    EXPECT_EQ(engine->count(), 0);
    EXPECT_EQ(engine->RunApplet(path), nullptr);
    const Lines lines = env.Messages();
    // Both launches (start-up and the call) report the same.
    int from = 0;
    for (int launch = 0; launch < 2; ++launch) {
      for (std::string e : c.Expected) {
        if (const std::size_t at = e.find('$'); at != std::string::npos) e.replace(at, 1, path);
        const int at = TLaunchEnv::Find(lines, e, from);
        EXPECT_GE(at, 0) << e;
        if (at >= 0) from = at + 1;
      }
    }
    EXPECT_EQ(CountOf(lines, "(i) Resource manager TFolderResourceMan starded"), 2);
    EXPECT_EQ(CountOf(lines, "(i) Resource manager TFolderResourceMan closed"), 2);
    EXPECT_FALSE(env.Exists("main.run"));
    env.Finish();
  }
}

}  // namespace
}  // namespace corvane
