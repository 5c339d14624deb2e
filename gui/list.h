// List: the standard list drawn from the skin: "edit" behind it, "item"
// behind each row, "button" behind the current one, and "empty" over rows
// past the enabled ones. No scroll thumb.
#pragma once

#include <cstdint>

#include "gui/std_list.h"

namespace corvane {

class TSkinPixmapPersistent;

class List : public TStdList {
  CORVANE_CLASS(List, TStdList)
  static void Describe(TClassBuilder<List>& c);
  explicit List(const TCreateContext& context);
  ~List() override;

  TSkinPixmapPersistent* Pixmap() const { return pixmap_.get(); }
  void SetPixmap(TSkinPixmapPersistent* value);
  TSkinPixmapPersistent* PixmapSelection() const { return selection_.get(); }
  void SetPixmapSelection(TSkinPixmapPersistent* value);
  TSkinPixmapPersistent* PixmapItem() const { return item_.get(); }
  void SetPixmapItem(TSkinPixmapPersistent* value);
  TSkinPixmapPersistent* PixmapDisabled() const { return disabled_.get(); }
  void SetPixmapDisabled(TSkinPixmapPersistent* value);
  // The leading items shown as enabled; 0 or less: all.
  std::int32_t EnabledCount() const { return enabledCount_; }
  void SetEnabledCount(std::int32_t value) { enabledCount_ = value; }

  // Snaps to whole rows (rows of no height: none, and no items), then the
  // background and the visible items.
  void Paint() override;
  void PaintItem(std::int32_t index, const TRect& rect) override;

 private:
  TOwned<TSkinPixmapPersistent> pixmap_;
  TOwned<TSkinPixmapPersistent> selection_;
  TOwned<TSkinPixmapPersistent> item_;
  TOwned<TSkinPixmapPersistent> disabled_;
  std::int32_t enabledCount_ = 10;
};

}  // namespace corvane
