#include "gui/register.h"

#include "base/reflection/class_registry.h"
#include "gui/background.h"
#include "gui/button.h"
#include "gui/checkbox.h"
#include "gui/close_button.h"
#include "gui/color_dropdown.h"
#include "gui/console.h"
#include "gui/debug_form.h"
#include "gui/dropdown.h"
#include "gui/edit.h"
#include "gui/effect_text.h"
#include "gui/form.h"
#include "gui/gui_object.h"
#include "gui/image.h"
#include "gui/image_form.h"
#include "gui/inspector.h"
#include "gui/inspector_form.h"
#include "gui/image_list.h"
#include "gui/list.h"
#include "gui/object_list.h"
#include "gui/painter.h"
#include "gui/panel.h"
#include "gui/preview.h"
#include "gui/screen.h"
#include "gui/splash.h"
#include "gui/static_text.h"
#include "gui/std_button.h"
#include "gui/std_check_box.h"
#include "gui/std_dropdown.h"
#include "gui/std_edit.h"
#include "gui/std_list.h"
#include "gui/std_toggle.h"
#include "gui/std_trackbar.h"
#include "gui/toggle.h"
#include "gui/track_bar.h"

namespace corvane {

void RegisterGuiClasses() {
  RegisterClasses({GuiObject::StaticClass()});
  RegisterClasses({TStdButton::StaticClass(), TStdEdit::StaticClass(), TStdList::StaticClass(),
                   TStdDropdown::StaticClass(), TStdCheckBox::StaticClass(), TStdTrackbar::StaticClass(),
                   TStdToggle::StaticClass()});
  RegisterClasses({StaticText::StaticClass(), Image::StaticClass(), Button::StaticClass(), Edit::StaticClass(),
                   Dropdown::StaticClass(), ColorDropdown::StaticClass(), Background::StaticClass(),
                   Splash::StaticClass(), List::StaticClass(), ObjectList::StaticClass(), ImageList::StaticClass(),
                   Checkbox::StaticClass(), TrackBar::StaticClass(), Toggle::StaticClass(), Preview::StaticClass(),
                   Screen::StaticClass()});
  RegisterClasses({Form::StaticClass(), CloseButton::StaticClass(), DebugForm::StaticClass(),
                   ImageForm::StaticClass()});
  RegisterClasses({TConsoleEdit::StaticClass(), TConsole::StaticClass()});
  RegisterClasses({Panel::StaticClass(), Painter::StaticClass()});
  RegisterClasses({EffectText::StaticClass()});
  RegisterClasses({Inspector::StaticClass(), InspectorForm::StaticClass()});
}

}  // namespace corvane
