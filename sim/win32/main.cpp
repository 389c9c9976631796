// nanosim.exe: the stand-in host. Reads its options, refuses what it cannot use before touching
// any file, registers its class object (release 24: its program IDs and its application in the
// Running Object Table), then shows its window and serves until it is closed.
#include <objbase.h>
#include <oleauto.h>
#include <shellapi.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "sim/DrawingJson.h"
#include "sim/Encoding.h"
#include "sim/Error.h"
#include "sim/Json.h"
#include "sim/Options.h"
#include "sim/Registrations.h"
#include "sim/Script.h"
#include "sim/Session.h"
#include "sim/win32/Bstr.h"
#include "sim/win32/ClassFactory.h"
#include "sim/win32/ComPtr.h"
#include "sim/win32/Console.h"
#include "sim/win32/DispatchObject.h"
#include "sim/win32/HostWindow.h"
#include "sim/win32/Identifiers.h"
#include "sim/win32/ProgramIds.h"
#include "sim/win32/Registration.h"
#include "sim/win32/RegistryKey.h"
#include "sim/win32/RunningObject.h"
#include "sim/win32/ServedLibrary.h"
#include "ui/ProgramPath.h"

namespace {

using namespace orbelle::sim;

constexpr int kExitBadInput = 2;
constexpr int kExitAlreadyRunning = 3;
constexpr int kExitFailed = 4;

int fail(int code, const std::string& message) {
  win32::writeError("nanosim: " + message + "\n");
  return code;
}

std::vector<std::wstring> arguments() {
  int count = 0;
  LPWSTR* raw = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::wstring> out;
  for (int i = 1; i < count; ++i)
    out.emplace_back(raw[i]);
  ::LocalFree(raw);
  return out;
}

// However long: the buffer grows as the palette's does (the reader is portable, the call is ours).
std::wstring exePath() {
  return orbelle::ui::readWhole([](wchar_t* buffer, std::size_t size) -> std::size_t {
    return ::GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(size));
  });
}

// The whole file, or an Error naming it.
std::string readFile(const std::wstring& path, const char* what) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  if (!file)
    throw Error(std::string("cannot open the ") + what + " " + toUtf8(path));
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class FileLog final : public LogSink {
 public:
  explicit FileLog(const std::optional<std::wstring>& path) {
    if (path)
      file_.open(std::filesystem::path(*path), std::ios::binary | std::ios::trunc);
  }
  bool failed() const { return file_.is_open() == false; }
  void write(const std::string& line) override {
    if (file_.is_open()) {
      file_ << line << '\n';
      file_.flush();
    }
  }

 private:
  std::ofstream file_;
};

// A refusal and the exit code that says which kind it is.
class Refused : public Error {
 public:
  Refused(int code, const std::string& what) : Error(what), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// COM for this thread, as long as the owner lives.
class Apartment {
 public:
  Apartment() {
    if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
      throw Refused(kExitFailed, "COM could not be initialised");
  }
  ~Apartment() { ::CoUninitialize(); }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
};

// The class object of CoApplication, registered as long as the owner lives.
class ClassRegistration {
 public:
  explicit ClassRegistration(Session& session) : factory_(win32::makeClassFactory(session)) {
    if (FAILED(::CoRegisterClassObject(CLSID_CoApplication, factory_.get(), CLSCTX_LOCAL_SERVER,
                                       REGCLS_MULTIPLEUSE, &cookie_)))
      throw Refused(kExitFailed, "registering the class object failed");
  }
  ~ClassRegistration() { revoke(); }
  // Withdraws the class object before its time (the script step "revoke"), once.
  void revoke() {
    if (cookie_ != 0)
      ::CoRevokeClassObject(std::exchange(cookie_, 0));
  }
  ClassRegistration(const ClassRegistration&) = delete;
  ClassRegistration& operator=(const ClassRegistration&) = delete;

 private:
  win32::ComPtr<IClassFactory> factory_;
  DWORD cookie_ = 0;
};

// The window forgets the session before the session goes.
class Attachment {
 public:
  Attachment(win32::HostWindow& window, Session& session) : window_(window) {
    window_.attach(session);
  }
  ~Attachment() { window_.detach(); }
  Attachment(const Attachment&) = delete;
  Attachment& operator=(const Attachment&) = delete;

