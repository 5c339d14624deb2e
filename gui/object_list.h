// ObjectList: a skinned list whose items are object files. Each item's
// object is loaded once, after streaming, as a hidden 2D child of the list
// tagged with its file name, and drawn slowly spinning in its item's cell.
#pragma once

#include <cstdint>

#include "gui/list.h"
#include "gui/std_dropdown.h"  // the list header keeps a weak handle to one

namespace corvane {

class ObjectList : public List {
  CORVANE_CLASS(ObjectList, List)
  using List::List;

  // Loads every item's object, scaled to fit a row (an object of no size
  // keeps its scale).
  void Loaded() override;
  // The selection picture for the current item, then the item's object at
  // the cell's centre, turned by 0.1 degree more each time.
  void PaintItem(std::int32_t index, const TRect& rect) override;
};

}  // namespace corvane
