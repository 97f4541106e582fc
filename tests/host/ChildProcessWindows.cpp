#include <windows.h>

#include "tests/host/ChildProcess.h"

namespace {

// Quoted so that the child's CommandLineToArgvW gives back exactly this argument. No test passes
// a quote, nor a backslash at the end of an argument with a blank, which would need escaping.
std::wstring quoted(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t") == std::wstring::npos) return argument;
  return L'"' + argument + L'"';
}

// Null (no stream) for an empty path.
HANDLE inheritable(const std::filesystem::path& file, DWORD access, DWORD disposition) {
  if (file.empty()) return nullptr;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE handle =
      CreateFileW(file.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

}  // namespace

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments,
                           const std::filesystem::path& folder, const std::filesystem::path& input,
                           const std::filesystem::path& output, const std::filesystem::path& err) {
  std::wstring commandLine = quoted(program.wstring());
  for (const std::string& argument : arguments)
    commandLine += L' ' + quoted(std::filesystem::u8path(argument).wstring());
  // Relative to the child's folder, as a shell's redirections are.
  const auto inFolder = [&](const std::filesystem::path& file) {
    return file.empty() || file.is_absolute() || file == "NUL" ? file : folder / file;
  };
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inheritable(inFolder(input), GENERIC_READ, OPEN_EXISTING);
  startup.hStdOutput = inheritable(inFolder(output), GENERIC_WRITE, CREATE_ALWAYS);
  startup.hStdError = inheritable(inFolder(err), GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION process{};
  if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     folder.c_str(), &startup, &process)) {
    CloseHandle(process.hThread);
    process_ = process.hProcess;
  }
  for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
    if (handle != nullptr) CloseHandle(handle);
  }
}

int ChildProcess::wait() {
  if (process_ == nullptr) return -1;
  DWORD exit = static_cast<DWORD>(-1);
  WaitForSingleObject(process_, INFINITE);
  GetExitCodeProcess(process_, &exit);
  CloseHandle(process_);
  process_ = nullptr;
  return static_cast<int>(exit);
}
