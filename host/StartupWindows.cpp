#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <memory>

#include "host/Startup.h"
#include "host/WideText.h"

namespace fwhost {
namespace {

struct LocalFreer {
  void operator()(wchar_t** block) const { LocalFree(block); }
};

}  // namespace

std::vector<std::string> startUp(int argc, char** argv) {
  // Text mode would turn each "\n" into "\r\n" and stop reading input at a Ctrl-Z byte.
  for (FILE* stream : {stdin, stdout, stderr}) _setmode(_fileno(stream), _O_BINARY);
  // argv holds the arguments in the ANSI code page, which loses what it cannot spell.
  int count = 0;
  const std::unique_ptr<wchar_t*, LocalFreer> wide(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!wide) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(utf8(wide.get()[i]));
  return arguments;
}

}  // namespace fwhost
