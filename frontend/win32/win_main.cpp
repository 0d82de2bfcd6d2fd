// The Windows program: wires the core to Win32, WinHTTP and the Windows layer, then runs the
// message loop.
#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "command_line_args.h"
#include "common/app_version_info.h"
#include "config/app_config.h"
#include "config/config_storage.h"
#include "conn_gui_window.h"
#include "connect/qx_connection.h"
#include "startup_form.h"
#include "win_app_data.h"
#include "win_application.h"
#include "win_dialogs.h"
#include "win_http_client.h"
#include "win_ini_file.h"
#include "win_launch_files.h"
#include "win_registry.h"
#include "win_resources.h"
#include "win_shell.h"
#include "win_system_info.h"
#include "win_text.h"
#include "win_uri_parser.h"

namespace {

// The Windows Imaging Component and the shell's handlers need COM on the GUI thread.
class TComApartment {
 public:
  TComApartment()
      : FInitialised(
            SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
  }
  ~TComApartment() {
    if (FInitialised) CoUninitialize();
  }
  TComApartment(const TComApartment&) = delete;
  TComApartment& operator=(const TComApartment&) = delete;

 private:
  bool FInitialised;
};

void InitControlClasses() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
  InitCommonControlsEx(&controls);
}

int Run() {
  TWinResources resources;
  AppResVersionInfo = LoadAppResVersionInfo(resources);

  TWinDialogs dialogs;
  TWinHttpClientFactory http;
  TWinURIParser uri;
  TWinSystemInfo system;
  TWinApplication app;
  TWinShell shell;
  TWinLaunchFiles launchFiles;
  TQXConnection connection(
      {http, uri, system, dialogs, AppResVersionInfo, &shell, &launchFiles, &app});

  TWinIniFile ini;
  TWinRegistry registry;
  TWinAppDataFolder appData;
  TConfigStorage storage(ini, registry, appData);
  const std::vector<std::string> args = CommandLineArguments(GetCommandLineW());
  TAppConfig config(args, {dialogs, system, uri, storage, AppResVersionInfo});

  int exitCode = 0;
  {
    std::unique_ptr<TConnGUIWindow> window;
    auto showWindow = [&] {
      window = std::make_unique<TConnGUIWindow>(TConnGUIWindowServices{
          connection, config, dialogs, http, uri,
          [&connection](const TConnResponse& response) { return connection.Redirect(response); },
          &app});
      app.SetMainWindow(window->Handle());
      window->Show();
    };
    TConnStartupForm startup(config, connection, dialogs, app, showWindow);
    startup.Show();
    exitCode = app.Run();
  }
  config.SaveConfig();
  return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  TComApartment com;
  InitControlClasses();
  try {
    return Run();
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, ToWide(e.what()).c_str(), L"Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  } catch (...) {
    MessageBoxW(nullptr, L"An unexpected error occurred.", L"Error",
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
  }
  return 1;
}
