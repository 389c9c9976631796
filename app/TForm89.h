// The palette: the program's only window, its twelve controls, the hover highlight of the four
// pictures and the dispatch of every click to its action.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/SettingsEnvironment.h"
#include "host/HostEnvironment.h"
#include "ui/Control.h"
#include "ui/Form.h"

namespace orbelle {

class TForm89 : public ui::Form {
 public:
  static constexpr wchar_t kCaption[] = L"Orbelle '25.01.07A";
  static constexpr int kClientWidth = 225;
  static constexpr int kClientHeight = 102;

  TForm89(HostEnvironment environment, SettingsEnvironment settings);
  ~TForm89() override;

  // Fields in the order the window declares them.
  ui::Panel Panel2;
  ui::Panel Panel3;
  ui::Image Image2;
  ui::Panel Panel4;
  ui::Image Image3;
  ui::Panel Panel5;
  ui::Image Image4;
  ui::SpeedButton SpeedButton1;
  ui::SpeedButton SpeedButton2;
  ui::SpeedButton SpeedButton3;
  ui::SpeedButton SpeedButton4;
  ui::Image Image1;
  ui::SpeedButton SpeedButton5;
  ui::SpeedButton SpeedButton6;
  ui::SpeedButton SpeedButton7;
  ui::SpeedButton SpeedButton8;
  std::uint32_t gbWaitFileMsec = 0;
  std::array<ui::Panel*, 4> PanelAry{};
  std::array<ui::Image*, 4> ImageAry{};

  // Creation and destruction handlers: the first runs as the last step of construction and
  // places the window from the settings file, the second writes the file.
  void FormCreate(ui::Control* Sender);
  void FormDestroy(ui::Control* Sender);

  void Image1Click(ui::Control* Sender);
  void Image2Click(ui::Control* Sender);
  void Image3Click(ui::Control* Sender);
  void Image4Click(ui::Control* Sender);
  void Image1MouseMove(ui::Control* Sender, ui::ShiftState Shift, int X, int Y);

  // The actions. Virtual so that a test can watch the dispatch without a host.
  virtual void cmdIsomeBlock2(const std::wstring& makeType);
  virtual void SpeedButton4Click(ui::Control* Sender);
  virtual void SpeedButton5Click(ui::Control* Sender);
  virtual void SpeedButton6Click(ui::Control* Sender);

 protected:
  HostEnvironment environment_;
  SettingsEnvironment settings_;

 private:
  void wireEvents();
};

}  // namespace orbelle
