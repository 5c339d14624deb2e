// For tests of the program as a whole: the classes a program registers, the
// null platform (whose windows exist in memory), a command line, a fresh
// folder for the applet's files, and the engine made and freed as the
// program does it. The engine's own log list is read back without the times.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/reflection/class_registry.h"
#include "base/streams/file_stream.h"
#include "base/streams/resource_man.h"
#include "base/system/file_utils.h"
#include "base/text/text_convert.h"
#include "engine/shell/engine.h"
#include "engine/shell/engine_log.h"
#include "engine/shell/register.h"
#include "gui/register.h"
#include "platform/device.h"
#include "platform/register.h"
#include "platform/window.h"
#include "resources/cache/register.h"
#include "resources/embedded_res_man.h"
#include "resources/vfs_res_man.h"
#include "scene/particles/register.h"
#include "scene/register.h"
#include "tests/support/file_bytes.h"
#include "tests/support/kit/null_platform.h"
#include "tests/support/kit/recording_device.h"
#include "tests/support/kit/test_applet.h"

namespace corvane::test {

// Writes a container file holding the files given (name, bytes).
inline void MakeContainer(const std::string& path, const std::vector<std::pair<std::string, std::string>>& files) {
  TOwned<TVirtualFileSystemResMan> container(TVirtualFileSystemResMan::CreateEmpty(path));
  ASSERT_TRUE(container->Active());
  for (const auto& [name, bytes] : files) {
    std::unique_ptr<TStream> stream = container->CreateStream(name, fmCreate);
    ASSERT_NE(stream, nullptr) << name;
    ASSERT_EQ(stream->Write(bytes.data(), static_cast<std::int64_t>(bytes.size())),
              static_cast<std::int64_t>(bytes.size()));
  }
}

namespace {

// A stand-in root for launches: takes the launcher's resource manager (and
// frees it when it goes) and gets a recording device, unless a test wants
// a root without one.
inline bool gLaunchWithoutDevice = false;

class TLaunchApplet : public TTestApplet {
  CORVANE_CLASS(TLaunchApplet, TTestApplet)
  explicit TLaunchApplet(const TCreateContext& context) : TTestApplet(context) {
    if (ResMan() != context.ResMan) {
      SetResMan(context.ResMan);
      ownsResMan_ = true;
    }
    if (!gLaunchWithoutDevice) UseRecordingDevice();
  }
  void BeforeDestruction() override {
    TTestApplet::BeforeDestruction();
    if (ownsResMan_) FreeAndNil(resMan_);
  }

