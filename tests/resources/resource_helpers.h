// What the resource-manager and object-storage tests share: a temporary
// folder tree removed afterwards, whole-file reads and writes, file times
// set explicitly, and a test world whose applet reads a folder.
#pragma once

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "base/lists/string_list.h"
#include "base/reflection/object.h"
#include "base/streams/resource_man.h"
#include "base/text/text_convert.h"
#include "resources/cache/register.h"
#include "resources/folder_res_man.h"
#include "tests/support/kit/test_world.h"

namespace corvane::test {

// A fresh folder under the system's temporary folder; gone with the object.
class TTempDir {
 public:
  TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-res-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    path_ = pattern + "/";
  }
  ~TTempDir() {
    std::error_code error;
    // Read-only folders made by a test must not stop the clean-up.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
      if (it->is_directory(error) && !it->is_symlink(error)) chmod(it->path().c_str(), 0755);
    }
    std::filesystem::remove_all(path_, error);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The folder, with a trailing "/".
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool PathExists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

// Sets a file's access and change times to a Unix time.
inline void SetFileTime(const std::string& path, std::time_t time) {
  timeval times[2] = {{time, 0}, {time, 0}};
  utimes(path.c_str(), times);
}

// A whole stream as bytes, from its start.
inline std::string StreamText(TStream& stream) {
  std::string bytes(static_cast<std::size_t>(stream.Size()), '\0');
  stream.SetPosition(0);
  stream.Read(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  return bytes;
}

// What a manager serves under a name, or "<none>".
inline std::string ReadThrough(TResourceMan& man, const std::string& name) {
  std::unique_ptr<TStream> stream = man.CreateStream(name, 0);
  return stream ? StreamText(*stream) : "<none>";
}

// A manager freed through Free().
template <class T>
using TManPtr = TOwned<T>;

template <class T>
TManPtr<T> MakeMan(const std::string& root) {
  return TManPtr<T>(CreateResMan<T>(root));
}

// The engine, a test applet reading a folder, and the resources services
// (object storage installed as the tree's loader).
class TFolderWorld {
 public:
  TFolderWorld() : man(MakeMan<TFolderResourceMan>(dir.Path())) {
    world = std::make_unique<TTestWorld>();
    RegisterResourceServices();
    world->applet->SetResMan(man.get());
  }
  ~TFolderWorld() { world.reset(); }

  TTempDir dir;
  TManPtr<TFolderResourceMan> man;
  std::unique_ptr<TTestWorld> world;

  TCaptureLog& Log() const { return world->log; }
  void Write(const std::string& name, const std::string& bytes) const { WriteFile(dir / name, bytes); }
};

}  // namespace corvane::test
