// TCache: the applet's store of shared resources. A second object asking
// for the same name gets the same object, each shared object carries a
// reference count, and the last release destroys it. Names match without
// regard to case.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/base_object.h"

namespace corvane {

class TMemoryStream;
class TResourceMan;
class TScript;
class TStream;

class TCache : public BaseObject {
  CORVANE_CLASS(TCache, BaseObject)
  explicit TCache(const TCreateContext& context);
  ~TCache() override;
  void BeforeDestruction() override;

  // Compiled scripts, loaded through the applet's script engine on a miss.
  TScript* LoadScript(TResourceMan* resMan, const std::u16string& name);
  void FreeScript(TScript* script);

  // Object-file streams: AddStream copies a stream in once; LoadStream
  // serves it (rewound, count + 1); FreeStream releases it (count - 1).
  void AddStream(TResourceMan* resMan, const std::u16string& name, TStream& stream);
  TStream* LoadStream(TResourceMan* resMan, const std::u16string& name);
  void FreeStream(const std::u16string& name);

  std::int32_t ScriptCount() const { return static_cast<std::int32_t>(scripts_.size()); }
  std::int32_t StreamCount() const { return static_cast<std::int32_t>(streams_.size()); }
  // The count of a cached stream; -1 when it is not cached.
  std::int32_t StreamRefCount(const std::u16string& name) const;

  // Frees every cached stream whatever its count.
  void Clear();

 private:
  struct TScriptEntry {
    std::u16string Name;
    TScript* Script;
  };
  struct TStreamEntry {
    std::u16string Name;
    std::unique_ptr<TMemoryStream, TObjectDeleter> Stream;
    std::int32_t Count;
  };
  std::vector<TScriptEntry> scripts_;
  std::vector<TStreamEntry> streams_;
};

}  // namespace corvane
