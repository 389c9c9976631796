#include "app/TForm89.h"

#include "actions/IsometricBlock.h"
#include "actions/IsometricText.h"
#include "actions/Rotate3D.h"
#include "actions/ViewPresets.h"
#include "app/Settings.h"

namespace orbelle {

namespace {

constexpr wchar_t kTextHint[] = L"選択した TEXT を変形";
constexpr ui::Bounds kPictureInPanel{2, 2, 51, 51};

void setUpPicturePanel(ui::Panel& panel, int tabOrder) {
  panel.setBevelOuter(ui::Bevel::Raised);
  panel.setBevelWidth(2);
  panel.setBevelInner(ui::Bevel::None);
  panel.setShowCaption(false);
  panel.setTabOrder(tabOrder);
}

}  // namespace

TForm89::TForm89(HostEnvironment environment, SettingsEnvironment settings)
    : ui::Form(kCaption, kClientWidth, kClientHeight),
      Panel2(L"Panel2", nullptr, {167, 0, 55, 55}),
      Panel3(L"Panel3", nullptr, {112, 0, 55, 55}),
      Image2(L"Image2", &Panel3, kPictureInPanel, L"PLANE_TL"),
      Panel4(L"Panel4", nullptr, {56, 0, 55, 55}),
      Image3(L"Image3", &Panel4, kPictureInPanel, L"PLANE_TR"),
      Panel5(L"Panel5", nullptr, {1, 0, 55, 55}),
      Image4(L"Image4", &Panel5, kPictureInPanel, L"PLANE_R"),
      SpeedButton1(L"SpeedButton1", nullptr, {167, 56, 55, 23}, L"TEXT R"),
      SpeedButton2(L"SpeedButton2", nullptr, {112, 56, 55, 23}, L"TEXT TR"),
      SpeedButton3(L"SpeedButton3", nullptr, {56, 56, 55, 23}, L"TEXT TL"),
      SpeedButton4(L"SpeedButton4", nullptr, {1, 56, 55, 23}, L"TEXT L"),
      Image1(L"Image1", &Panel2, kPictureInPanel, L"PLANE_L"),
      SpeedButton5(L"SpeedButton5", nullptr, {1, 80, 76, 22}, L"ROTATE3D"),
      SpeedButton6(L"SpeedButton6", nullptr, {79, 80, 47, 22}, L"SW"),
      SpeedButton7(L"SpeedButton7", nullptr, {175, 80, 47, 22}, L"SE"),
      SpeedButton8(L"SpeedButton8", nullptr, {127, 80, 47, 22}, L"TOP"),
      environment_(environment),
      settings_(settings) {
  setUpPicturePanel(Panel2, 0);
  setUpPicturePanel(Panel3, 1);
  setUpPicturePanel(Panel4, 2);
  setUpPicturePanel(Panel5, 3);
  for (ui::SpeedButton* button : {&SpeedButton1, &SpeedButton2, &SpeedButton3, &SpeedButton4}) {
    button->setHint(kTextHint);
  }
  SpeedButton5.setHint(L"2点指示で3D回転");
  SpeedButton6.setHint(L"南西アイソメビュー");
  SpeedButton7.setHint(L"南東アイソメビュー");
  SpeedButton8.setHint(L"アイソメビュー終了");

  // Creation order: each panel before the picture inside it, left to right, then the buttons.
  for (ui::Control* control : std::initializer_list<ui::Control*>{
           &Panel5, &Image4, &Panel4, &Image3, &Panel3, &Image2, &Panel2, &Image1, &SpeedButton4,
           &SpeedButton3, &SpeedButton2, &SpeedButton1, &SpeedButton5, &SpeedButton6, &SpeedButton8,
           &SpeedButton7}) {
    addControl(*control);
  }
  wireEvents();
  FormCreate(nullptr);
}

TForm89::~TForm89() = default;

void TForm89::wireEvents() {
  onDestroy = [this] { FormDestroy(nullptr); };
  Image1.onClick = [this](ui::Control& sender) { Image1Click(&sender); };
  Image2.onClick = [this](ui::Control& sender) { Image2Click(&sender); };
  Image3.onClick = [this](ui::Control& sender) { Image3Click(&sender); };
  Image4.onClick = [this](ui::Control& sender) { Image4Click(&sender); };
  for (ui::Image* image : {&Image1, &Image2, &Image3, &Image4}) {
    image->onMouseMove = [this](ui::Control& sender, ui::ShiftState shift, int x, int y) {
      Image1MouseMove(&sender, shift, x, y);
    };
  }
  for (ui::SpeedButton* button : {&SpeedButton1, &SpeedButton2, &SpeedButton3, &SpeedButton4}) {
    button->onClick = [this](ui::Control& sender) { SpeedButton4Click(&sender); };
  }
  SpeedButton5.onClick = [this](ui::Control& sender) { SpeedButton5Click(&sender); };
  for (ui::SpeedButton* button : {&SpeedButton6, &SpeedButton7, &SpeedButton8}) {
    button->onClick = [this](ui::Control& sender) { SpeedButton6Click(&sender); };
  }
}

void TForm89::FormCreate(ui::Control* /*Sender*/) {
  PanelAry = {&Panel2, &Panel3, &Panel4, &Panel5};
  ImageAry = {&Image1, &Image2, &Image3, &Image4};
  // No window exists yet: it is created where this puts the form.
  const PaletteSettings loaded = loadSettings(settings_.store, settings_.metrics.primaryScreen(),
                                              settings_.metrics.outerSize(*this));
  setPosition({loaded.left, loaded.top});
  gbWaitFileMsec = loaded.waitFileMsec;
}

void TForm89::FormDestroy(ui::Control* /*Sender*/) {
  // The form keeps the restored position while minimised, so that is what is saved.
  try {
    saveSettings(settings_.store, {position().x, position().y, gbWaitFileMsec});
  } catch (const SettingsWriteError& error) {
    // The box's text is the user's, in the user's language; the program still ends normally.
    settings_.errors.showError(error.message());
  }
}

void TForm89::Image1Click(ui::Control* /*Sender*/) {
  cmdIsomeBlock2(L"L");
}
void TForm89::Image2Click(ui::Control* /*Sender*/) {
  cmdIsomeBlock2(L"TL");
}
void TForm89::Image3Click(ui::Control* /*Sender*/) {
  cmdIsomeBlock2(L"TR");
}
void TForm89::Image4Click(ui::Control* /*Sender*/) {
  cmdIsomeBlock2(L"R");
}

void TForm89::Image1MouseMove(ui::Control* Sender, ui::ShiftState /*Shift*/, int /*X*/, int /*Y*/) {
  // Only a change is written, so a move within one picture repaints nothing; leaving the
  // pictures changes nothing, and the last one hovered stays flat.
  for (std::size_t i = 0; i < ImageAry.size(); ++i) {
    const ui::Bevel wanted = ImageAry[i] == Sender ? ui::Bevel::None : ui::Bevel::Raised;
    if (PanelAry[i]->bevelOuter() != wanted)
      PanelAry[i]->setBevelOuter(wanted);
  }
}

void TForm89::cmdIsomeBlock2(const std::wstring& makeType) {
  actions::isometricBlock(environment_, makeType);
}

void TForm89::SpeedButton4Click(ui::Control* Sender) {
  actions::isometricText(environment_, *this, Sender,
                         {&SpeedButton4, &SpeedButton3, &SpeedButton2, &SpeedButton1});
}

void TForm89::SpeedButton5Click(ui::Control* /*Sender*/) {
  actions::rotate3D(environment_);
}

void TForm89::SpeedButton6Click(ui::Control* Sender) {
  actions::viewPreset(environment_, Sender);
}

}  // namespace orbelle
