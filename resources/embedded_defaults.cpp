#include "resources/embedded_defaults.h"

#include "resources/embedded_default_list.h"
#include "resources/embedded_res_man.h"

namespace corvane {

void RegisterEmbeddedDefaults() {
  for (const TEmbeddedDefault& file : EmbeddedDefaultList()) AddResource(file.Name, file.Bytes);
}

}  // namespace corvane
