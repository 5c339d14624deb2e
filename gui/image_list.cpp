#include "gui/image_list.h"

#include <set>

#include "base/geometry/rect_math.h"
#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "base/text/text_convert.h"
#include "engine/core/applet_services.h"
#include "engine/core/container.h"
#include "scene/pixmap_persistent.h"
#include "scene/skin_pixmap_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(ImageList)

ImageList::ImageList(const TCreateContext& context) : List(context) {
  Items()->OnChange = [this](TObject*) { ItemsChanged(); };
}

ImageList::~ImageList() { Items()->OnChange = nullptr; }

void ImageList::ItemsChanged() {
  // Walking the items after every one a script adds would cost the square
  // of their number: a list that grew gives its pictures back at its next
  // paint, one that did not (an item deleted or replaced) at once.
  const int count = Items()->GetCount();
  if (count > knownCount_) namesGone_ = true;
  else DropUnnamedPictures();
  knownCount_ = count;
}

std::size_t ImageList::PictureCount() {
  if (namesGone_) DropUnnamedPictures();
  return pictures_.size();
}

void ImageList::DropUnnamedPictures() {
  namesGone_ = false;
  if (pictures_.empty()) return;
  std::set<std::u16string, std::less<>> named;
  for (int i = 0; i < Items()->GetCount(); ++i) named.insert(Items()->Get(i));
  std::erase_if(pictures_, [&](const auto& entry) { return !named.contains(entry.first); });
}

void ImageList::PaintItem(std::int32_t index, const TRect& rect) {
  if (namesGone_) DropUnnamedPictures();
  if (index < 0 || index >= Items()->GetCount()) return;
  TRect r = rect;
  InflateRect(r, -2, -2);
  (index == ItemIndex() ? PixmapSelection() : PixmapItem())->Draw(r, 0xFFFFFFFF);
  const std::u16string& file = Items()->GetRef(index);
  auto at = pictures_.find(file);
  if (at == pictures_.end()) {
    TOwned<TPixmapPersistent> picture(Create<TPixmapPersistent>(TCreateContext(AppletObjectOf(this))));
    picture->SetFileName(Utf16ToUtf8(file));
    at = pictures_.emplace(file, std::move(picture)).first;
  }
  InflateRect(r, -5, -5);
  at->second->Draw(r);
}

}  // namespace corvane
