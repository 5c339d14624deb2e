#include "engine/core/object_budget.h"

#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "engine/core/base_object.h"

namespace corvane {

std::int32_t ObjectBudget = kDefaultObjectBudget;

namespace {

bool gReported = false;

}  // namespace

bool ScriptMayMakeObject() {
  if (BaseObject::LiveCount() < ObjectBudget) {
    gReported = false;
    return true;
  }
  if (!gReported)
    EngineError(u"Object budget of " + IntToStr(ObjectBudget) +
                u" reached: scripts make no more objects until some are freed");
  gReported = true;
  return false;
}

}  // namespace corvane
