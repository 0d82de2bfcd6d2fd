#include "command_line_args.h"

#include <windows.h>

#include <shellapi.h>

#include "win_text.h"

std::vector<std::string> CommandLineArguments(const wchar_t* commandLine) {
  std::vector<std::string> args;
  if (commandLine == nullptr || *commandLine == L'\0') return args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(commandLine, &count);
  if (argv == nullptr) return args;
  for (int i = 1; i < count; ++i) args.push_back(FromWide(argv[i]));
  LocalFree(argv);
  return args;
}
