// The program's start-up and shutdown: the command line, the log of a
// failed launch, the running marker without a log file, and the program
// without a platform (a whole run's log is checked with the real applet).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/lists/wide_string_list.h"
#include "resources/vfs_res_man.h"
#include "tests/engine/shell/applet_launch_kit.h"

namespace corvane {
namespace {

using test::TLaunchEnv;
using Lines = std::vector<std::string>;

struct TCommandLineCase {
  const char* Name;
  std::vector<std::string> Arguments;
  std::vector<std::u16string> Params;
  bool WriteMode;
  bool UseOGL;
  bool StoreLog;
  std::string Launched;  // the path launched by parameter; "" for the folder applet
};

TEST(EngineStartup, CommandLine) {
  const std::string x = "/nonexistent/x/main.object";
  const std::vector<TCommandLineCase> cases = {
      {"options, parameters and a path", {"-ogl", "+level=3", "+difficulty=hard", x},
       {u"level=3", u"difficulty=hard"}, false, true, true, x},
      {"the last path wins", {"/nonexistent/a.object", x}, {}, false, false, true, x},
      {"options are whole words with case", {"-OGL", "-writemodes", "-nostorelog", "-x", x}, {}, false, false, false, x},
      {"the last of the log options wins", {"-nostorelog", "-storelog", "-writemode", x}, {}, true, false, true, x},
      {"an empty argument clears the path", {"-nostorelog", x, ""}, {}, false, false, false, ""},
      {"a parameter may be empty", {"+", "-nostorelog"}, {u""}, false, false, false, ""},
      {"a parameter with a space", {"-nostorelog", "+a b", x}, {u"a b"}, false, false, false, x},
  };
  for (const TCommandLineCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TLaunchEnv env;
    SomeEngine* engine = env.Start(c.Arguments);
    const Lines lines = env.Messages();
    // Every argument is logged first, as it was given.
    Lines head = {"(i) === Corvane engine 2.0 started ===", "(i) executable name corvane", "(i) param 0 corvane"};
    for (std::size_t i = 0; i < c.Arguments.size(); ++i)
      head.push_back("(i) param " + std::to_string(i + 1) + " " + c.Arguments[i]);
    ASSERT_GE(lines.size(), head.size());
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + static_cast<long>(head.size())), head);
    EXPECT_EQ(WriteMode, c.WriteMode);
    EXPECT_EQ(UseOGL, c.UseOGL);
    EXPECT_EQ(StoreLog, c.StoreLog);
    std::vector<std::u16string> params;
    for (int i = 0; i < engine->Params()->Count(); ++i) params.push_back(engine->Params()->Get(i));
    EXPECT_EQ(params, c.Params);
    for (std::size_t i = 0; i < c.Params.size(); ++i)
      EXPECT_GE(TLaunchEnv::Find(lines, "(i) Param " + std::to_string(i + 1) + " = " + Utf16ToUtf8(c.Params[i])), 0);
    if (!c.Launched.empty()) {
      const int by = TLaunchEnv::Find(lines, "(i) Launch Applet by param");
      EXPECT_GE(by, 0);
      EXPECT_EQ(TLaunchEnv::Find(lines, "(i) Trying to load " + c.Launched), by + 1);
      EXPECT_EQ(TLaunchEnv::Find(lines, "(i) Trying to load /nonexistent/a.object"), -1);
    } else {
      EXPECT_GE(TLaunchEnv::Find(lines, "(i) Launch folder Applet"), 0);
      EXPECT_EQ(TLaunchEnv::Find(lines, "(i) Trying to load " + x), -1);
    }
  }
}

TEST(EngineStartup, WithoutAPlatformNothingIsLaunched) {
  TLaunchEnv env;
  PlatformClass = nullptr;
  env.Put("main.object", "object app: TLaunchApplet\nend\n");
  SomeEngine* engine = env.Start({env.PathOf("main.object")});
  EXPECT_EQ(engine->Platform(), nullptr);
  EXPECT_EQ(engine->count(), 0);
  EXPECT_EQ(env.Messages(), (Lines{"(i) === Corvane engine 2.0 started ===", "(i) executable name corvane",
                                   "(i) param 0 corvane", "(i) param 1 " + env.PathOf("main.object"),
                                   "(e) No platform registered"}));
  env.Finish();
  EXPECT_EQ(env.messages.size(), 5u);
  EXPECT_FALSE(env.Exists("main.log"));
  EXPECT_FALSE(env.Exists("main.bin"));
}

TEST(EngineStartup, AFailedLaunchKeepsTheLogOfTheEarlierRun) {
  TLaunchEnv env;
  env.Put("main.object", "object notAnApplet: BaseObject\nend\n");
  env.Put("main.log", "12:00:00 (i) an earlier run\r\n");
  const std::string path = env.PathOf("main.object");
  SomeEngine* engine = env.Start({path});
  EXPECT_EQ(engine->count(), 0);
  EXPECT_TRUE(engine->RunFileName().empty());
  EXPECT_FALSE(env.Exists("main.run"));
  engine->Run();
  env.Finish();

  const Lines lines = TLaunchEnv::LogFileLines(env.Bytes("main.log").value_or(""));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines.front(), "(i) an earlier run");
  // The lines from the moment the log was named on.
  EXPECT_EQ(lines[1], "(i) Set external resource path to " + env.folder);
  EXPECT_GE(TLaunchEnv::Find(lines, "(e) Applet " + path + " can't loaded."), 2);
  EXPECT_EQ(lines.back(), "(i) === Corvane engine 2.0 finished ===");
  EXPECT_EQ(TLaunchEnv::Find(lines, "(i) === Corvane engine 2.0 started ==="), -1);
  EXPECT_FALSE(env.Exists("main.run"));
}

TEST(EngineStartup, WithoutStoreLogNoFileButTheMarker) {
  TLaunchEnv env;
  env.Put("main.object", "object app: TLaunchApplet\nend\n");
  SomeEngine* engine = env.Start({"-nostorelog", env.PathOf("main.object")});
  ASSERT_EQ(engine->count(), 1);
  EXPECT_EQ(engine->LogFileName(), env.PathOf("main.log"));
  EXPECT_TRUE(env.Exists("main.run"));
  EXPECT_FALSE(env.Exists("main.log"));
  env.Finish();
  EXPECT_FALSE(env.Exists("main.run"));
  EXPECT_FALSE(env.Exists("main.log"));
}

}  // namespace
}  // namespace corvane
