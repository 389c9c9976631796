#include <stdexcept>

#include "ui/win32/ControlViews.h"

namespace orbelle::ui::win32 {

std::unique_ptr<ControlView> makeControlView(Control& control) {
  if (auto* panel = dynamic_cast<Panel*>(&control))
    return std::make_unique<PanelView>(*panel);
  if (auto* image = dynamic_cast<Image*>(&control))
    return std::make_unique<ImageView>(*image);
  if (auto* button = dynamic_cast<SpeedButton*>(&control))
    return std::make_unique<ButtonView>(*button);
  throw std::logic_error("the window backend cannot draw this kind of control");
}

}  // namespace orbelle::ui::win32
