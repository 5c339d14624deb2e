#include "gui/list.h"

#include <cmath>

#include "base/lists/wide_string_list.h"
#include "base/reflection/class_builder.h"
#include "gui/skin_pixmap.h"
#include "gui/std_dropdown.h"
#include "scene/font_persistent.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(List)

void List::Describe(TClassBuilder<List>& c) {
  c.Property("pixmap", &List::Pixmap, &List::SetPixmap);
  c.Property("pixmapSelection", &List::PixmapSelection, &List::SetPixmapSelection);
  c.Property("pixmapItem", &List::PixmapItem, &List::SetPixmapItem);
  c.Property("pixmapDisabled", &List::PixmapDisabled, &List::SetPixmapDisabled);
  c.Property("enabledCount", &List::EnabledCount, &List::SetEnabledCount).Default(0);
}

List::List(const TCreateContext& context)
    : TStdList(context),
      pixmap_(MakeSkinPixmap(this, "edit")),
      selection_(MakeSkinPixmap(this, "button")),
      item_(MakeSkinPixmap(this, "item")),
      disabled_(MakeSkinPixmap(this, "empty")) {}

List::~List() = default;

void List::SetPixmap(TSkinPixmapPersistent* value) { AssignSkinPixmap(pixmap_.get(), value); }
void List::SetPixmapSelection(TSkinPixmapPersistent* value) { AssignSkinPixmap(selection_.get(), value); }
void List::SetPixmapItem(TSkinPixmapPersistent* value) { AssignSkinPixmap(item_.get(), value); }
void List::SetPixmapDisabled(TSkinPixmapPersistent* value) { AssignSkinPixmap(disabled_.get(), value); }

void List::Paint() {
  TWeak<List> self(this);
  const bool rows = ItemHeight() >= 1;
  if (rows) SetRowCount(static_cast<std::int32_t>(std::trunc(Height() / static_cast<float>(ItemHeight()))));
  pixmap_->Draw(GetClientRect(), 0xFFFFFFFF);
  if (!rows) return;
  const std::int32_t end = TopIndex() + ColumnCount() * RowCount();
  for (std::int32_t i = TopIndex(); i < Items()->GetCount() && i < end; ++i) {
    const TRect r = GetItemRect(i);
    PaintItem(i, r);
    if (!self.Get()) return;
    if (enabledCount_ > 0 && i >= enabledCount_) disabled_->Draw(r, 0xFFFFFFFF);
  }
}

void List::PaintItem(std::int32_t index, const TRect& rect) {
  if (index < 0 || index >= Items()->GetCount()) return;
  (index == ItemIndex() ? selection_ : item_)->Draw(rect, 0xFFFFFFFF);
  DrawText(Items()->Get(index), rect, {tfCenter, tfVCenter}, Font()->Color());
}

}  // namespace corvane
