// The palette program: start-up, the palette window, the message loop. No command-line
// argument is read.
#include <windows.h>

#include <exception>

#include "app/TForm89.h"
#include "app/win32/IniProfileStore.h"
#include "app/win32/Win32ScreenMetrics.h"
#include "base/Exceptions.h"
#include "host/RememberingConnector.h"
#include "host/win32/ComHostConnector.h"
#include "host/win32/Win32Desktop.h"
#include "ui/ThemeManager.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/Resources.h"
#include "ui/win32/Toolkit.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand) {
  using namespace orbelle;
  ui::win32::ErrorBox errors;
  try {
    // 1. The toolkit. What only the actions and the hints need (COM, the common controls) comes
    //    once the palette is on the screen: it would keep it from showing sooner.
    ui::win32::Toolkit toolkit;
    // 2. The main window owns the taskbar button: the toolkit's forms are top-level windows
    //    with no owner and the app-window style, so there is no hidden application window.
    // 3. The dark theme, with its error dialog; start-up goes on in the system look without it.
    ui::win32::ResourceThemeLibrary themeLibrary;
    ui::ThemeManager themes(themeLibrary, errors);
    themes.trySetStyle(L"Windows10 Dark");
    // 4. The palette as the main window; its creation handler ran in its constructor and
    //    placed it from the settings file beside the executable.
    win32::Win32Desktop desktop;
    win32::ComHostConnector com;
    RememberingConnector connector(com);
    win32::IniProfileStore settingsFile = win32::IniProfileStore::besideExecutable();
    win32::Win32ScreenMetrics screen;
    TForm89 palette({desktop, connector}, {settingsFile, screen, errors});
    ui::win32::FormWindow window(palette, themes, errors);
    window.show(showCommand);
    toolkit.startCom();  // before the first click: input waits behind this
    // 5. and 6. Until the palette is closed: its window is destroyed then (FormDestroy runs)
    //    and posts the quit message, whose code 0 is the exit code.
    return toolkit.runMessageLoop();
  } catch (...) {
    // The palette may already have been on the screen: its window, gone, posted the quit.
    ui::win32::discardPendingQuit();
    errors.showError(base::describeException(std::current_exception()));
    return 1;
  }
}
