#include "platform/filters/png_filter.h"

#include "base/reflection/class_builder.h"
#include "base/streams/resource_man.h"
#include "base/system/log_target.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/base_object.h"
#include "platform/device.h"
#include "platform/filters/png_image.h"
#include "platform/media_budget.h"
#include "platform/pixmap_pixels.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TPixmapPngFilter)

namespace {

// Far beyond what the largest picture compresses to.
constexpr std::int64_t kMaxPngFileBytes = std::int64_t{4} * kMaxPngSide * kMaxPngSide + (1 << 20);

// The device of the applet that owns the filter, or of the owner's applet.
TDevice* DeviceOf(TObject* owner) {
  if (auto* applet = dynamic_cast<TAppletServices*>(owner)) return applet->Device();
  if (auto* object = dynamic_cast<BaseObject*>(owner); object && object->GetApplet())
    return object->GetApplet()->Device();
  return nullptr;
}

void ReportBadPicture(const std::string& name, const std::string& reason) {
  EngineError(u"Can't load picture " + Utf8ToUtf16(name) + u": " + Utf8ToUtf16(reason));
}

// The whole file, held against the picture budget, or nothing for a
// missing or oversized one.
bool ReadWholeFile(TResourceMan* resMan, const std::string& name, std::vector<std::uint8_t>& bytes,
                   TPictureHold& hold) {
  std::unique_ptr<TStream> stream = resMan ? resMan->CreateStream(name, 0) : nullptr;
  if (!stream) return false;
  const std::int64_t size = stream->Size();
  if (size < 0 || size > kMaxPngFileBytes) {
    ReportBadPicture(name, "file too large");
    return false;
  }
  if (const std::u16string why = PictureOverBudget(0, 0, size); !why.empty()) {
    ReportBadPicture(name, Utf16ToUtf8(why));
    return false;
  }
  hold.Hold(size);
  bytes.resize(static_cast<std::size_t>(size));
  if (stream->Read(bytes.data(), size) != size) {
    ReportBadPicture(name, "short read");
    return false;
  }
  return true;
}

// Reports a damaged picture's reason; whether it decoded.
bool Decoded(bool done, const std::string& name, const std::string& reason) {
  if (!done) ReportBadPicture(name, reason);
  return done;
}

// Reads the picture's file and header, checking its sides and what its
// load holds against the budget before a pixel is decoded; a refusal of a
// damaged or oversized picture is reported. The file's bytes stay held
// against the budget while hold lives.
bool OpenPicture(TObject* owner, TResourceMan* resMan, const std::string& name, std::vector<std::uint8_t>& bytes,
                 TPngDecoder& decoder, TPictureHold& hold) {
  if (!ReadWholeFile(resMan, name, bytes, hold)) return false;
  if (!IsPngSignature(bytes)) {
    ReportBadPicture(name, bytes.empty() ? "the file is empty" : "it is no PNG file");
    return false;
  }
  // A small file may claim a huge picture.
  if (std::uint32_t w = 0, h = 0; PngSides(bytes, w, h) && !PictureFits(DeviceOf(owner), w, h, name)) return false;
  std::string reason;
  return Decoded(decoder.Open(bytes, reason), name, reason);
}

}  // namespace

bool TPixmapPngFilter::LoadRGBAFromFile(TResourceMan* resMan, const std::string& name, std::int32_t& width,
                                        std::int32_t& height, std::vector<std::uint32_t>& pixels) {
  std::vector<std::uint8_t> bytes;
  TPngDecoder decoder;
  std::string reason;
  TPictureHold hold;
  return OpenPicture(Owner(), resMan, name, bytes, decoder, hold) &&
         Decoded(decoder.Decode(width, height, pixels, reason), name, reason);
}

bool TPixmapPngFilter::SaveRGBAToFile(TResourceMan* resMan, const std::string& name, std::int32_t width,
                                      std::int32_t height, const std::vector<std::uint32_t>& pixels) {
  std::vector<std::uint8_t> bytes;
  return EncodePng(width, height, pixels, bytes) && resMan && StoreResource(*resMan, name, bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

TPixmap* TPixmapPngFilter::LoadFromFile(TResourceMan* resMan, const std::string& name) {
  TDevice* device = DeviceOf(Owner());
  std::vector<std::uint8_t> bytes;
  TPngDecoder decoder;
  TPictureHold hold;
  if (!device || !OpenPicture(Owner(), resMan, name, bytes, decoder, hold)) return nullptr;
  TPixmap* pixmap =
      device->CreatePixmap(static_cast<std::int32_t>(decoder.Width()), static_cast<std::int32_t>(decoder.Height()));
  if (!pixmap) return nullptr;
  // Decoded straight into the locked pixmap: the picture is held once.
  bool filled = false;
  try {
    filled = UseLockedPixmap(*device, *pixmap, false, [&](std::uint8_t* rows, std::ptrdiff_t pitch) {
      std::string reason;
      return Decoded(decoder.Decode(rows, pitch, reason), name, reason);
    });
  } catch (...) {
    device->DestroyPixmap(pixmap);  // the filter's caller reports why
    throw;
  }
  if (!filled) device->DestroyPixmap(pixmap);
  return pixmap;
}

void TPixmapPngFilter::SaveToFile(TResourceMan* resMan, const std::string& name, TPixmap* pixmap) {
  TDevice* device = DeviceOf(Owner());
  if (!device || !pixmap) return;
  // A copy of the pixels is held while it is encoded (into as much again
  // at most), beside the lock it is read through.
  const std::int64_t bytes = std::int64_t{pixmap->Width} * pixmap->Height * 4;
  if (const std::u16string why = PictureOverBudget(pixmap->Width, pixmap->Height, 3 * bytes); !why.empty()) {
    EngineError(u"Can't save picture " + Utf8ToUtf16(name) + u": " + why);
    return;
  }
  const TPictureHold hold(2 * bytes);
  std::vector<std::uint32_t> pixels;
  if (!ReadPixmapPixels(*device, *pixmap, pixels)) return;
  SaveRGBAToFile(resMan, name, pixmap->Width, pixmap->Height, pixels);
}

void RegisterPngFilter() { RegisterFilter(FilterClassOf<TPixmapPngFilter>()); }

}  // namespace corvane
