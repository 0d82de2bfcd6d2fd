// The Linux program: wires the core to Qt, libcurl and POSIX, then runs the event loop.
#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "common/app_version_info.h"
#include "config/app_config.h"
#include "conn_gui_window.h"
#include "connect/qx_connection.h"
#include "curl_http_client.h"
#include "curl_uri_parser.h"
#include "embedded_resources.h"
#include "config/config_storage.h"
#include "posix_app_data.h"
#include "posix_ini_file.h"
#include "posix_launch_files.h"
#include "posix_registry.h"
#include "posix_system_info.h"
#include "qt_application.h"
#include "qt_dialogs.h"
#include "startup_form.h"
#include "xdg_shell.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tarrowind Connect"));

  TEmbeddedResources resources;
  AppResVersionInfo = LoadAppResVersionInfo(resources);

  TQtDialogs dialogs;
  TCurlHttpClientFactory http;
  TCurlURIParser uri;
  TPosixSystemInfo system;
  TQtApplication app;
  TXdgShell shell;
  TPosixLaunchFiles launchFiles;
  TQXConnection connection(
      {http, uri, system, dialogs, AppResVersionInfo, &shell, &launchFiles, &app});

  TPosixIniFile ini;
  TPosixRegistry registry(ini);
  TPosixAppDataFolder appData;
  TConfigStorage storage(ini, registry, appData);
  const std::vector<std::string> args(argv + 1, argv + argc);
  TAppConfig config(args, {dialogs, system, uri, storage, AppResVersionInfo});

  int exitCode = 0;
  {
    std::unique_ptr<TConnGUIWindow> window;
    auto showWindow = [&] {
      window = std::make_unique<TConnGUIWindow>(TConnGUIWindowServices{
          connection, config, dialogs, http, uri,
          [&connection](const TConnResponse& response) { return connection.Redirect(response); }});
      window->show();
    };
    TConnStartupForm startup(config, connection, dialogs, app, showWindow);
    startup.show();
    exitCode = QApplication::exec();
  }
  config.SaveConfig();
  return exitCode;
}
