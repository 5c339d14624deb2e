// Inspector: a skinned list whose rows are the stored published properties
// of one object of the applet's tree ("name=value"), with sub-objects'
// rows indented after a "+name" row, and an editor in place over the value
// half of the current row: a drop-down for enumerations, an edit for the
// rest. Built from the reflection layer alone, so a class added later is
// shown and edited with no code here. It follows the engine's design
// selection, and forgets an object freed under it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gui/list.h"
#include "gui/std_dropdown.h"  // the list header keeps a weak handle to one

namespace corvane {

class BaseObject;
class TPropInfo;

class Inspector : public List {
  CORVANE_CLASS(Inspector, List)
  static void Describe(TClassBuilder<Inspector>& c);
  explicit Inspector(const TCreateContext& context);
  void BeforeDestruction() override;

  BaseObject* Root() const { return root_; }
  // A different root rebuilds the rows.
  void SetRoot(BaseObject* value);
  // The root's name; empty without a root.
  std::u16string RootByName() const;
  // The applet's object of that name; none when there is no such object
  // (the rows stay as they were).
  void SetRootByName(const std::u16string& name);
  // The current editor: a TStdDropdown or a TStdEdit, or none.
  GuiObject* Editor() const { return editor_.Get(); }
  // The object whose property the row shows; none outside the rows or once
  // it is gone.
  TObject* RowObject(std::int32_t index) const;

  // With a root: the rows again, from the root's properties. The current
  // row and the editor stay.
  void RebuildList();
  void rebuild() { RebuildList(); }
  // With a root: the editor for the current row (none for object rows).
  void RebuildEdit();
  // The design selection: another object than the inspector and its editor
  // (and the editor's pop-up) becomes the root.
  void DoCustomSetFocused(TObject* sender);

  void SetItemIndex(std::int32_t index) override;
  void MouseWheel(TShiftState shift, float delta) override;
  void PaintItem(std::int32_t index, const TRect& rect) override;
  void FreeNotify(BaseObject* object) override;

 private:
  // Appends the rows of one object; visited holds the objects already
  // listed (a cycle lists an object again by its class row only).
  void AddObject(TObject* object, int depth, std::vector<const TObject*>& visited);
  void AddRow(const std::string& name, const std::u16string& value, TObject* object);
  // The current row's object and property; false when there is none.
  bool CurrentProperty(TObject*& object, const TPropInfo*& prop) const;
  void DoEditChange(TObject* sender);
  void DoDropdownChange(TObject* sender);
  void FreeEditor();
  // The rows, the editor and the current row go (their object went).
  void ClearRows();

  // Both watched through free notices: the inspected object, and the one
  // the rows were built from (the same until a name finds nothing).
  BaseObject* root_ = nullptr;
  BaseObject* builtFrom_ = nullptr;
  std::vector<TWeak<TObject>> rowObjects_;
  TWeak<GuiObject> editor_;
};

}  // namespace corvane
