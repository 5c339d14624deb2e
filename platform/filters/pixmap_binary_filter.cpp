#include "platform/filters/pixmap_binary_filter.h"

#include <bit>
#include <cstring>
#include <limits>
#include <memory>

#include "base/reflection/class_builder.h"
#include "base/streams/memory_stream.h"
#include "base/streams/resource_man.h"
#include "base/streams/stream_helpers.h"
#include "base/text/number_text.h"
#include "platform/device.h"
#include "platform/filters/derived_file.h"
#include "platform/filters/file_reader.h"
#include "platform/media.h"
#include "platform/media_budget.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TPixmapBinaryFilter)

namespace {

constexpr std::string_view kSignature = "PIXMAPB";
constexpr std::int32_t kReserved = 512;

// Reads the header up to the pixels. False, the reader failed with the
// reason, for another signature or a refused header.
bool ReadHeader(TFileReader& reader, std::int32_t& width, std::int32_t& height) {
  if (!reader.Signature(kSignature, u".pixmap")) return false;
  const std::uint32_t w = reader.Longword();
  const std::uint32_t h = reader.Longword();
  reader.Skip(kReserved);
  if (reader.Failed()) return false;
  if (w == 0 || h == 0 || w > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max()) ||
      h > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
    reader.Fail(u"a picture of " + IntToStr(w) + u"x" + IntToStr(h));
    return false;
  }
  if (!reader.Need(static_cast<std::int64_t>(w) * h, 4, u"pixels")) return false;
  width = static_cast<std::int32_t>(w);
  height = static_cast<std::int32_t>(h);
  return true;
}

void WriteHeader(TStream& out, std::int32_t width, std::int32_t height) {
  out.Write(kSignature.data(), static_cast<std::int64_t>(kSignature.size()));
  WriteLongword(out, static_cast<std::uint32_t>(width));
  WriteLongword(out, static_cast<std::uint32_t>(height));
  const char zeros[kReserved] = {};
  out.Write(zeros, kReserved);
}

// The file's header and its pixels as they are held (little-endian ARGB
// words, rows one after the other): written as they stand, so that no
// copy of the picture is made to store it.
static_assert(std::endian::native == std::endian::little, "pixels are stored as the memory holds them");
bool StorePixels(const TAbstractFilter& filter, TResourceMan& resMan, const std::string& name, std::int32_t width,
                 std::int32_t height, const void* pixels) {
  TMemoryStream header;
  WriteHeader(header, width, height);
  const auto bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  return StoreDerivedFile(filter, resMan, name, {{header.Memory(), static_cast<std::size_t>(header.Size())},
                                         {static_cast<const char*>(pixels), bytes}});
}

}  // namespace

bool TPixmapBinaryFilter::LoadRGBAFromFile(TResourceMan* resMan, const std::string& name, std::int32_t& width,
                                           std::int32_t& height, std::vector<std::uint32_t>& pixels) {
  width = height = 0;
  pixels.clear();
  std::unique_ptr<TStream> stream = resMan ? resMan->CreateStream(name, 0) : nullptr;
  if (!stream) return false;
  TFileReader reader(*stream);
  std::int32_t w = 0, h = 0;
  std::vector<std::uint32_t> read;
  if (ReadHeader(reader, w, h)) {
    if (!PictureFits(Device(), w, h, name)) return false;
    read.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    reader.Longwords(read.data(), static_cast<std::int64_t>(read.size()));
  }
  if (reader.Failed()) ReportBadFile(name, reader.Reason());
  if (reader.Failed() || read.empty()) return false;
  width = w;
  height = h;
  pixels = std::move(read);
  return true;
}

bool TPixmapBinaryFilter::SaveRGBAToFile(TResourceMan* resMan, const std::string& name, std::int32_t width,
                                         std::int32_t height, const std::vector<std::uint32_t>& pixels) {
  if (!resMan || width < 1 || height < 1 ||
      pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
    return false;
  return StorePixels(*this, *resMan, name, width, height, pixels.data());
}

TPixmap* TPixmapBinaryFilter::LoadFromFile(TResourceMan* resMan, const std::string& name) {
  std::unique_ptr<TStream> stream = resMan ? resMan->CreateStream(name, 0) : nullptr;
  if (!stream) return nullptr;
  TFileReader reader(*stream);
  std::int32_t width = 0, height = 0;
  if (!ReadHeader(reader, width, height)) {
    if (reader.Failed()) ReportBadFile(name, reader.Reason());
    return nullptr;
  }
  TDevice* device = Device();
  if (device && !device->PictureFits(width, height, name)) return nullptr;
  TPixmap* pixmap = device ? device->CreatePixmap(width, height) : nullptr;
  if (!pixmap) return nullptr;
  void* bits = nullptr;
  try {
    if (device->LockPixmapRectARGB(pixmap, 0, 0, width, height, bits, false)) {
      // The bytes go as they stand: the locked buffer holds the file's order.
      const std::int64_t row = static_cast<std::int64_t>(width) * 4;
      if (pixmap->Pitch == row)
        reader.Bytes(bits, row * height);
      else
        for (std::int32_t y = 0; y < height && !reader.Failed(); ++y)
          reader.Bytes(static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pixmap->Pitch, row);
      device->UnlockPixmap(pixmap);
    } else {
      reader.Fail(u"the device gave no pixels to fill");
    }
  } catch (...) {
    device->DestroyPixmap(pixmap);  // the filter's caller reports why
    throw;
  }
  if (reader.Failed()) {
    device->DestroyPixmap(pixmap);
    ReportBadFile(name, reader.Reason());
    return nullptr;
  }
  return pixmap;
}

void TPixmapBinaryFilter::SaveToFile(TResourceMan* resMan, const std::string& name, TPixmap* pixmap) {
  TDevice* device = Device();
  if (!resMan || !device || !pixmap || pixmap->Width < 1 || pixmap->Height < 1) return;
  // A picture the renderer refused has nothing to read back: no file.
  void* bits = nullptr;
  if (!device->LockPixmapRectARGB(pixmap, 0, 0, pixmap->Width, pixmap->Height, bits, true)) return;
  const std::int64_t row = static_cast<std::int64_t>(pixmap->Width) * 4;
  if (pixmap->Pitch == row) {
    StorePixels(*this, *resMan, name, pixmap->Width, pixmap->Height, bits);
  } else {
    TMemoryStream out;
    WriteHeader(out, pixmap->Width, pixmap->Height);
    for (std::int32_t y = 0; y < pixmap->Height; ++y)
      out.Write(static_cast<const std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(y) * pixmap->Pitch, row);
    StoreDerivedFile(*this, *resMan, name, out);
  }
  device->UnlockPixmap(pixmap);
}

}  // namespace corvane
