// ImageList: a skinned list whose items are picture files, each drawn in
// its cell over the item or selection picture. A picture is made on its
// item's first paint and kept by file name; pictures no item names any more
// go when the items change, the rest with the list.
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

  // The pictures made so far.
  std::size_t PictureCount() const { return pictures_.size(); }

  void PaintItem(std::int32_t index, const TRect& rect) override;

 private:
  // Frees the pictures of files no item names.
  void DropUnnamedPictures();

  std::map<std::u16string, TOwned<TPixmapPersistent>, std::less<>> pictures_;
};

}  // namespace corvane
