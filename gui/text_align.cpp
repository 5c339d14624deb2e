#include "gui/text_align.h"

namespace corvane {

TTextFormats TextAlignToFormat(TTextAlign align) {
  switch (align) {
    case taLeft: return {tfLeft};
    case taCenter: return {tfCenter};
    case taRight: return {tfRight};
  }
  return {};
}

}  // namespace corvane
