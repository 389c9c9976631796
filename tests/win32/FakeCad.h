// The palette's actions over the real COM host objects (host/win32/ComHostObjects) against a
// small host made of fake automation objects: every member the actions call, answering from a
// script of canonical values that the server may hand over in any encoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/HostEnvironment.h"
#include "tests/support/CallLog.h"
#include "tests/support/FakeDesktop.h"
#include "tests/win32/FakeDispatch.h"
#include "ui/Control.h"
#include "ui/Form.h"

namespace orbelle::win32::fake {

// The host's answers, canonically.
struct CadScript {
  std::int32_t window = 0x20E42;           // HWND
  std::vector<bool> idle = {false, true};  // IsQuiescent, one a poll; the last repeats
  std::vector<std::vector<double>> points = {{100, 50, 0}, {1, 2, 0}, {1, 2, 5}};  // GetPoint
  double real = 30;                                                                // GetReal
  std::int32_t count = 2;                // Count: the selection holds entities e0, e1, ...
  std::wstring className = L"AcDbText";  // ObjectName of the picked object
  std::int32_t alignment = 0;
  double height = 10;
  double rotation = 0;
  double obliqueAngle = 1;  // non-zero, so that the rotation is read too
  std::vector<double> insertionPoint = {12.5, -3, 0};
  std::vector<double> alignmentPoint = {40, 2, 0};
};

// A host, a desktop with its window, and a connector that hands out the host's application
// object through the COM adapter: what an action needs to run over the Windows layer. The host's
// objects answer the interface IDs of `release`; nanoCAD 5 has its window, a later release runs
// under the program ID kProgramId instead, found by the search of the running objects.
class CadWorld {
 public:
  static constexpr wchar_t kProgramId[] = L"nanoCAD.Application.24.0";

  explicit CadWorld(CadScript script = {}, const HostRelease& release = kNanoCad5);
  CadWorld(const CadWorld&) = delete;
  CadWorld& operator=(const CadWorld&) = delete;

  enum class Action { Block, Text, Rotation, View };
  void run(Action action);

  // Every call the host and the desktop received, and the debug lines, in one spelling.
  std::vector<std::wstring> trace() const;

  FakeServer server;
  CadScript script;
  const HostRelease& release;
  orbelle::fake::CallLog log;
  orbelle::fake::FakeDesktop desktop{log};

 private:
  class Connector : public HostConnector {
   public:
    explicit Connector(CadWorld& world) : world_(world) {}
    HostRef<HostApplication> createApplication() override;
    std::vector<std::wstring> registeredProgramIds(std::wstring_view prefix) override;
    std::optional<Guid> classOfProgramId(const std::wstring& programId) override;
    HostRef<RunningHost> runningObject(const Guid& classId) override;

   private:
    CadWorld& world_;
  };

  void build();

  Connector connector_{*this};
  HostEnvironment environment_{desktop, connector_};
  std::size_t pointsAsked_ = 0;
  std::size_t polls_ = 0;
  ui::Form palette_{L"palette", 225, 102};
  ui::SpeedButton textL_{L"SpeedButton4", nullptr, {}, L"TEXT L"};
  ui::SpeedButton textTL_{L"SpeedButton3", nullptr, {}, L"TEXT TL"};
  ui::SpeedButton textTR_{L"SpeedButton2", nullptr, {}, L"TEXT TR"};
  ui::SpeedButton textR_{L"SpeedButton1", nullptr, {}, L"TEXT R"};
  ui::SpeedButton southWest_{L"SpeedButton6", nullptr, {}, L"SW"};
};

}  // namespace orbelle::win32::fake
