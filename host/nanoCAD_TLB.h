// The application side of the host's object model: the application, its active document and
// the document's input object. Identifiers as the host registers them.
#pragma once

#include <cstdint>
#include <string>

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

// Creates the host's application object: CoApplication, in-process or local server, queried
// for InanoCADApplication. Throws HostError when creation or the query fails.
class HostConnector {
 public:
  virtual ~HostConnector() = default;
  virtual HostRef<HostApplication> createApplication() = 0;
};

}  // namespace orbelle
