// ImageList: a skinned list whose items are picture files, each drawn in
// its cell over the item or selection picture. A picture is made on its
// item's first paint and kept by file name; pictures no item names any more
// go when the items change (at the next paint when the list grew), the rest
// with the list.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "gui/list.h"
#include "gui/std_dropdown.h"  // the list header keeps a weak handle to one

namespace corvane {

class TPixmapPersistent;

class ImageList : public List {
  CORVANE_CLASS(ImageList, List)
  explicit ImageList(const TCreateContext& context);
  ~ImageList() override;

  // The pictures made so far (of files items still name).
  std::size_t PictureCount();

  void PaintItem(std::int32_t index, const TRect& rect) override;

 private:
  void ItemsChanged();
  // Frees the pictures of files no item names.
  void DropUnnamedPictures();

  std::map<std::u16string, TOwned<TPixmapPersistent>, std::less<>> pictures_;
  // The item count after the last change, and whether a change since may
  // have left pictures no item names.
  int knownCount_ = 0;
  bool namesGone_ = false;
};

}  // namespace corvane
