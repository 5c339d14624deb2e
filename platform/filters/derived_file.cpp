#include "platform/filters/derived_file.h"

#include "base/streams/file_stream.h"
#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "platform/device.h"
#include "platform/filters/filter.h"

namespace corvane {

bool StoreFile(TResourceMan& resMan, const std::string& name, TMemoryStream& bytes) {
  std::unique_ptr<TStream> stream = resMan.CreateStream(name, fmCreate);
  if (!stream) return false;
  const std::int64_t size = bytes.Size();
  if (stream->Write(bytes.Memory(), size) == size) {
    if (auto* file = dynamic_cast<TFileStream*>(stream.get())) return file->Close();
    return true;
  }
  if (auto* file = dynamic_cast<TFileStream*>(stream.get())) file->Abandon();
  return false;
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
