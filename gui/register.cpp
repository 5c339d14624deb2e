#include "gui/register.h"

#include "base/reflection/class_registry.h"
#include "gui/gui_object.h"
#include "gui/std_button.h"
#include "gui/std_check_box.h"
#include "gui/std_dropdown.h"
#include "gui/std_edit.h"
#include "gui/std_list.h"
#include "gui/std_toggle.h"
#include "gui/std_trackbar.h"

namespace corvane {

void RegisterGuiClasses() {
  RegisterClasses({GuiObject::StaticClass()});
  RegisterClasses({TStdButton::StaticClass(), TStdEdit::StaticClass(), TStdList::StaticClass(),
                   TStdDropdown::StaticClass(), TStdCheckBox::StaticClass(), TStdTrackbar::StaticClass(),
                   TStdToggle::StaticClass()});
}

}  // namespace corvane
