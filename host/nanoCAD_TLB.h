// The application side of the host's object model: the application, its active document and
// the document's input object. Identifiers as the host registers them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/HostRelease.h"
#include "host/OdaX_TLB.h"

namespace orbelle {

// CoApplication: the host's application class.
inline constexpr Guid CLSID_CoApplication{
    0x449354E9, 0xCDD8, 0x4A11, {0xBD, 0x82, 0x0D, 0x4A, 0x3C, 0x21, 0xE7, 0xD2}};
// InanoCADApplication
inline constexpr Guid IID_InanoCADApplication{
    0xAFAB189D, 0x226A, 0x4047, {0xB9, 0x8F, 0xCD, 0x75, 0xCE, 0x56, 0xDD, 0xE4}};
// InanoCADUtility
inline constexpr Guid IID_InanoCADUtility{
    0x52D064C3, 0x27BE, 0x4B56, {0x9F, 0x11, 0xA7, 0x96, 0x3A, 0xE8, 0x35, 0x32}};

// The same interfaces in releases 23.0 and 24.0 (which share every interface ID).
inline constexpr Guid IID_InanoCADApplication_23{
    0x131B04FD, 0x1ABF, 0x4105, {0xA8, 0x09, 0x71, 0x37, 0x89, 0x25, 0x63, 0x53}};
inline constexpr Guid IID_InanoCADUtility_23{
    0xAE21AEC0, 0xF2BF, 0x4419, {0xB4, 0x55, 0x9E, 0x13, 0xA5, 0x8C, 0xE4, 0x5B}};
inline constexpr Guid IID_InanoCADState_23{
    0xA5FC1C8A, 0x5FC6, 0x4901, {0x9C, 0x52, 0x57, 0x93, 0xCC, 0x4F, 0xDA, 0x1D}};

// The exact title of the host's main window: the sign that the host is running.
inline constexpr wchar_t kHostWindowTitle[] = L"nanoCAD 5";

// What GetEntity hands back through its two out parameters.
struct PickedEntity {
  HostRef<HostValue> object;  // empty when nothing was picked
  HostRef<HostValue> point;
};

// InanoCADUtility
class HostInput {
 public:
  virtual ~HostInput() = default;
  virtual void prompt(const std::wstring& message) = 0;  // Prompt(Message)
  // GetPoint(Point, Prompt); a null base point is left out.
  virtual HostRef<HostValue> getPoint(const HostValue* basePoint, const std::wstring& prompt) = 0;
  virtual double getReal(const std::wstring& prompt) = 0;  // GetReal(Prompt)
  virtual PickedEntity getEntity(
      const std::wstring& prompt) = 0;  // GetEntity(Object, Point, Prompt)
};

class HostDocument {
 public:
  virtual ~HostDocument() = default;
  virtual HostRef<HostSelection> selectionSet() = 0;       // ActiveSelectionSet
  virtual HostRef<HostInput> utility() = 0;                // Utility, as InanoCADUtility
  virtual void sendCommand(const std::wstring& text) = 0;  // SendCommand(Command)
  virtual HostRef<HostStateLink> application() = 0;        // Application
};

// InanoCADApplication
class HostApplication {
 public:
  virtual ~HostApplication() = default;
  virtual HostRef<HostDocument> activeDocument() = 0;  // ActiveDocument
  // HWND: the main window's handle; only its low 32 bits count.
  virtual std::uint32_t mainWindowHandle() = 0;
};

// An application object a running host registered as running (in the Running Object Table),
// not yet queried for any release's interface.
class RunningHost {
 public:
  virtual ~RunningHost() = default;
  // QueryInterface for `iid`: false when the object lacks it; throws HostError on any other
  // failure (a host that died, for instance).
  virtual bool answers(const Guid& iid) = 0;
  // The application queried as `release` qualifies it; every object reached from it is queried
  // for that release's IDs. Throws HostError when the query fails.
  virtual HostRef<HostApplication> drive(const HostRelease& release) = 0;
};

// The ways to the host's application object. Throws HostError when a call fails.
class HostConnector {
 public:
  virtual ~HostConnector() = default;
  // CoApplication, in-process or local server, queried for InanoCADApplication.
  virtual HostRef<HostApplication> createApplication() = 0;
  // The names of the registered program IDs (keys of HKEY_CLASSES_ROOT) that begin with
  // `prefix`, in any case. A connector that knows only nanoCAD 5 finds none.
  virtual std::vector<std::wstring> registeredProgramIds(std::wstring_view /*prefix*/) {
    return {};
  }
  // Something that changes whenever a key is added to or removed from the registered classes
  // (each part's count of keys and the time it was last written); nothing when the connector
  // cannot tell, and its program IDs must be listed every time.
  virtual std::optional<std::vector<std::uint64_t>> classesStamp() { return {}; }
  // The class a program ID names (CLSIDFromProgID); nothing when it names none.
  virtual std::optional<Guid> classOfProgramId(const std::wstring& /*programId*/) { return {}; }
  // The object registered as running for the class (GetActiveObject), which never starts a
  // program; null when none runs.
  virtual HostRef<RunningHost> runningObject(const Guid& /*classId*/) { return nullptr; }
};

}  // namespace orbelle
