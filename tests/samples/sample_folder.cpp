#include "tests/samples/sample_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

#include "base/lists/wide_string_list.h"
#include "base/streams/file_stream.h"
#include "base/text/text_convert.h"

namespace corvane::test {

namespace fs = std::filesystem;

namespace {

// What a run leaves beside the applet; never copied from the build's
// folder, where a developer's own runs leave them.
const std::set<std::string> kRunFiles = {".log", ".run", ".prefs", ".score", ".bin", ".jsbin", ".rec"};

}  // namespace

const std::vector<std::string> kSampleGameLines = {
    "hello Player, run 1",
    "timer running",
    "redCrate landed, score 5",
    "tealCrate landed, score 10",
    "music choice Tracker tune",
    "sound volume 50",
    "sound volume 45",
    "sound volume 40",
    "picture form.png",
    "inspector shown",
    "picture inspector.png",
    "music off",
    "playing as Ada, inspector closed",
    "click, score 20",
    "click, score 30",
    "points 30",
    "picture console.png",
    "explosion",
    "picture scene.png",
    "tracker tune",
    "final score 30 for Ada",
};

const std::vector<std::string> kDiskAudio = {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=audio.raw"};

bool Holds(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> LinesAfter(const std::string& output, const std::string& mark) {
  std::vector<std::string> lines;
  for (std::size_t at = output.find(mark); at != std::string::npos; at = output.find(mark, at)) {
    at += mark.size();
    lines.push_back(output.substr(at, output.find('\n', at) - at));
  }
  return lines;
}

bool TSampleFolder::CopySample() const {
  if (!fs::exists(CORVANE_SAMPLE_DIR "/main.object")) return false;
  fs::create_directories(path_);
  for (const fs::directory_entry& entry : fs::directory_iterator(CORVANE_SAMPLE_DIR)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory()) fs::create_directory(*this / name);
    else if (entry.is_regular_file() && !kRunFiles.contains(entry.path().extension().string()))
      fs::copy_file(entry.path(), *this / name);
  }
  return true;
}

TProgramLaunch TSampleFolder::Launch(const std::vector<std::string>& arguments,
                                     const std::vector<std::string>& environment) const {
  std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "DISPLAY", "WAYLAND_DISPLAY"};
  env.insert(env.end(), kDiskAudio.begin(), kDiskAudio.end());
  env.insert(env.end(), environment.begin(), environment.end());
  return {.program = CORVANE_PROGRAM, .arguments = arguments, .environment = env, .folder = path_, .polls = 2400};
}

TProgramRun TSampleFolder::Run(const std::vector<std::string>& arguments, const std::string& until) const {
  TProgramLaunch launch = Launch(arguments);
  launch.until = until;
  return RunProgram(launch);
}

TProgramRun TSampleFolder::Play(const TSampleRecording& recording) const {
  fs::copy_file(recording.file, *this / "input.rec", fs::copy_options::overwrite_existing);
  std::vector<std::string> arguments = {*this / "main.object", "-fixedstep", "+play=input.rec"};
  for (const TSampleShot& shot : recording.shots)
    arguments.push_back("+shot=" + std::to_string(shot.frame) + ":" + shot.name + ".png");
  return Run(arguments);
}

std::vector<std::string> TSampleFolder::StoredLines(const std::string& name) const {
  std::vector<std::string> lines;
  std::unique_ptr<TFileStream> stream = TFileStream::Open(*this / name, fmOpenRead);
  TOwned<TWideStringList> list(Create<TWideStringList>());
  if (!stream || !list->LoadFromStreamEncrypt(*stream)) return lines;
  for (std::int32_t i = 0; i < list->Count(); ++i) lines.push_back(Utf16ToUtf8(list->Strings(i)));
  return lines;
}

}  // namespace corvane::test
