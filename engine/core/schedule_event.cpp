#include "engine/core/schedule_event.h"

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TScheduleEvent)
CORVANE_IMPLEMENT_CLASS(TScheduleActionEvent)

}  // namespace corvane