 private:
  win32::HostWindow& window_;
};

// A type library that COM cannot find marshals nothing: the clients' queries for its interface
// IDs would fail as if no object had them.
void requireRegistered(const win32::ServedLibrary& library) {
  win32::Bstr path;
  if (FAILED(::QueryPathOfRegTypeLib(library.libraryId(), library.majorVersion(),
                                     library.minorVersion(), LOCALE_NEUTRAL, path.put())))
    throw Error("its type library " + toUtf8(win32::guidText(library.libraryId())) +
                " is not registered: run nanosim.exe /RegServer first (nothing was started)");
}

Options readOptions() {
  try {
    return parseOptions(arguments());
  } catch (const OptionsError& e) {
    throw Refused(kExitBadInput, std::string(e.what()) + "\n" + kUsage);
  }
}

// The drawing and the script; a file that cannot be read or parsed is refused with its line.
std::pair<Drawing, std::vector<ScriptStep>> readInputs(const Options& options) {
  std::pair<Drawing, std::vector<ScriptStep>> inputs;
  const std::wstring* reading = nullptr;
  try {
    if (options.drawing) {
      reading = &*options.drawing;
      inputs.first = loadDrawing(readFile(*options.drawing, "drawing"));
    }
    if (options.script) {
      reading = &*options.script;
      inputs.second = parseScript(readFile(*options.script, "script"));
      if (options.dispatch == Dispatch::TypeLibrary)
        refuseDialects(inputs.second);
    }
  } catch (const LineError& e) {
    throw Refused(kExitBadInput,
                  toUtf8(*reading) + ":" + std::to_string(e.line()) + ": " + e.what());
  } catch (const Error& e) {
    throw Refused(kExitBadInput, e.what());
  }
  return inputs;
}

int run(int showCommand) {
  const Options options = readOptions();
  if (options.help) {
    win32::writeError(kUsage);
    return 0;
  }
  if (options.registerServer || options.unregisterServer) {
    try {
      if (options.registerServer)
        win32::registerServer(exePath());
      else
        win32::unregisterServer(exePath());
    } catch (const Error& e) {
      throw Refused(kExitFailed, e.what());
    }
    win32::writeError(options.registerServer
                          ? "nanosim: registered the class and its type libraries\n"
                          : "nanosim: unregistered\n");
    return 0;
  }

  const bool typeLibrary = options.dispatch == Dispatch::TypeLibrary;
  const bool release24 = options.release == "24";
  // What type-library dispatch serves, and the application's class. The library outlives COM
  // below: the objects clients left are released as COM ends.
  std::optional<win32::ServedLibrary> library;
  std::optional<win32::Serving> serving;
  std::wstring classId = win32::guidText(CLSID_CoApplication);
  try {
    if (typeLibrary) {
      library.emplace(exePath(), release24 ? 2 : 1);
      requireRegistered(*library);
      serving.emplace(*library);
    }
    if (release24)
      classId = options.classId.value_or(win32::guidText(library->classId()));
  } catch (const Error& e) {
    throw Refused(kExitFailed, e.what());
  }

  // One host of a class per desktop session: a second one would fight over its class object
  // (or its program IDs and its entry in the Running Object Table). Hosts of different releases
  // run side by side, as different releases of nanoCAD can.
  const std::unique_ptr<void, decltype(&::CloseHandle)> instance(
      ::CreateMutexW(nullptr, TRUE, (L"Local\\OrbelleNanoSimHost " + classId).c_str()),
      &::CloseHandle);
  if (instance == nullptr || ::GetLastError() == ERROR_ALREADY_EXISTS) {
    throw Refused(kExitAlreadyRunning,
                  "another stand-in host of the class " + toUtf8(classId) +
                      " is already running in this session; close it first (nothing was "
                      "started)");
  }

  auto [drawing, script] = readInputs(options);
  // Release 24's program IDs, before any file is touched; removed after COM ends.
  std::optional<win32::ProgramIdRegistration> programIds;
  try {
    if (release24)
      programIds.emplace(programIdsOf(programVersion(options)), classId);
  } catch (const Error& e) {
    throw Refused(kExitFailed, e.what());
  }

  FileLog log(options.log);
  if (options.log && log.failed())
    throw Refused(kExitBadInput, "cannot write the log " + toUtf8(*options.log));

  // Torn down in reverse: the class object (or the Running Object Table's entry) is revoked,
  // then COM releases what clients left (objects of the session, which log their release), then
  // the window lets go of the session.
  win32::HostWindow window;
  Session session(std::move(drawing), std::move(script), log, window);
  session.setDialect(typeLibrary ? typeLibraryEncoding() : dialectNamed(options.dialect));
  const Attachment attachment(window, session);
  const Apartment apartment;
  HostIdentity identity{
      .title = options.title, .release = releaseName(options), .classId = classId};
  // The class object (or the table's entry) first: the palette takes the window as the sign that
  // the host is ready.
  std::optional<ClassRegistration> classObject;
  std::optional<win32::RunningObject> running;
  if (release24) {
    if (const auto& skipped = programIds->skipped())
      session.programIdSkipped(skipped->first, skipped->second);
    identity.programIds = programIds->registered();
    CLSID clsid{};
    if (FAILED(::CLSIDFromString(classId.c_str(), &clsid)))
      throw Refused(kExitBadInput, "the class ID " + toUtf8(classId) + " cannot be read");
    try {
      running.emplace(win32::wrapObject(session, session.residentApplication()), clsid);
    } catch (const Error& e) {
      throw Refused(kExitFailed, e.what());
    }
    window.onRevoke([&running] { running->revoke(); });
  } else {
    classObject.emplace(session);
    window.onRevoke([&classObject] { classObject->revoke(); });
  }
  try {
    window.create(options.title, showCommand);
  } catch (const Error& e) {
    throw Refused(kExitFailed, e.what());
  }
  session.ready(identity);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int showCommand) {
  try {
    return run(showCommand);
  } catch (const Refused& e) {
    return fail(e.code(), e.what());
  } catch (const std::exception& e) {
    return fail(kExitFailed, std::string("unexpected failure: ") + e.what());
  }
}
