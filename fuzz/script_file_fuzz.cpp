// Feeds arbitrary bytes to the engine's whole script-file load path
// (LoadScript over a resource manager in memory, the user's secret in a
// folder of the run's own). The first byte picks the case:
//   0: the bytes as a ".jsbin" alone: never authentic, always refused
//      before the library's decoder sees them;
//   1: the bytes as a ".js" source (inside a function, so that nothing of
//      it runs): compiled, signed and stored, then loaded from that file;
//   2: a source compiled and stored by the engine itself, its ".jsbin"
//      then damaged as the bytes say (or left whole): a damaged file is
//      refused (and replaced from the source); a whole one reaches the
//      decoder, which is the only way bytes ever reach it.
// None may crash, hang or take memory without bound.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "fuzz/script_fuzz_setup.h"
#include "script/js/js_engine.h"

namespace {

using namespace corvane;

// Files in memory; what is written lands in the map when its stream goes.
class TFuzzResMan final : public TResourceMan {
 public:
  TFuzzResMan() : TResourceMan(TCreateContext()) {}
  std::unique_ptr<TStream> CreateStream(const std::string& name, std::uint16_t mode) override {
    if (mode != 0) return std::make_unique<TStored>(files[name]);
    auto found = files.find(name);
    if (found == files.end()) return nullptr;
    return std::make_unique<TMemoryStream>(std::span<const char>(found->second.data(), found->second.size()));
  }
  bool StreamExists(const std::string& name) override { return files.count(name) != 0; }
  std::int32_t FileDate(const std::string&) override { return 0; }

  std::map<std::string, std::string> files;

 private:
  class TStored final : public TMemoryStream {
   public:
    explicit TStored(std::string& target) : target_(target) {}
    ~TStored() override { target_.assign(Memory(), static_cast<std::size_t>(Size())); }

   private:
    std::string& target_;
  };
};

TJavaScriptEngine* gEngine = nullptr;

void Load(TFuzzResMan& files) {
  if (TScript* script = gEngine->LoadScript(&files, u"fuzz.js")) gEngine->FreeScript(script);
}

}  // namespace

// One engine for the whole run.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::StartScriptFuzzing();
  gEngine = Create<TJavaScriptEngine>(TCreateContext());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!gEngine || !gEngine->Context() || size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  TFuzzResMan files;
  switch (data[0] % 3) {
    case 0:
      files.files["fuzz.jsbin"] = std::string(bytes);
      if (TScript* script = gEngine->LoadScript(&files, u"fuzz.js")) {
        (void)script;
        __builtin_trap();  // nothing foreign is ever decoded
      }
      return 0;
    case 1:
      files.files["fuzz.js"] = "function fuzzed() {\n" + std::string(bytes) + "\n}\n";
      Load(files);
      files.files.erase("fuzz.js");
      Load(files);
      return 0;
    default: {
      files.files["fuzz.js"] = "function kept(a) { return [a, {b: a * 2}, 'text' + a]; }\nvar top = kept(3);\n";
      Load(files);
      std::string& compiled = files.files["fuzz.jsbin"];
      if (compiled.empty()) __builtin_trap();  // the engine always keeps what it compiled
      // Pairs of (position, xor mask); a trailing odd byte cuts the file.
      for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const std::size_t at = static_cast<unsigned char>(bytes[i]) * compiled.size() / 256;
        compiled[at] = static_cast<char>(compiled[at] ^ bytes[i + 1]);
      }
      if (bytes.size() % 2 == 1) compiled.resize(static_cast<unsigned char>(bytes.back()) * compiled.size() / 256);
      const std::string damaged = compiled;
      files.files.erase("fuzz.js");
      Load(files);
      files.files["fuzz.js"] = "var replaced = 1;\n";
      files.files["fuzz.jsbin"] = damaged;
      Load(files);
      return 0;
    }
  }
}
