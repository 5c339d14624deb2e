// Tree objects that scripts ask for share one budget for the whole process
// ("-maxobjects=N"): while that many tree objects live, of every applet
// and however they were made, a script's request for another (a class's
// constructor, applet.new, newFromFile, newFromCache, startMission,
// editMission) is refused, so a loop of `new Box()` cannot take the
// machine's memory. Objects an applet's own files make are bounded by the
// readers' budgets instead.
#pragma once

#include <cstdint>

namespace corvane {

inline constexpr std::int32_t kDefaultObjectBudget = 100000;
extern std::int32_t ObjectBudget;

// Whether a script may have another object made now. A refusal writes
// "Object budget of N reached: scripts make no more objects until some are
// freed" once, until a request fits again.
bool ScriptMayMakeObject();

}  // namespace corvane
