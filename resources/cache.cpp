#include "resources/cache.h"

#include <algorithm>

#include "base/class_builder.h"
#include "base/engine_log.h"
#include "base/good_text.h"
#include "base/memory_stream.h"
#include "engine/applet.h"
#include "script/script_engine.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TCache)

TCache::TCache(const TCreateContext& context) : BaseObject(context) {}

TCache::~TCache() = default;

void TCache::BeforeDestruction() {
  Clear();
  EngineLog(u"cleared");
  EngineLog(u"mesh ok");
  // Scripts still held are released through the script engine that made
  // them, so that nothing outlives the applet.
  TScriptEngine* engine = GetApplet() ? GetApplet()->ScriptEngine() : nullptr;
  for (auto it = scripts_.rbegin(); it != scripts_.rend(); ++it)
    if (engine) engine->FreeScript(it->Script);
  scripts_.clear();
  EngineLog(u"script ok");
  EngineLog(u"stream ok");
  EngineLog(u"sound ok");
  EngineLog(u"music ok");
  EngineLog(u"pixmap ok");
  EngineLog(u"font ok");
  BaseObject::BeforeDestruction();
}

TScript* TCache::LoadScript(TResourceMan* resMan, const std::u16string& name) {
  for (TScriptEntry& e : scripts_)
    if (GOODCompareText(e.Name, name) == 0) {
      ++e.Script->RefCount;
      return e.Script;
    }
  TScriptEngine* engine = GetApplet() ? GetApplet()->ScriptEngine() : nullptr;
  TScript* script = engine ? engine->LoadScript(resMan, name) : nullptr;
  if (!script) return nullptr;
  scripts_.push_back({name, script});
  ++script->RefCount;
  return script;
}

void TCache::FreeScript(TScript* script) {
  if (!script) return;
  const auto it = std::find_if(scripts_.begin(), scripts_.end(), [&](const TScriptEntry& e) { return e.Script == script; });
  if (it == scripts_.end()) return;
  if (--script->RefCount > 0) return;
  scripts_.erase(it);
  if (TScriptEngine* engine = GetApplet() ? GetApplet()->ScriptEngine() : nullptr) engine->FreeScript(script);
}

void TCache::AddStream(TResourceMan*, const std::u16string& name, TStream& stream) {
  for (const TStreamEntry& e : streams_)
    if (GOODCompareText(e.Name, name) == 0) return;
  std::unique_ptr<TMemoryStream, TObjectDeleter> copy(new TMemoryStream());
  copy->LoadFromStream(stream);
  streams_.push_back({name, std::move(copy), 0});
}

TStream* TCache::LoadStream(TResourceMan*, const std::u16string& name) {
  for (TStreamEntry& e : streams_)
    if (GOODCompareText(e.Name, name) == 0) {
      e.Stream->SetPosition(0);
      ++e.Count;
      return e.Stream.get();
    }
  return nullptr;
}

void TCache::FreeStream(const std::u16string& name) {
  const auto it = std::find_if(streams_.begin(), streams_.end(),
                               [&](const TStreamEntry& e) { return GOODCompareText(e.Name, name) == 0; });
  if (it == streams_.end()) return;
  if (--it->Count > 0) return;
  EngineLog(u"delete from cache " + name);
  streams_.erase(it);
}

std::int32_t TCache::StreamRefCount(const std::u16string& name) const {
  for (const TStreamEntry& e : streams_)
    if (GOODCompareText(e.Name, name) == 0) return e.Count;
  return -1;
}

void TCache::Clear() { streams_.clear(); }

}  // namespace corvane
