#include "resources/cache/register.h"

#include "base/reflection/class_registry.h"
#include "base/streams/resource_man.h"
#include "engine/core/object_loader.h"
#include "resources/cache/cache.h"
#include "resources/cache/object_storage.h"
#include "resources/embedded_res_man.h"
#include "resources/ext_res_man.h"
#include "resources/folder_res_man.h"
#include "resources/vfs_res_man.h"

namespace corvane {

void RegisterResourceServices() {
  RegisterClasses({
      TExtResourceMan::StaticClass(),
      TFolderResourceMan::StaticClass(),
      TEmbeddedResMan::StaticClass(),
      TVirtualFileSystemResMan::StaticClass(),
      TCache::StaticClass(),
  });
  EmbeddedResManClass = TEmbeddedResMan::StaticClass();
  SetObjectLoader(&LoadStoredObject);
}

}  // namespace corvane
