#include "platform/filters/derived_file.h"

#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "platform/device.h"

namespace corvane {

bool StoreFile(TResourceMan& resMan, const std::string& name, TMemoryStream& bytes) {
  return StoreResource(resMan, name, bytes.Memory(), bytes.Size());
}

bool StoreDerivedFile(TDevice* device, TResourceMan& resMan, const std::string& name, TMemoryStream& bytes) {
  if (device && !device->DerivedFits(bytes.Size(), name)) return false;
  return StoreFile(resMan, name, bytes);
}

}  // namespace corvane
