#include "tests/win32/FakeCad.h"

#include <algorithm>

#include "actions/IsometricBlock.h"
#include "actions/IsometricText.h"
#include "actions/Rotate3D.h"
#include "actions/ViewPresets.h"
#include "host/nanoCAD_TLB.h"
#include "host/win32/ComHostConnector.h"
#include "host/win32/ComHostObjects.h"
#include "host/win32/ComStatus.h"
#include "tests/support/CallLog.h"

namespace orbelle::win32::fake {

namespace {

constexpr WindowHandle kOtherWindow = 0x31337;

Variant none(const Invocation&) {
  return Variant();
}

// A read answers the script's value; a put is only recorded, with its bits.
FakeObject::Handler property(FakeServer& server, const wchar_t* member, const double& value) {
  return [&server, member, &value](const Invocation& call) {
    return call.isPut() ? Variant() : server.answer(member, Variant(value));
  };
}

}  // namespace

namespace {

// The class the later release's program ID names: any class of the test's own.
constexpr Guid kLaterClass{0x0DDBA11, 0x0001, 0x4ABC, {0x80, 0, 0, 0, 0, 0, 0, 0x24}};

}  // namespace

CadWorld::CadWorld(CadScript cadScript, const HostRelease& hostRelease)
    : script(std::move(cadScript)), release(hostRelease) {
  if (&release == &kNanoCad5)
    desktop.windows[kHostWindowTitle] = static_cast<WindowHandle>(script.window);
  desktop.foregroundWindow = kOtherWindow;
  desktop.tick = 7'000'000;
  build();
}

void CadWorld::build() {
  FakeServer& s = server;
  const auto object = [&](const wchar_t* name) { return Variant::dispatch(&s.object(name)); };

  s.object(L"application")
      .offers(toGuid(release.application))
      .on(L"ActiveDocument",
          [&s, object](const Invocation&) {
            return s.answer(L"ActiveDocument", object(L"document"));
          })
      .on(L"HWND",
          [this](const Invocation&) { return server.answer(L"HWND", Variant(script.window)); });

  s.object(L"document")
      .on(L"ActiveSelectionSet",
          [&s, object](const Invocation&) {
            return s.answer(L"ActiveSelectionSet", object(L"selection"));
          })
      .on(L"Utility",
          [&s, object](const Invocation&) { return s.answer(L"Utility", object(L"utility")); })
      .on(L"SendCommand", none)
      .on(L"Application", [&s, object](const Invocation&) {
        return s.answer(L"Application", object(L"state link"));
      });

  s.object(L"state link").on(L"GetState", [&s, object](const Invocation&) {
    return s.answer(L"GetState", object(L"state"));
  });
  s.object(L"state").offers(toGuid(release.state)).on(L"IsQuiescent", [this](const Invocation&) {
    const bool idle = script.idle.at(std::min(polls_++, script.idle.size() - 1));
    return server.answer(L"IsQuiescent", Variant::boolean(idle));
  });

  s.object(L"utility")
      .offers(toGuid(release.utility))
      .on(L"Prompt", none)
      .on(L"GetPoint",
          [this](const Invocation&) {
            const std::vector<double>& point = script.points.at(pointsAsked_++);
            return server.answer(L"GetPoint", Variant::doubles(point));
          })
      .on(L"GetReal",
          [this](const Invocation&) { return server.answer(L"GetReal", Variant(script.real)); })
      .on(L"GetEntity", [&s, object](const Invocation& call) {
        call.setOut(0, s.answer(L"GetEntity", object(L"text")));
        call.setOut(1, Variant::doubles(std::vector<double>{3, 4, 0}));
        return Variant();
      });

  s.object(L"selection")
      .on(L"Count",
          [this](const Invocation&) { return server.answer(L"Count", Variant(script.count)); })
      .on(L"Item",
          [&s](const Invocation& call) {
            const std::wstring name = L"e" + std::to_wstring(call.arguments.at(0)->lVal);
            return s.answer(L"Item", Variant::dispatch(&s.object(name)));
          })
      .on(L"Clear", none)
      .on(L"SelectOnScreen", none);
  for (std::int32_t i = 0; i < script.count; ++i)
    s.object(L"e" + std::to_wstring(i)).offers(toGuid(release.entity)).on(L"Rotate3D", none);

  // The picked text and its copy answer alike.
  for (const wchar_t* name : {L"text", L"copy"}) {
    FakeObject& text = s.object(name);
    text.offers(toGuid(release.entity)).offers(toGuid(release.text));
    text.on(L"ObjectName",
            [this](const Invocation&) {
              return server.answer(L"ObjectName", Variant(std::wstring_view(script.className)));
            })
        .on(L"Copy", [&s, object](const Invocation&) { return s.answer(L"Copy", object(L"copy")); })
        .on(L"Update", none)
        .on(L"Rotate3D", none)
        .on(L"Alignment",
            [this](const Invocation&) {
              return server.answer(L"Alignment", Variant(script.alignment));
            })
        .on(L"Height", property(s, L"Height", script.height))
        .on(L"Rotation", property(s, L"Rotation", script.rotation))
        .on(L"ObliqueAngle", property(s, L"ObliqueAngle", script.obliqueAngle))
        .on(L"ScaleFactor", none)
        .on(L"InsertionPoint",
            [this](const Invocation&) {
              return server.answer(L"InsertionPoint", Variant::doubles(script.insertionPoint));
            })
        .on(L"TextAlignmentPoint", [this](const Invocation&) {
          return server.answer(L"TextAlignmentPoint", Variant::doubles(script.alignmentPoint));
        });
  }
}

HostRef<HostApplication> CadWorld::Connector::createApplication() {
  return wrapApplication(world_.server.share(world_.server.object(L"application")), kNanoCad5);
}

std::vector<std::wstring> CadWorld::Connector::registeredProgramIds(std::wstring_view) {
  if (&world_.release == &kNanoCad5)
    return {};
  return {L"nanoCAD.Application", kProgramId};
}

std::optional<Guid> CadWorld::Connector::classOfProgramId(const std::wstring&) {
  return kLaterClass;
}

HostRef<RunningHost> CadWorld::Connector::runningObject(const Guid& classId) {
  if (!(classId == kLaterClass))
    return nullptr;
  ComRef<IDispatch> application = world_.server.share(world_.server.object(L"application"));
  return wrapRunning(ComRef<IUnknown>::share(application.get()));
}

void CadWorld::run(Action action) {
  switch (action) {
    case Action::Block:
      actions::isometricBlock(environment_, L"R");
      break;
    case Action::Text:
      actions::isometricText(environment_, palette_, &textR_,
                             {&textL_, &textTL_, &textTR_, &textR_});
      break;
    case Action::Rotation:
      actions::rotate3D(environment_);
      break;
    case Action::View:
      actions::viewPreset(environment_, &southWest_);
      break;
  }
}

std::vector<std::wstring> CadWorld::trace() const {
  std::vector<std::wstring> lines;
  for (const RecordedCall& call : server.calls()) {
    std::wstring line = L"host: " + call.object + L"." + call.member + L" [" + call.flags + L"]";
    for (const std::wstring& argument : call.args)
      line += L" | " + argument;
    lines.push_back(line);
  }
  for (const orbelle::fake::Call& call : log.calls()) {
    std::wstring line = L"desktop: " + call.operation;
    for (const std::wstring& argument : call.args)
      line += L" | " + argument;
    lines.push_back(line);
  }
  for (const std::wstring& debug : desktop.debugLines)
    lines.push_back(L"debug: " + debug);
  return lines;
}

}  // namespace orbelle::win32::fake
