// Loading an object file into the tree. The storage layer (resources)
// installs the loader when the program starts; the tree only calls
// LoadObject. A file being loaded cannot be loaded again inside itself, and
// loads nest at most kMaxLoadDepth deep: an object file that includes
// itself is refused instead of recursing without end.
#pragma once

#include <functional>
#include <string>

namespace corvane {

class BaseObject;
class TResourceMan;

inline constexpr int kMaxLoadDepth = 32;

// Loads fileName through resMan: into root when given, else as a new object;
// the result is added to parent. nullptr when it cannot be loaded.
using TObjectLoader = std::function<BaseObject*(TResourceMan* resMan, const std::u16string& fileName,
                                                BaseObject* parent, BaseObject* root, bool useCache)>;

void SetObjectLoader(TObjectLoader loader);
bool HasObjectLoader();

// The installed loader with the recursion guard; logs and gives nullptr for
// a file already being loaded, a load nested too deep, or no loader.
BaseObject* LoadObject(TResourceMan* resMan, const std::u16string& fileName, BaseObject* parent,
                       BaseObject* root = nullptr, bool useCache = false);

}  // namespace corvane
