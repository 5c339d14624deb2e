#include "resources/empty_res_man.h"

#include "base/reflection/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TEmptyResourceMan)

}  // namespace corvane