 private:
  bool ownsResMan_ = false;
};
CORVANE_IMPLEMENT_CLASS(TLaunchApplet)

class TLaunchEnv {
 public:
  // With recordingDevices, the recording device is the default device class.
  explicit TLaunchEnv(bool recordingDevices = false)
      : previousPlatform_(PlatformClass),
        previousDevice_(DefaultDevice),
        storeLog_(StoreLog),
        writeMode_(WriteMode),
        useOGL_(UseOGL) {
    FinalizeClassRegistry();
    RegisterEngineClasses();
    RegisterSceneClasses();
    RegisterGuiClasses();
    RegisterParticleClasses();
    RegisterResourceServices();
    RegisterPlatformClasses();
    RegisterClasses({TLaunchApplet::StaticClass()});
    PlatformClass = TNullPlatform::StaticClass();
    if (recordingDevices) UseRecordingDevices();
    folder = MakeTempFolder("corvane-launch-");
  }
  ~TLaunchEnv() {
    Finish();
    SetCommandLine(0, nullptr);
    PlatformClass = previousPlatform_;
    DefaultDevice = previousDevice_;
    StoreLog = storeLog_;
    WriteMode = writeMode_;
    UseOGL = useOGL_;
    gLaunchWithoutDevice = false;
    FinalizeClassRegistry();
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
  TLaunchEnv(const TLaunchEnv&) = delete;
  TLaunchEnv& operator=(const TLaunchEnv&) = delete;

  // The engine as `corvane <arguments>` makes it (argument 0 is "corvane").
  SomeEngine* Start(const std::vector<std::string>& arguments) {
    arguments_ = {"corvane"};
    arguments_.insert(arguments_.end(), arguments.begin(), arguments.end());
    argv_.clear();
    for (std::string& argument : arguments_) argv_.push_back(argument.data());
    SetCommandLine(static_cast<int>(argv_.size()), argv_.data());
    engine = Create<SomeEngine>();
    return engine;
  }
  // The same, but the start-up launches nothing (the engine of a host).
  SomeEngine* StartWithoutLaunch(const std::vector<std::string>& arguments) {
    DisableParams = true;
    Start(arguments);
    DisableParams = false;
    return engine;
  }
  // Frees the engine (after its messages were kept in `messages`).
  void Finish() {
    if (!engine) return;
    TakeMessages();
    engine->Free();
    engine = nullptr;
  }
  TNullPlatform& Platform() const { return *static_cast<TNullPlatform*>(engine->Platform()); }

  // The engine's log so far, each line "(i) text" / "(e) text".
  std::vector<std::string> Messages() const {
    std::vector<std::string> lines;
    const TLogLines& list = engine->LogBook().LogList;
    for (int i = 0; i < list.Count(); ++i) lines.push_back(WithoutTime(list.Get(i)));
    return lines;
  }
  void TakeMessages() { messages = Messages(); }
  // Index of the first message equal to text at or after from; -1 when none.
  static int Find(const std::vector<std::string>& lines, const std::string& text, int from = 0) {
    for (int i = from; i < static_cast<int>(lines.size()); ++i)
      if (lines[static_cast<std::size_t>(i)] == text) return i;
    return -1;
  }
  static std::string WithoutTime(const std::string& line) { return line.size() > 9 ? line.substr(9) : line; }

  // A log file split into lines without the times; fails unless every line
  // ends with CR LF.
  static std::vector<std::string> LogFileLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
      const std::size_t end = bytes.find("\r\n", start);
      EXPECT_NE(end, std::string::npos) << "no CR LF after: " << bytes.substr(start);
      if (end == std::string::npos) break;
      const std::string line = bytes.substr(start, end - start);
      EXPECT_EQ(line.find('\n'), std::string::npos) << line;
      lines.push_back(WithoutTime(line));
      start = end + 2;
    }
    return lines;
  }

  // Files of the applet folder.
  std::string PathOf(const std::string& name) const { return folder + name; }
  void Put(const std::string& name, const std::string& bytes) const {
    std::filesystem::create_directories(std::filesystem::path(PathOf(name)).parent_path());
    WriteFileBytes(PathOf(name), bytes);
  }
  std::optional<std::string> Bytes(const std::string& name) const { return ReadFileBytes(PathOf(name)); }
  // A container holding the files, carried in the executable under the name.
  void Embed(const std::string& name, const std::vector<std::pair<std::string, std::string>>& files) const {
    MakeContainer(PathOf(name), files);
    const std::string bytes = Bytes(name).value_or("");
    AddResource(name, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    std::filesystem::remove(PathOf(name));
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(PathOf(name)); }
  // The recording device as the default device class (registered once per
  // process; the registry of device classes has no removal).
  static void UseRecordingDevices() {
    static const std::int32_t index = RegisterDevice(DeviceClassOf<TRecordingDevice>());
    DefaultDevice = index;
  }

  SomeEngine* engine = nullptr;
  std::string folder;
  std::vector<std::string> messages;

 private:
  TClass previousPlatform_;
  std::int32_t previousDevice_;
  bool storeLog_;
  bool writeMode_;
  bool useOGL_;
  std::vector<std::string> arguments_;
  std::vector<char*> argv_;
};

}  // namespace

// While it lives, the working folder is the one given (names without a
// folder land there).
class TInFolder {
 public:
  explicit TInFolder(const std::string& folder) {
    if (!getcwd(previous_, sizeof previous_)) previous_[0] = '\0';
    EXPECT_EQ(chdir(folder.c_str()), 0);
  }
  ~TInFolder() {
    if (previous_[0]) {
      EXPECT_EQ(chdir(previous_), 0);
    }
  }
  TInFolder(const TInFolder&) = delete;
  TInFolder& operator=(const TInFolder&) = delete;

 private:
  char previous_[PATH_MAX];
};

}  // namespace corvane::test
