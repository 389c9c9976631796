// nanosim.exe: the stand-in host. Reads its options, refuses what it cannot use before touching
// any file, registers its class object, then shows its window and serves until it is closed.
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "host/nanoCAD_TLB.h"
#include "host/win32/ComRef.h"
#include "host/win32/ComStatus.h"
#include "sim/DrawingJson.h"
#include "sim/Json.h"
#include "sim/Options.h"
#include "sim/Script.h"
#include "sim/Session.h"
#include "sim/win32/ClassFactory.h"
#include "sim/win32/Console.h"
#include "sim/win32/HostWindow.h"
#include "sim/win32/Registration.h"
#include "ui/win32/ProgramPath.h"

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

// The whole file, or an error naming it.
std::string readFile(const std::wstring& path, const char* what) {
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  if (!file)
    throw std::runtime_error(std::string("cannot open the ") + what + " " + toUtf8(path));
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

int run(int showCommand) {
  Options options;
  try {
    options = parseOptions(arguments());
  } catch (const OptionsError& e) {
    return fail(kExitBadInput, std::string(e.what()) + "\n" + kUsage);
  }
  if (options.help) {
    win32::writeError(kUsage);
    return 0;
  }
  if (options.registerServer || options.unregisterServer) {
    const std::string error = options.registerServer
                                  ? win32::registerServer(orbelle::ui::win32::executablePath())
                                  : win32::unregisterServer();
    if (!error.empty())
      return fail(kExitFailed, error);
    win32::writeError(options.registerServer
                          ? "nanosim: registered the class and its type library\n"
                          : "nanosim: unregistered\n");
    return 0;
  }

  // One host per desktop session: a second one would fight over the class object.
  const std::unique_ptr<void, decltype(&::CloseHandle)> instance(
      ::CreateMutexW(nullptr, TRUE, L"Local\\OrbelleNanoSimHost"), &::CloseHandle);
  if (instance == nullptr || ::GetLastError() == ERROR_ALREADY_EXISTS) {
    return fail(kExitAlreadyRunning,
                "another stand-in host is already running in this session; close it first "
                "(nothing was started)");
  }

  Drawing drawing;
  std::vector<ScriptStep> script;
  try {
    if (options.drawing) {
      try {
        drawing = loadDrawing(readFile(*options.drawing, "drawing"));
      } catch (const DrawingError& e) {
        throw std::runtime_error(toUtf8(*options.drawing) + ":" + std::to_string(e.line()) + ": " +
                                 e.what());
      }
    }
    if (options.script) {
      try {
        script = parseScript(readFile(*options.script, "script"));
      } catch (const ScriptError& e) {
        throw std::runtime_error(toUtf8(*options.script) + ":" + std::to_string(e.line()) + ": " +
                                 e.what());
      }
    }
  } catch (const std::exception& e) {
    return fail(kExitBadInput, e.what());
  }

  FileLog log(options.log);
  if (options.log && log.failed())
    return fail(kExitBadInput, "cannot write the log " + toUtf8(*options.log));

  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
    return fail(kExitFailed, "COM could not be initialised");
  int code = 0;
  {
    win32::HostWindow window;
    Session session(std::move(drawing), std::move(script), log, window);
    window.attach(session);
    // The class object first: the palette takes the window as the sign that the host is ready.
    DWORD cookie = 0;
    orbelle::win32::ComRef<IClassFactory> factory = win32::makeClassFactory(session);
    const HRESULT registered =
        ::CoRegisterClassObject(orbelle::win32::toGuid(orbelle::CLSID_CoApplication), factory.get(),
                                CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    if (FAILED(registered)) {
      code = fail(kExitFailed, "registering the class object failed");
    } else if (const std::string error = window.create(options.title, showCommand);
               !error.empty()) {
      code = fail(kExitFailed, error);
    } else {
      session.ready(options.title);
      MSG message;
      while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
      }
      code = static_cast<int>(message.wParam);
    }
    if (cookie != 0)
      ::CoRevokeClassObject(cookie);
    factory.reset();
    // Clients' objects are released with COM, before the session they belong to goes.
    ::CoUninitialize();
    window.detach();
  }
  return code;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int showCommand) {
  try {
    return run(showCommand);
  } catch (const std::exception& e) {
    return fail(kExitFailed, std::string("unexpected failure: ") + e.what());
  }
}
