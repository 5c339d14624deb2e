#include "base/reflection/persistent.h"

#include "base/reflection/class_builder.h"
#include "base/streams/fixups.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TPersistent)
CORVANE_IMPLEMENT_CLASS(TSomePersistent)

void TPersistent::BeforeDestruction() {
  ForgetFixupsOf(this);
  TObject::BeforeDestruction();
}

void TPersistent::Assign(const TPersistent* source) {
  if (source) source->AssignTo(this);
  else AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  const std::string from = source ? source->ClassName() : std::string("nil");
  EngineError(WidenLatin1("Cannot assign a " + from + " to a " + ClassName()));
}

}  // namespace corvane
