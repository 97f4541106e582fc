#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "host/error/HostError.h"
#include "host/platform/SafeWrite.h"
#include "host/platform/SystemError.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// The temporary file being written, for the console control handler, which Windows runs on a
// thread of its own; the lock keeps it from seeing a name half set or a rename half done.
CRITICAL_SECTION pendingLock;
std::wstring pendingTemporary;

BOOL WINAPI removePendingAndEnd(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  // Held to the end, so that no further temporary file is made while the process goes.
  EnterCriticalSection(&pendingLock);
  if (!pendingTemporary.empty()) DeleteFileW(pendingTemporary.c_str());
  ExitProcess(STATUS_CONTROL_C_EXIT);
}

void installHandler() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  InitializeCriticalSection(&pendingLock);
  SetConsoleCtrlHandler(removePendingAndEnd, TRUE);
}

class PendingHeld {
 public:
  PendingHeld() { EnterCriticalSection(&pendingLock); }
  ~PendingHeld() { LeaveCriticalSection(&pendingLock); }
  PendingHeld(const PendingHeld&) = delete;
  PendingHeld& operator=(const PendingHeld&) = delete;
};

// Captures GetLastError, so call it before anything that may change it.
HostError failure(const fs::path& path, const std::string& doing) {
  const DWORD error = GetLastError();
  return HostError::io(path.u8string(), doing + ": " + systemMessage(error));
}

// Opened to be looked at, not followed if it is a reparse point; a folder too.
Handle openToInspect(const fs::path& path, DWORD access) {
  HANDLE handle = CreateFileW(
      path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  return Handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

bool isDeviceNamespace(const fs::path& path) {
  const std::wstring& text = path.native();
  return text.rfind(L"\\\\.\\", 0) == 0 || text.rfind(L"//./", 0) == 0 ||
         text.rfind(L"\\\\?\\GLOBALROOT", 0) == 0;
}

void writeAll(HANDLE file, std::string_view bytes, const fs::path& path) {
  while (!bytes.empty()) {
    const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
      throw failure(path, "cannot write");
    bytes.remove_prefix(written);
  }
}

}  // namespace

PathState inspectPath(const fs::path& path) {
  if (isDeviceNamespace(path)) return {PathKind::other, "a device", 0};
  const Handle file = openToInspect(path, 0);
  if (!file) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
    SetLastError(error);
    throw failure(path, "cannot look at it");
  }
  switch (GetFileType(file.get())) {
    case FILE_TYPE_DISK:
      break;
    case FILE_TYPE_CHAR:
      return {PathKind::other, "a character device", 0};
    case FILE_TYPE_PIPE:
      return {PathKind::other, "a pipe", 0};
    default:
      return {PathKind::other, "not a regular file", 0};
  }
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(file.get(), &information))
    return {PathKind::other, "a device", 0};
  const DWORD attributes = information.dwFileAttributes;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
    return {PathKind::other, "a reparse point (a link or a junction)", 0};
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {PathKind::directory, "a directory", 0};
  const uint64_t size = (uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
  return {PathKind::regularFile, "a regular file", size};
}

bool holdsExactly(const fs::path& path, std::string_view bytes) {
  const PathState state = inspectPath(path);
  if (state.kind != PathKind::regularFile || state.size != bytes.size()) return false;
  const Handle file = openToInspect(path, GENERIC_READ);
  if (!file) return false;
  char chunk[65536];
  for (size_t at = 0; at < bytes.size();) {
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) || got == 0 ||
        bytes.substr(at, got) != std::string_view(chunk, got)) {
      return false;
    }
    at += got;
  }
  return true;
}

bool canCreateIn(const fs::path& folder) {
  // Windows has no access(): a file that goes when closed is made and closed.
  const fs::path probe = temporaryBeside(folder / "fwhost-probe");
  const Handle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return file.get() != INVALID_HANDLE_VALUE;
}

void writeFileSafely(const fs::path& path, std::string_view bytes) {
  installHandler();
  refuseUnlessReplaceable(path);
  Handle file;
  fs::path temporary;
  {
    const PendingHeld held;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
      temporary = temporaryBeside(path);
      HANDLE created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
      if (created != INVALID_HANDLE_VALUE) {
        file.reset(created);
      } else if (GetLastError() != ERROR_FILE_EXISTS) {
        throw failure(path, "cannot create a file beside it");
      }
    }
    if (!file) throw failure(path, "cannot create a file beside it");
    pendingTemporary = temporary.native();
  }
  try {
    writeAll(file.get(), bytes, path);
    if (!FlushFileBuffers(file.get())) throw failure(path, "cannot flush it to the disk");
    if (!CloseHandle(file.release())) throw failure(path, "cannot write");
    // Looked at again: something other than a regular file may have appeared there meanwhile.
    refuseUnlessReplaceable(path);
    const PendingHeld held;
    if (!MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      throw failure(path, "cannot replace it");
    }
    pendingTemporary.clear();
  } catch (...) {
    file.reset();
    const PendingHeld held;
    DeleteFileW(temporary.c_str());
    pendingTemporary.clear();
    throw;
  }
}

}  // namespace fwhost
