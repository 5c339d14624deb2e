// Loading an object file into the tree. The storage layer (resources)
// installs the loader when the program starts; the tree only calls
// LoadObject. A file being loaded cannot be loaded again inside itself, and
// loads nest at most kMaxLoadDepth deep, each nested load taking a level of
// the nesting budget it shares with the streams being read
// (base/streams/stream_nesting.h): an object file that includes itself is refused
// instead of recursing without end.
//
// A load (one LoadObject and every load nested in it) has a budget of work:
// files that include one another without including themselves can still
// fan out (K files each naming every other one load about (K-1)! times),
// so one load reads a bounded number of files, bytes of them and objects.
// Once it is spent the load stops: nothing more is read, and the refusal
// is reported once. A file may be included any number of times within the
// budget (proxies stand in for the same file in many places).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace corvane {

class BaseObject;
class TResourceMan;

inline constexpr int kMaxLoadDepth = 32;

// The budget of one load.
struct TLoadLimits {
  int Files = 4096;
  std::int64_t Bytes = std::int64_t{256} << 20;
  std::int64_t Objects = 1'000'000;
};
// The limits in force (the defaults unless a test lowered them).
const TLoadLimits& LoadLimits();
void SetLoadLimits(const TLoadLimits& limits);

// Loads fileName through resMan: into root when given, else as a new object;
// the result is added to parent. nullptr when it cannot be loaded.
using TObjectLoader = std::function<BaseObject*(TResourceMan* resMan, const std::u16string& fileName,
                                                BaseObject* parent, BaseObject* root, bool useCache)>;

void SetObjectLoader(TObjectLoader loader);
bool HasObjectLoader();

// The installed loader with the recursion guard and the budget; logs and
// gives nullptr for a file already being loaded, a load nested too deep, a
// load whose budget is spent, or no loader.
BaseObject* LoadObject(TResourceMan* resMan, const std::u16string& fileName, BaseObject* parent,
                       BaseObject* root = nullptr, bool useCache = false);
// LoadObject for one of the engine's own files, a load of its own whatever
// load is in progress: an applet's defaults, read as the applet a file
// holds is constructed, neither spend nor meet the budget of that file.
BaseObject* LoadOwnObject(TResourceMan* resMan, const std::u16string& fileName, BaseObject* parent);

// What the loader reads, charged to the load in progress (always granted
// outside a load): the bytes of a file about to be read, one object about
// to be made. False once the load's budget is spent.
bool ChargeLoadBytes(std::int64_t bytes);
bool ChargeLoadObject();
// Whether the load in progress stops because the program is to close (the
// reading and compiling of object streams hear the request between their
// blocks, base/system/stop_question.h); the first to find it says
// "Loading of <file> stopped: the program is closing". False outside a load.
bool LoadStopsForClose();

}  // namespace corvane
