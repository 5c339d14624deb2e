// corvane_pack: packs files of a folder into a new ".applet" container, so
// that an applet made as a folder also ships as one file.
//
//   corvane_pack OUTPUT.applet FOLDER [NAME...]
//
// Each NAME is a path relative to FOLDER ("media/floor.png" goes into the
// container's "media" directory; a NAME that is a folder is made as a
// directory, empty or not, without its files); without names, every
// folder and regular file under FOLDER is packed. Entries carry one fixed date, so the same files always
// pack to the same bytes. The container is written beside OUTPUT and put in
// its place only when complete; the exit status is 0 then, 1 otherwise.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "base/streams/file_stream.h"
#include "resources/container/container_dates.h"
#include "resources/container/container_file_system.h"

namespace {

namespace fs = std::filesystem;
using namespace corvane;

// 2000-01-01 00:00 in the container's day count.
constexpr double kPackDate = 36526.0;

int Fail(const std::string& message) {
  std::fprintf(stderr, "corvane_pack: %s\n", message.c_str());
  return 1;
}

std::vector<std::string> EveryFileUnder(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file() || entry.is_directory())
      names.push_back(fs::relative(entry.path(), folder).generic_string());
  std::ranges::sort(names);
  return names;
}

bool PackFile(TFileSystem& container, const fs::path& source, const std::string& name) {
  std::string inside = name;
  std::ranges::replace(inside, '/', '\\');
  std::error_code error;
  if (fs::is_directory(source, error)) return container.ForceDir(inside);
  std::ifstream in(source, std::ios::binary);
  if (!in) return false;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() > 0xFFFFFFFFu) return false;
  TFile* file = container.CreateFile(inside);
  if (!file) return false;
  const auto size = static_cast<std::uint32_t>(bytes.size());
  const bool written = size == 0 || container.Write(file, bytes.data(), size) == size;
  container.CloseFile(file);
  return written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Fail("usage: corvane_pack OUTPUT.applet FOLDER [NAME...]");
  const std::string output = argv[1];
  const fs::path folder = argv[2];
  std::error_code error;
  if (!fs::is_directory(folder, error)) return Fail("no folder " + folder.string());
  const std::vector<std::string> names =
      argc > 3 ? std::vector<std::string>(argv + 3, argv + argc) : EveryFileUnder(folder);

  SetContainerClock([] { return kPackDate; });
  std::string reason;
  std::unique_ptr<TFileStream> stream = TFileStream::Open(output, fmCreate, &reason);
  if (!stream) return Fail("can't create " + output + ": " + reason);
  bool packed = true;
  {
    std::unique_ptr<TFileSystem> container = TFileSystem::CreateEmpty(*stream, false, false);
    packed = container && container->Root();
    for (const std::string& name : names) {
      if (!packed) break;
      packed = PackFile(*container, folder / name, name);
      if (!packed) reason = "can't pack " + name;
    }
  }
  if (!packed) {
    stream->Abandon();
    return Fail(reason.empty() ? "can't write " + output : reason);
  }
  if (!stream->Close()) return Fail("can't write " + output + ": " + stream->LastError());
  return 0;
}
