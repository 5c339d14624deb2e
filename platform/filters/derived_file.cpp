#include "platform/filters/derived_file.h"

#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "platform/device.h"
#include "platform/filters/filter.h"

namespace corvane {

bool StoreFile(TResourceMan& resMan, const std::string& name, TMemoryStream& bytes) {
  return StoreResource(resMan, name, bytes.Memory(), bytes.Size());
}

bool StoreDerivedFile(const TAbstractFilter& filter, TResourceMan& resMan, const std::string& name,
                      TMemoryStream& bytes) {
  if (filter.DerivedFrom) {
    bytes.Seek(0, soEnd);
    if (!WriteSourceStamp(bytes, *filter.DerivedFrom)) return false;
  }
  TDevice* device = filter.Device();
  if (device && !device->DerivedFits(bytes.Size(), name)) return false;
  return StoreFile(resMan, name, bytes);
}

}  // namespace corvane
