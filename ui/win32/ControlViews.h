// How the form's window draws each of its controls: panels with their bevels, pictures, and
// owner-drawn push buttons. The controls have no windows of their own: the form's window paints
// them all into its client area, and routes the pointer to them (PointerRouter).
#pragma once

#include <windows.h>

#include <memory>

#include "ui/Bitmap.h"
#include "ui/Control.h"
#include "ui/Layout.h"
#include "ui/PressTracker.h"
#include "ui/Theme.h"

namespace orbelle::ui::win32 {

// What a control is painted with besides itself.
struct PaintContext {
  const Theme& look;
  HFONT font;
  int dpi;
  ButtonLook state;  // of the control being painted
};

class ControlView {
 public:
  explicit ControlView(Control& control) : control_(control) {}
  virtual ~ControlView() = default;
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  Control& control() const { return control_; }
  // Rebuilds what depends on the DPI or the colours.
  virtual void applyDpi(int /*dpi*/, const Theme& /*look*/) {}
  // Paints the control into `area`, its rectangle in the form's client area, clipped to it.
  virtual void paint(HDC dc, PixelRect area, const PaintContext& context) const = 0;

 private:
  Control& control_;
};

class PanelView final : public ControlView {
 public:
  explicit PanelView(Panel& panel) : ControlView(panel), panel_(panel) {}
  void paint(HDC dc, PixelRect area, const PaintContext& context) const override;

 private:
  Panel& panel_;
};

// A picture: the PNG resource the model names, decoded once, stretched to the control's size
// and laid over the panel colour whenever the DPI or the colours change.
class ImageView final : public ControlView {
 public:
  explicit ImageView(Image& image);  // throws when the picture cannot be shown
  void applyDpi(int dpi, const Theme& look) override;
  void paint(HDC dc, PixelRect area, const PaintContext& context) const override;

 private:
  Bitmap source_;
  Bitmap shown_;
};

class ButtonView final : public ControlView {
 public:
  explicit ButtonView(SpeedButton& button) : ControlView(button), button_(button) {}
  void paint(HDC dc, PixelRect area, const PaintContext& context) const override;

 private:
  SpeedButton& button_;
};

std::unique_ptr<ControlView> makeControlView(Control& control);

}  // namespace orbelle::ui::win32
