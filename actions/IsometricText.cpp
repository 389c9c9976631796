#include "actions/IsometricText.h"

#include <optional>

#include "actions/ExactValues.h"
#include "actions/NumberText.h"
#include "host/FailureLog.h"
#include "host/HostLink.h"

namespace orbelle::actions {

namespace {

constexpr wchar_t kPickPrompt[] = L"TEXT を指示 : ";

struct PlaneAngles {
  double rotation;
  double oblique;
};

// First match in the order L, TL, TR, R.
std::optional<PlaneAngles> planeAngles(const ui::Control* sender, const TextPlaneButtons& buttons) {
  if (sender == nullptr)
    return std::nullopt;
  if (sender == buttons.left)
    return PlaneAngles{kText330Degrees, kText330Degrees};
  if (sender == buttons.topLeft)
    return PlaneAngles{kText330Degrees, kText30Degrees};
  if (sender == buttons.topRight)
    return PlaneAngles{kText30Degrees, kText330Degrees};
  if (sender == buttons.right)
    return PlaneAngles{kText30Degrees, kText30Degrees};
  return std::nullopt;
}

// Every host reference of one click, held until the palette's window state has been set.
struct Click {
  HostRef<HostApplication> host;
  HostRef<HostDocument> document;
  PickedEntity picked;
  HostRef<HostObject> object;
  HostRef<HostEntity> entity;
  HostRef<HostText> text;
  HostRef<HostValue> anchor;
  HostRef<HostObject> copyObject;
  HostRef<HostText> copy;
};

// Exactly zero: -0 counts, a NaN does not.
bool notIsometric(HostText& text) {
  return text.obliqueAngle() == 0.0 || text.rotation() == 0.0;
}

void convert(Desktop& desktop, const PlaneAngles& angles, Click& click, FailureLog& failures) {
  // This action takes the document before bringing the host forward, and sends no "^C^C".
  click.document = click.host->activeDocument();
  activateHost(desktop, *click.host);
  pressEscInHost(desktop, *click.host, EscapeVariant::SinglePauseBetween);

  try {
    click.picked = click.document->utility()->getEntity(kPickPrompt);
  } catch (...) {
    // A cancelled pick is a failure of the ask, and the host says so: written, then ended.
    click.picked = {};
    failures.write(std::current_exception());
    return;
  }
  // Nothing picked, or something other than a single-line text: the user's answer, which ends
  // the click without a failure.
  if (click.picked.object == nullptr || click.picked.object->isEmpty())
    return;

  // Not an object, a null object or no entity interface: each throws and ends the click.
  click.object = click.picked.object->asObject();
  endIfPaletteClosed(desktop);  // the pick may have come back to a closed palette
  click.entity = click.object->queryEntity();
  if (click.entity->objectName() != L"AcDbText")
    return;
  click.text = click.entity->queryText();
  click.anchor = click.text->alignment() == 0 ? click.text->insertionPoint()
                                              : click.text->textAlignmentPoint();

  // A text already isometric is turned in place; any other is copied, and the copy scaled, so
  // that a text turned by an earlier click is not shrunk again.
  HostText* working = click.text.get();
  if (notIsometric(*click.text)) {
    click.copyObject = click.entity->copy();
    click.copy = click.copyObject->queryText();
    working = click.copy.get();
  }
  if (notIsometric(*working)) {
    const double height = click.text->height();
    working->setHeight(scaledTextHeight(height));
    working->setScaleFactor(kTextWidthFactor);
  }
  working->setRotation(angles.rotation);
  working->setObliqueAngle(angles.oblique);
  working->update();

  // The copy is the drawing's last object: the user places it with the host's move command.
  if (click.copy != nullptr) {
    click.document->sendCommand(L"move\rL\r\r" + fixedSixText(click.anchor->element(0)) + L"," +
                                fixedSixText(click.anchor->element(1)) + L"\r");
  }
}

}  // namespace

void isometricText(HostEnvironment environment, ui::Form& palette, const ui::Control* sender,
                   const TextPlaneButtons& buttons) noexcept {
  Click click;
  FailureLog failures(environment.desktop, L"isometric text");
  // A sender that is none of the four buttons has no plane: nothing is sent to the host.
  const std::optional<PlaneAngles> angles = planeAngles(sender, buttons);
  if (!angles) {
    failures.write(L"the click came from none of the four TEXT buttons");
  } else if (connectHost(environment, click.host, &failures)) {
    try {
      convert(environment.desktop, *angles, click, failures);
    } catch (...) {
      // Nothing on screen; changes made before the failure stay in the drawing.
      failures.write(std::current_exception());
    }
  }
  try {
    palette.setWindowState(ui::WindowState::Normal);
  } catch (...) {
    // Nothing to report to: the palette shows no messages.
  }
}

}  // namespace orbelle::actions
