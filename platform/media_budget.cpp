#include "platform/media_budget.h"

#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "platform/device.h"

namespace corvane {

namespace {

// The program's own counts: the main thread alone loads and draws.
struct TMediaHeld {
  std::int64_t Pictures = 0;
  std::int64_t Derived = 0;
  bool DerivedRefused = false;
};

TMediaHeld& Held() {
  static TMediaHeld held;
  return held;
}

}  // namespace

TMediaBudget& MediaBudget() {
  static TMediaBudget budget;
  return budget;
}

std::int64_t PictureBytesHeld() { return Held().Pictures; }

void HoldPictureBytes(std::int64_t bytes) { Held().Pictures += bytes; }

void ReleasePictureBytes(std::int64_t bytes) { Held().Pictures -= bytes; }

std::u16string PictureOverBudget(std::int64_t width, std::int64_t height, std::int64_t bytes) {
  const TMediaBudget& budget = MediaBudget();
  // Sides come from files: each is checked before they are multiplied.
  if (width < 0 || height < 0 || (height > 0 && width > budget.PicturePixels / height))
    return IntToStr(width) + u" x " + IntToStr(height) + u" pixels pass the budget of " +
           IntToStr(budget.PicturePixels) + u" pixels a picture";
  if (bytes < 0 || PictureBytesHeld() > budget.PictureBytes - bytes)
    return u"the pictures held would pass their budget of " + IntToStr(budget.PictureBytes >> 20) + u" MiB";
  return {};
}

bool PictureFits(const TDevice* device, std::int64_t width, std::int64_t height, const std::string& name,
                 std::int64_t extraBytes) {
  // The sides first: the bytes of sides that pass them need not be formed.
  std::u16string why = PictureOverBudget(width, height, 0);
  if (why.empty()) {
    const std::int64_t pixels = width * height * 4;
    why = PictureOverBudget(width, height, (device ? device->LoadBytes(width, height) : 2 * pixels) + extraBytes);
  }
  if (why.empty()) return true;
  EngineError(u"Can't load picture " + Utf8ToUtf16(name) + u": " + why);
  return false;
}

bool DerivedFits(std::int64_t bytes, const std::string& name) {
  TMediaHeld& held = Held();
  const std::int64_t budget = MediaBudget().DerivedBytes;
  if (bytes >= 0 && held.Derived <= budget - bytes) {
    held.Derived += bytes;
    return true;
  }
  if (!held.DerivedRefused)
    EngineError(u"The derived files pass their budget of " + IntToStr(budget >> 20) + u" MiB: " + Utf8ToUtf16(name) +
                u" and later ones are not written");
  held.DerivedRefused = true;
  return false;
}

}  // namespace corvane
