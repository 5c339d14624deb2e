#include "script/script_engine.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/reflection/class_builder.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TScript)
CORVANE_IMPLEMENT_CLASS(TScriptEngine)

TClass ScriptEngineClass = nullptr;

namespace {
std::uint64_t gScriptHeapLimit = kDefaultScriptHeapBytes;
std::int64_t gScriptTextLimit = kDefaultScriptTextCharacters;
}  // namespace

std::uint64_t ScriptHeapLimit() { return gScriptHeapLimit; }

void SetScriptHeapLimit(std::uint64_t bytes) {
  gScriptHeapLimit = std::clamp(bytes, kMinScriptHeapBytes, kMaxScriptHeapBytes);
}

std::int64_t ScriptTextLimit() { return gScriptTextLimit; }

void SetScriptTextLimit(std::int64_t characters) { gScriptTextLimit = std::max<std::int64_t>(characters, 1); }

namespace {

std::vector<std::pair<std::string, TClass>>& Registry() {
  static std::vector<std::pair<std::string, TClass>> registry;
  return registry;
}

}  // namespace

void RegisterScript(const std::string& key, TClass cls) {
  if (!cls || RegisteredScriptEngine(key)) return;
  Registry().emplace_back(key, cls);
}

TClass RegisteredScriptEngine(const std::string& key) {
  for (const auto& [name, cls] : Registry())
    if (SameText(name, key)) return cls;
  return nullptr;
}

}  // namespace corvane
