#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>

#include "host/error/HostError.h"
#include "host/platform/LongPath.h"
#include "host/platform/SafeWrite.h"
#include "host/platform/SystemError.h"
#include "host/platform/SystemHandle.h"

namespace fwhost {
namespace {

namespace fs = std::filesystem;

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
  return HostError::io(path.u8string(), doing + ": " + lastSystemError());
}

// Opened to be looked at, not followed if it is a reparse point; a folder too.
SystemHandle openToInspect(const fs::path& path, DWORD access) {
  return SystemHandle(CreateFileW(
      longPath(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The path the system finds for handle, "\\?\" form; empty when it finds none.
std::wstring finalPath(HANDLE handle) {
  std::wstring path(GetFinalPathNameByHandleW(handle, nullptr, 0, 0), L'\0');
  const DWORD length = GetFinalPathNameByHandleW(handle, path.data(), path.size(), 0);
  path.resize(length < path.size() ? length : 0);
  return path;
}

// Wine shows a Linux symbolic link as what it points to, even on a handle opened not to follow
// it; only the path the system finds for the handle then differs from the one it was opened by.
// Compared with its folder's own final path, so that links above it, which are followed, and
// the case of its letters, which Windows ignores, make no difference.
bool leadsElsewhere(HANDLE handle, const std::wstring& full) {
  const size_t cut = full.find_last_of(L'\\');
  if (cut == std::wstring::npos || cut + 1 == full.size()) return false;
  const std::wstring folderPath = full.substr(0, cut) + (full[cut - 1] == L':' ? L"\\" : L"");
  const SystemHandle folder(
      CreateFileW(folderPath.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!folder.valid()) return false;
  const std::wstring above = finalPath(folder.get());
  const std::wstring found = finalPath(handle);
  if (above.empty() || found.empty()) return false;
  const std::wstring expected = (fs::path(above) / full.substr(cut + 1)).native();
  return CompareStringOrdinal(found.c_str(), found.size(), expected.c_str(), expected.size(),
                              TRUE) != CSTR_EQUAL;
}

// Windows drops a dot or a space at the end of a name, so that "img.bin." would be written as
// "img.bin"; a "\\?\" path keeps it, and so names a file no other program can open.
bool dropsEnding(const fs::path& path) {
  const std::wstring& text = path.native();
  if (text.rfind(L"\\\\?\\", 0) == 0) return false;
  for (const fs::path& part : path.relative_path()) {
    const std::wstring& name = part.native();
    if (name != L"." && name != L".." && !name.empty() &&
        (name.back() == L'.' || name.back() == L' '))
      return true;
  }
  return false;
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

// A new file of a temporary name in folder, that the console handler removes until it is
// moved; never one that was there before.
SystemHandle createTemporary(const fs::path& folder, const fs::path& path, fs::path& temporary) {
  const PendingHeld held;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = folder / temporaryName();
    const std::wstring name = longPath(temporary);
    SystemHandle created(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!created.valid() && GetLastError() == ERROR_FILE_EXISTS) continue;
    if (!created.valid()) break;
    pendingTemporary = name;
    return created;
  }
  throw failure(path, "cannot create a file beside it");
}

// Another fwhost that writes in the folder holds a mutex named after the folder's identity,
// which ends with the process that holds it, however it ends.
SystemHandle folderMutex(HANDLE folder) {
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(folder, &information)) return SystemHandle();
  wchar_t name[64];
  std::swprintf(name, 64, L"Global\\fwhost-%08lx-%08lx%08lx", information.dwVolumeSerialNumber,
                information.nFileIndexHigh, information.nFileIndexLow);
  return SystemHandle(CreateMutexW(nullptr, FALSE, name));
}

// Held without delete sharing, so that the folder cannot be renamed or removed while fwhost
// works in it; a link is followed only when follow says so.
SystemHandle openFolder(const fs::path& path, bool follow) {
  const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  SystemHandle handle(CreateFileW(longPath(path).c_str(), FILE_LIST_DIRECTORY,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                                  nullptr));
  if (!handle.valid()) throw failure(path, "cannot open it");
  return handle;
}

// Made with the folders it lacks above it, top down; false, with GetLastError set, when one
// cannot be. A missing drive or share ends at its root, which cannot be made.
bool makeFolders(const std::wstring& full) {
  if (CreateDirectoryW(full.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS)
    return true;
  if (GetLastError() != ERROR_PATH_NOT_FOUND) return false;
  const size_t cut = full.find_last_of(L'\\');
  const bool belowRoot =
      cut != std::wstring::npos && cut > 0 && full[cut - 1] != L':' && full[cut - 1] != L'?';
  if (!belowRoot || !makeFolders(full.substr(0, cut))) return false;
  return CreateDirectoryW(full.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

PathState inspectOpened(HANDLE file, const std::wstring& full) {
  switch (GetFileType(file)) {
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
  if (!GetFileInformationByHandle(file, &information)) return {PathKind::other, "a device", 0};
  const DWORD attributes = information.dwFileAttributes;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || leadsElsewhere(file, full))
    return {PathKind::other, "a link or another reparse point", 0};
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return {PathKind::directory, "a directory", 0};
  const uint64_t size = (uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
  return {PathKind::regularFile, "a regular file", size};
}

}  // namespace

// Windows has no openat: files are named by path, below a folder that the handle keeps in place.
struct Folder::State {
  fs::path path;
  SystemHandle handle;
  SystemHandle lock;
};

Folder::Folder(std::unique_ptr<State> state) : state_(std::move(state)) {}
Folder::Folder(Folder&&) noexcept = default;
Folder& Folder::operator=(Folder&&) noexcept = default;
Folder::~Folder() = default;

PathState inspectPath(const fs::path& path) {
  if (isDeviceNamespace(path)) return {PathKind::other, "a device", 0};
  if (dropsEnding(path)) {
    throw HostError::refusedTarget(path.u8string(),
                                   "a name ends in a dot or a space, which Windows drops; give "
                                   "it without");
  }
  const SystemHandle file = openToInspect(path, 0);
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
    // A reserved name (CON, AUX) that will not be looked at is a device all the same.
    if (isDeviceNamespace(longPath(path))) return {PathKind::other, "a device", 0};
    SetLastError(error);
    throw failure(path, "cannot look at it");
  }
  return inspectOpened(file.get(), longPath(path));
}

fs::path folderAbove(const fs::path& path) {
  // MinGW's std::filesystem takes "\\server\share" for folders below a root.
  const std::wstring& text = path.native();
  const fs::path below = path.relative_path();
  const bool share = text.size() > 2 && (text[0] == L'\\' || text[0] == L'/') &&
                     (text[1] == L'\\' || text[1] == L'/') &&
                     std::distance(below.begin(), below.end()) <= 2;
  return share || below.empty() ? fs::path() : path.parent_path();
}

bool canCreateIn(const fs::path& folder) {
  // Windows has no access(): a file that goes when closed is made and closed.
  const fs::path probe = folder / temporaryName();
  // Failed, GetLastError is left as the failure set it.
  return SystemHandle(CreateFileW(longPath(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr))
      .valid();
}

Folder Folder::open(const fs::path& given, bool make) {
  const fs::path path = given.has_filename() ? given : given.parent_path();
  if (make && inspectPath(path).kind == PathKind::missing && !makeFolders(longPath(path)))
    throw failure(path, "cannot be made");
  PathState state = inspectPath(path);
  if (state.kind == PathKind::missing)
    throw HostError::io(path.u8string(), "cannot open it: " + systemMessage(ERROR_PATH_NOT_FOUND));
  SystemHandle handle;
  // Looked at again on the handle kept: something else may stand there by now.
  if (state.kind == PathKind::directory) {
    handle = openFolder(path, false);
    state = inspectOpened(handle.get(), longPath(path));
  }
  if (state.kind != PathKind::directory)
    throw HostError::refusedTarget(path.u8string(), "is " + state.what + ", not a folder");
  return Folder(std::make_unique<State>(State{path, std::move(handle), SystemHandle()}));
}

Folder Folder::holding(const fs::path& file) {
  const fs::path path = file.has_parent_path() ? file.parent_path() : fs::path(".");
  return Folder(std::make_unique<State>(State{path, openFolder(path, true), SystemHandle()}));
}

Folder Folder::inside(const std::string& name, bool make) const { return open(pathOf(name), make); }

const fs::path& Folder::path() const { return state_->path; }

void Folder::lock() {
  state_->lock = folderMutex(state_->handle.get());
  if (state_->lock.valid() && GetLastError() == ERROR_ALREADY_EXISTS) {
    state_->lock.close();
    throw HostError::refusedTarget(path().u8string(),
                                   "another fwhost is writing in it; run again once it is done");
  }
}

std::vector<std::string> Folder::names() const {
  WIN32_FIND_DATAW found{};
  const HANDLE search = FindFirstFileW((longPath(path()) + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) throw failure(path(), "cannot list it");
  std::vector<std::string> names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(fs::path(name).u8string());
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

PathState Folder::inspect(const std::string& name) const { return inspectPath(pathOf(name)); }

bool Folder::canCreate() const { return canCreateIn(path()); }

void Folder::read(const std::string& name,
                  const std::function<void(std::string_view)>& take) const {
  const fs::path file = pathOf(name);
  PathState state = inspectPath(file);
  const SystemHandle handle = openToInspect(file, GENERIC_READ);
  if (!handle.valid()) throw failure(file, "cannot read it");
  // Looked at again on the handle read: something else may stand there by now.
  if (state.kind == PathKind::regularFile) state = inspectOpened(handle.get(), longPath(file));
  if (state.kind != PathKind::regularFile) throw HostError::io(file.u8string(), "is " + state.what);
  char chunk[65536];
  DWORD got = 0;
  BOOL read = FALSE;
  // ReadFile sets got to 0 before it fails, so only its answer tells a failure from the end.
  while ((read = ReadFile(handle.get(), chunk, sizeof chunk, &got, nullptr)) && got > 0)
    take(std::string_view(chunk, got));
  if (!read) throw failure(file, "cannot read it");
}

void Folder::write(const std::string& name, std::string_view bytes) const {
  installHandler();
  const fs::path path = pathOf(name);
  refuseUnlessReplaceable(inspectPath(path), path);
  fs::path temporary;
  SystemHandle file = createTemporary(this->path(), path, temporary);
  try {
    writeAll(file.get(), bytes, path);
    if (!FlushFileBuffers(file.get())) throw failure(path, "cannot flush it to the disk");
    if (!file.close()) throw failure(path, "cannot write");
    // Looked at again: something other than a regular file may have appeared there meanwhile.
    refuseUnlessReplaceable(inspectPath(path), path);
    const PendingHeld held;
    if (!MoveFileExW(longPath(temporary).c_str(), longPath(path).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      throw failure(path, "cannot replace it");
    }
    pendingTemporary.clear();
  } catch (...) {
    file.close();
    const PendingHeld held;
    DeleteFileW(longPath(temporary).c_str());
    pendingTemporary.clear();
    throw;
  }
}

void Folder::remove(const std::string& name) const {
  if (!DeleteFileW(longPath(pathOf(name)).c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
    throw failure(pathOf(name), "cannot remove it");
}

}  // namespace fwhost
