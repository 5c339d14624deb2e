#include "tests/support/kit/filter_world.h"

#include <sys/time.h>

#include <filesystem>

#include "resources/folder_res_man.h"
#include "tests/support/file_bytes.h"
#include "tests/support/kit/recording_device.h"

namespace corvane::test {

// The world registered the filters.
TFilterWorld::TFilterWorld() {
  folder = MakeTempFolder("corvane-filter-");
  resMan = CreateResMan<TFolderResourceMan>(folder);
  device = world.applet->UseRecordingDevice();
  TCreateContext context;
  context.Applet = world.applet;
  filter = Create<TFilter>(context);
  world.log.Clear();  // tests read what the filters write
}

TFilterWorld::~TFilterWorld() {
  FreeAndNil(filter);
  FreeAndNil(resMan);
  std::error_code ignored;
  if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
}

void TFilterWorld::Put(const std::string& name, const std::string& bytes) const { WriteFileBytes(PathOf(name), bytes); }

std::optional<std::string> TFilterWorld::Bytes(const std::string& name) const { return ReadFileBytes(PathOf(name)); }

bool TFilterWorld::Exists(const std::string& name) const { return std::filesystem::exists(PathOf(name)); }

void TFilterWorld::Remove(const std::string& name) const {
  std::error_code ignored;
  std::filesystem::remove(PathOf(name), ignored);
}

void TFilterWorld::SetTime(const std::string& name, std::time_t time) const {
  const timeval times[2] = {{time, 0}, {time, 0}};
  utimes(PathOf(name).c_str(), times);
}

}  // namespace corvane::test
