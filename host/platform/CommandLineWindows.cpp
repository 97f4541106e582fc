#include <windows.h>

#include <shellapi.h>

#include <memory>

#include "host/platform/CommandLine.h"
#include "host/platform/WideText.h"

namespace fwhost {
namespace {

struct LocalFreer {
  void operator()(wchar_t** block) const { LocalFree(block); }
};

}  // namespace

std::vector<std::string> commandLine(int argc, char** argv) {
  // argv holds the arguments in the ANSI code page, which loses what it cannot spell.
  int count = 0;
  const std::unique_ptr<wchar_t*, LocalFreer> wide(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!wide) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    const std::string argument = utf8(wide.get()[i]);
    arguments.push_back(i > 0 && argument == "/?" ? "--help" : argument);
  }
  return arguments;
}

const char* interruptedExitLine() {
  return "  0xC000013A  ended by Ctrl-C, Ctrl-Break or closing the console (no temporary file is "
         "left behind)\n";
}

}  // namespace fwhost
