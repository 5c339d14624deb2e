#include "engine/object_loader.h"

#include <algorithm>
#include <vector>

#include "base/engine_log.h"
#include "base/good_text.h"
#include "base/number_text.h"

namespace corvane {

namespace {

TObjectLoader& Loader() {
  static TObjectLoader loader;
  return loader;
}

struct TLoading {
  TResourceMan* ResMan;
  std::u16string FileName;
};

std::vector<TLoading>& Loading() {
  static std::vector<TLoading> loading;
  return loading;
}

}  // namespace

void SetObjectLoader(TObjectLoader loader) { Loader() = std::move(loader); }

bool HasObjectLoader() { return static_cast<bool>(Loader()); }

BaseObject* LoadObject(TResourceMan* resMan, const std::u16string& fileName, BaseObject* parent, BaseObject* root,
                       bool useCache) {
  if (!Loader()) {
    EngineError(u"No object loader for " + fileName);
    return nullptr;
  }
  std::vector<TLoading>& loading = Loading();
  const bool repeat = std::any_of(loading.begin(), loading.end(), [&](const TLoading& l) {
    return l.ResMan == resMan && GOODCompareText(l.FileName, fileName) == 0;
  });
  if (repeat) {
    EngineError(u"Object file " + fileName + u" includes itself");
    return nullptr;
  }
  if (static_cast<int>(loading.size()) >= kMaxLoadDepth) {
    EngineError(u"Object files nested deeper than " + IntToStr(kMaxLoadDepth) + u" levels at " + fileName);
    return nullptr;
  }
  loading.push_back({resMan, fileName});
  struct Pop {
    ~Pop() { Loading().pop_back(); }
  } pop;
  return Loader()(resMan, fileName, parent, root, useCache);
}

}  // namespace corvane
