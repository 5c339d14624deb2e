#include "platform/filters/derived_file.h"

#include <vector>

#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "base/streams/source_stamp.h"
#include "platform/filters/filter.h"
#include "platform/media_budget.h"

namespace corvane {

namespace {

std::span<const char> Whole(TMemoryStream& bytes) {
  return {bytes.Memory(), static_cast<std::size_t>(bytes.Size())};
}

}  // namespace

bool StoreFile(TResourceMan& resMan, const std::string& name, std::initializer_list<std::span<const char>> parts) {
  return StoreResource(resMan, name, {parts.begin(), parts.size()});
}

bool StoreFile(TResourceMan& resMan, const std::string& name, TMemoryStream& bytes) {
  return !bytes.WriteFellShort() && StoreFile(resMan, name, {Whole(bytes)});
}

bool StoreDerivedFile(const TAbstractFilter& filter, TResourceMan& resMan, const std::string& name,
                      std::initializer_list<std::span<const char>> parts) {
  // The stamp goes last, so a file cut short never carries a valid one.
  TMemoryStream stamp;
  if (filter.DerivedFrom && !WriteSourceStamp(stamp, *filter.DerivedFrom)) return false;
  std::vector<std::span<const char>> all(parts);
  all.push_back(Whole(stamp));
  std::int64_t size = 0;
  for (const std::span<const char> part : all) size += static_cast<std::int64_t>(part.size());
  if (!DerivedFits(size, name)) return false;
  return StoreResource(resMan, name, all);
}

bool StoreDerivedFile(const TAbstractFilter& filter, TResourceMan& resMan, const std::string& name,
                      TMemoryStream& bytes) {
  if (bytes.WriteFellShort()) return false;
  return StoreDerivedFile(filter, resMan, name, {Whole(bytes)});
}

}  // namespace corvane
