#include "base/resource_man.h"

#include "base/class_builder.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TResourceMan)

void TResourceMan::Describe(TClassBuilder<TResourceMan>& c) {
  c.Property("ResourceFile", &TResourceMan::ResourceFile, &TResourceMan::SetResourceFile);
  c.Property("Active", &TResourceMan::Active);
}

TResourceMan::TResourceMan(const TCreateContext& context, std::string name)
    : TPersistent(context), resourceFile_(std::move(name)) {}

}  // namespace corvane
