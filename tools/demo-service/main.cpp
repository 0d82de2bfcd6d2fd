// vostrel-demo-service: plays the connection query service on 127.0.0.1 for demonstrations and
// end-to-end tests.
#include <httplib.h>
#include <pthread.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "demo_resources.h"
#include "demo_service.h"
#include "scenario.h"

namespace {

constexpr const char* kHost = "127.0.0.1";
constexpr const char* kDefaultScenario = "multi";
constexpr int kExitUsage = 2;
constexpr int kExitCannotListen = 1;

struct TOptions {
  std::optional<int> Port;
  std::string Scenario = kDefaultScenario;
  std::string ScenarioFile;
  std::string PortFile;
  bool List = false;
  bool Help = false;
};

const char* const kUsage =
    "Usage: vostrel-demo-service [--port N] [--scenario NAME | --scenario-file FILE.json]\n"
    "                            [--port-file FILE] [--list]\n"
    "Plays the connection query service on 127.0.0.1 (a free port unless --port is given).\n"
    "  --port N              listen on port N\n"
    "  --scenario NAME       a built-in scenario (default: multi; --list names them)\n"
    "  --scenario-file FILE  a scenario read from a JSON file (see README.md)\n"
    "  --port-file FILE      write the port into FILE once the service listens\n"
    "  --list                name the built-in scenarios and what they do\n";

int ParsePort(const std::string& text) {
  std::size_t used = 0;
  int port = -1;
  try {
    port = std::stoi(text, &used);
  } catch (const std::exception&) {
  }
  if (used != text.size() || port < 1 || port > 65535)
    throw std::runtime_error("--port needs a number from 1 to 65535, not \"" + text + "\"");
  return port;
}

TOptions ParseOptions(const std::vector<std::string>& args) {
  TOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw std::runtime_error(arg + " needs a value");
      return args[++i];
    };
    if (arg == "--port")
      options.Port = ParsePort(value());
    else if (arg == "--scenario")
      options.Scenario = value();
    else if (arg == "--scenario-file")
      options.ScenarioFile = value();
    else if (arg == "--port-file")
      options.PortFile = value();
    else if (arg == "--list")
      options.List = true;
    else if (arg == "--help" || arg == "-h")
      options.Help = true;
    else
      throw std::runtime_error("unknown option \"" + arg + "\"");
  }
  return options;
}

void ListScenarios() {
  for (const auto& name : BuiltInScenarioNames())
    std::cout << name << ": " << BuiltInScenario(name).Description << "\n";
}

// Written under another name first, so that a script never reads half a port.
void WritePortFile(const std::string& path, int port) {
  const std::string partial = path + ".partial";
  {
    std::ofstream out(partial, std::ios::trunc);
    out << port << "\n";
    if (!out.flush()) throw std::runtime_error("cannot write " + partial);
  }
  std::filesystem::rename(partial, path);
}

// SIGINT and SIGTERM stop the server from a thread of their own, so that it ends cleanly.
void StopOnSignals(httplib::Server& server) {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread([&server, signals] {
    int received = 0;
    sigwait(&signals, &received);
    server.stop();
  }).detach();
}

int Serve(const TOptions& options) {
  const TScenario scenario = options.ScenarioFile.empty() ? BuiltInScenario(options.Scenario)
                                                          : ScenarioFromFile(options.ScenarioFile);
  httplib::Server server;
  StopOnSignals(server);
  const int port = options.Port ? (server.bind_to_port(kHost, *options.Port) ? *options.Port : -1)
                                : server.bind_to_any_port(kHost);
  if (port <= 0) {
    std::cerr << "vostrel-demo-service: cannot listen on " << kHost
              << (options.Port ? ":" + std::to_string(*options.Port) : "") << "\n";
    return kExitCannotListen;
  }
  const std::string serviceUrl = "http://" + std::string(kHost) + ":" + std::to_string(port);
  TDemoService service(scenario, std::cout);
  service.Mount(server, serviceUrl);
  std::cout << "listening on " << serviceUrl << kQueryPath << std::endl;
  std::cout << "scenario " << scenario.Name << ": " << scenario.Description << std::endl;
  if (!options.PortFile.empty()) WritePortFile(options.PortFile, port);
  server.listen_after_bind();
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  try {
    const TOptions options = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (options.Help) {
      std::cout << kUsage;
      return 0;
    }
    if (options.List) {
      ListScenarios();
      return 0;
    }
    return Serve(options);
  } catch (const std::exception& e) {
    std::cerr << "vostrel-demo-service: " << e.what() << "\n";
    return kExitUsage;
  }
}
