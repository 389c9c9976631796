#include "ui/HitTest.h"

#include "ui/Layout.h"

namespace orbelle::ui {

Control* controlAt(const Form& form, Point at, int dpi) {
  // Down from the form: among the children of the control found so far, the first that holds
  // the point; the search ends where none does.
  Control* found = nullptr;
  for (;;) {
    Control* deeper = nullptr;
    for (Control* control : form.controls()) {
      if (control->parent() == found && formRect(*control, dpi).contains(at)) {
        deeper = control;
        break;
      }
    }
    if (deeper == nullptr)
      return found;
    found = deeper;
  }
}

}  // namespace orbelle::ui
