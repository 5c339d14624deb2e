#include "platform/filters/derived_file.h"

#include "base/streams/file_stream.h"
#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "platform/media_budget.h"

namespace corvane {

namespace {

std::span<const char> Whole(TMemoryStream& bytes) {
  return {bytes.Memory(), static_cast<std::size_t>(bytes.Size())};
}

std::int64_t SizeOf(std::initializer_list<std::span<const char>> parts) {
  std::int64_t size = 0;
  for (const std::span<const char> part : parts) size += static_cast<std::int64_t>(part.size());
  return size;
}

}  // namespace

bool StoreFile(TResourceMan& resMan, const std::string& name, std::initializer_list<std::span<const char>> parts) {
  std::unique_ptr<TStream> stream = resMan.CreateStream(name, fmCreate);
  if (!stream) return false;
  bool whole = true;
  for (const std::span<const char> part : parts) {
    const auto size = static_cast<std::int64_t>(part.size());
    if (size > 0 && stream->Write(part.data(), size) != size) {
      whole = false;
      break;
    }
  }
  auto* file = dynamic_cast<TFileStream*>(stream.get());
  if (!whole) {
    if (file) file->Abandon();
    return false;
  }
  return file ? file->Close() : true;
}

bool StoreFile(TResourceMan& resMan, const std::string& name, TMemoryStream& bytes) {
  return !bytes.WriteFellShort() && StoreFile(resMan, name, {Whole(bytes)});
}

bool StoreDerivedFile(TResourceMan& resMan, const std::string& name,
                      std::initializer_list<std::span<const char>> parts) {
  if (!DerivedFits(SizeOf(parts), name)) return false;
  return StoreFile(resMan, name, parts);
}

bool StoreDerivedFile(TResourceMan& resMan, const std::string& name, TMemoryStream& bytes) {
  if (bytes.WriteFellShort()) return false;
  return StoreDerivedFile(resMan, name, {Whole(bytes)});
}

}  // namespace corvane
