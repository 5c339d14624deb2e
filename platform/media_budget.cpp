#include "platform/media_budget.h"


#include "base/system/log_target.h"
#include "base/text/number_text.h"
#include "base/text/text_convert.h"
#include "platform/device.h"

namespace corvane {

TMediaBudget& MediaBudget() {
  static TMediaBudget budget;
  return budget;
}

std::u16string PictureOverBudget(std::int64_t width, std::int64_t height, std::int64_t liveBytes) {
  const TMediaBudget& budget = MediaBudget();
  // Sides come from files: each is checked before they are multiplied.
  if (width < 0 || height < 0 || (height > 0 && width > budget.PicturePixels / height))
    return IntToStr(width) + u" x " + IntToStr(height) + u" pixels pass the budget of " +
           IntToStr(budget.PicturePixels) + u" pixels a picture";
  const std::int64_t bytes = width * height * 4;
  if (liveBytes > budget.PictureBytes - bytes)
    return u"the applet's pictures would pass their budget of " + IntToStr(budget.PictureBytes >> 20) +
           u" MiB";
  return {};
}

bool PictureFits(const TDevice* device, std::int64_t width, std::int64_t height, const std::string& name) {
  const std::u16string why = PictureOverBudget(width, height, device ? device->PictureBytes() : 0);
  if (why.empty()) return true;
  EngineError(u"Can't load picture " + Utf8ToUtf16(name) + u": " + why);
  return false;
}

}  // namespace corvane
