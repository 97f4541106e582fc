#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>

#include "host/error/HostError.h"
#include "host/platform/PipeIo.h"
#include "host/platform/SystemError.h"
#include "host/platform/WideText.h"
#include "host/platform/WorkerProcess.h"

namespace fwhost {
namespace {

// Large enough for any request, so that one is never left half written.
constexpr DWORD kPipeBytes = 4u << 20;

struct PipeEnds {
  SystemHandle ours;    // overlapped, so that a wait can have a deadline
  SystemHandle theirs;  // inheritable, blocking
};

// Anonymous pipes cannot wait with a deadline; a named pipe of a name no one else has can.
PipeEnds makePipe(bool theyWrite) {
  static std::atomic<unsigned> made{0};
  const std::wstring name = L"\\\\.\\pipe\\fwhost-worker-" +
                            std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(made++);
  PipeEnds ends;
  ends.ours =
      SystemHandle(CreateNamedPipeW(name.c_str(),
                                    (theyWrite ? PIPE_ACCESS_INBOUND : PIPE_ACCESS_OUTBOUND) |
                                        FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                    PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                                    kPipeBytes, kPipeBytes, 0, nullptr));
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  if (ends.ours.valid()) {
    ends.theirs = SystemHandle(CreateFileW(name.c_str(), theyWrite ? GENERIC_WRITE : GENERIC_READ,
                                           0, &inherited, OPEN_EXISTING, 0, nullptr));
  }
  if (!ends.theirs.valid())
    throw HostError::io("", "cannot make a pipe to the plug-in's worker: " + lastSystemError());
  return ends;
}

// One argument as CommandLineToArgvW reads it back.
std::wstring quoted(const std::wstring& argument) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

std::wstring ownProgram() {
  for (DWORD capacity = MAX_PATH; capacity <= 32768; capacity *= 2) {
    std::wstring name(capacity, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), capacity);
    if (length > 0 && length < capacity) return name.substr(0, length);
  }
  return {};
}

SystemHandle makeJob(uint64_t memoryBytes) {
  SystemHandle job(CreateJobObjectW(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_ACTIVE_PROCESS |
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
  limits.BasicLimitInformation.ActiveProcessLimit = 1;
  limits.ProcessMemoryLimit = static_cast<SIZE_T>(memoryBytes);
  if (!job.valid() || !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation,
                                               &limits, sizeof limits))
    throw HostError::io("",
                        "cannot make a job object for the plug-in's worker: " + lastSystemError());
  return job;
}

// fwhost's own token without its privileges and at low integrity, so that the plug-in can write
// almost nowhere; invalid where the system cannot make one.
SystemHandle restrictedToken() {
  HANDLE own = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(),
                        TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_QUERY | TOKEN_ADJUST_DEFAULT,
                        &own))
    return {};
  const SystemHandle token(own);
  HANDLE restricted = nullptr;
  if (!CreateRestrictedToken(token.get(), DISABLE_MAX_PRIVILEGE, 0, nullptr, 0, nullptr, 0, nullptr,
                             &restricted))
    return {};
  SystemHandle result(restricted);
  SID_IDENTIFIER_AUTHORITY label = SECURITY_MANDATORY_LABEL_AUTHORITY;
  PSID low = nullptr;
  if (AllocateAndInitializeSid(&label, 1, SECURITY_MANDATORY_LOW_RID, 0, 0, 0, 0, 0, 0, 0, &low)) {
    TOKEN_MANDATORY_LABEL integrity{{low, SE_GROUP_INTEGRITY}};
    SetTokenInformation(result.get(), TokenIntegrityLevel, &integrity,
                        sizeof integrity + GetLengthSid(low));
    FreeSid(low);
  }
  return result;
}

DWORD millisecondsUntil(Deadline deadline) {
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return static_cast<DWORD>(std::clamp<long long>(left.count(), 0, 1 << 30));
}

// One overlapped read or write on a pipe end, and its event.
struct Pending {
  OVERLAPPED overlapped{};
  SystemHandle event{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  bool busy = false;
  Pending() { overlapped.hEvent = event.get(); }
  // Starts it; false when the pipe is broken.
  bool start(HANDLE pipe, char* bytes, DWORD size, bool write) {
    ResetEvent(event.get());
    const BOOL done = write ? WriteFile(pipe, bytes, size, nullptr, &overlapped)
                            : ReadFile(pipe, bytes, size, nullptr, &overlapped);
    busy = done || GetLastError() == ERROR_IO_PENDING;
    return busy;
  }
  // The bytes it moved once its event is set; -1 when the pipe broke.
  long long result(HANDLE pipe) {
    DWORD moved = 0;
    busy = false;
    return GetOverlappedResult(pipe, &overlapped, &moved, FALSE) ? static_cast<long long>(moved)
                                                                 : -1;
  }
  void cancel(HANDLE pipe) {
    if (!busy) return;
    CancelIoEx(pipe, &overlapped);
    DWORD moved = 0;
    GetOverlappedResult(pipe, &overlapped, &moved, TRUE);
    busy = false;
  }
};

}  // namespace

struct WorkerProcess::LogReader {
  Pending pending;
  char bytes[4096];
};

WorkerProcess::WorkerProcess(const std::vector<std::string>& arguments, uint64_t memoryBytes)
    : logReader_(std::make_unique<LogReader>()) {
  PipeEnds requests = makePipe(false), replies = makePipe(true), log = makePipe(true);
  std::wstring commandLine = quoted(ownProgram());
  for (const std::string& argument : arguments) commandLine += L" " + quoted(wide(argument));
  commandLine += L" " + quoted(wide(handleText(requests.theirs.get())));
  commandLine += L" " + quoted(wide(handleText(replies.theirs.get())));
  // Only the pipes' own ends are inherited, whatever else fwhost holds open.
  HANDLE inherited[] = {requests.theirs.get(), replies.theirs.get(), log.theirs.get()};
  SIZE_T size = 0;
  InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
  std::string attributes(size, '\0');
  auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = requests.theirs.get();
  startup.StartupInfo.hStdOutput = log.theirs.get();
  startup.StartupInfo.hStdError = log.theirs.get();
  startup.lpAttributeList = list;
  PROCESS_INFORMATION started{};
  job_ = makeJob(memoryBytes);
  const SystemHandle token = restrictedToken();
  const DWORD flags = EXTENDED_STARTUPINFO_PRESENT | CREATE_SUSPENDED | CREATE_NO_WINDOW;
  const auto create = [&](HANDLE as) {
    return as != nullptr
               ? CreateProcessAsUserW(as, nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                      flags, nullptr, nullptr, &startup.StartupInfo, &started)
               : CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                nullptr, &startup.StartupInfo, &started);
  };
  // A system that will not start a process with the restricted token still starts the worker.
  const bool made = InitializeProcThreadAttributeList(list, 1, 0, &size) &&
                    UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                              sizeof inherited, nullptr, nullptr) &&
                    ((token.valid() && create(token.get())) || create(nullptr));
  const std::string error = made ? std::string() : lastSystemError();
  if (size > 0 && list != nullptr) DeleteProcThreadAttributeList(list);
  if (!made) throw HostError::io("", "cannot start the plug-in's worker: " + error);
  process_ = SystemHandle(started.hProcess);
  const SystemHandle thread(started.hThread);
  if (!AssignProcessToJobObject(job_.get(), process_.get())) {
    TerminateProcess(process_.get(), 1);
    throw HostError::io("",
                        "cannot put the plug-in's worker in its job object: " + lastSystemError());
  }
  ResumeThread(thread.get());
  requests_ = std::move(requests.ours);
  replies_ = std::move(replies.ours);
  log_ = std::move(log.ours);
}

WorkerProcess::~WorkerProcess() {
  if (process_.valid()) end(std::chrono::steady_clock::now());
}

void WorkerProcess::readLog(const LogBytes& log) {
  Pending& pending = logReader_->pending;
  while (log_.valid()) {
    if (!pending.busy &&
        !pending.start(log_.get(), logReader_->bytes, sizeof logReader_->bytes, false)) {
      log_.close();
      return;
    }
    if (WaitForSingleObject(pending.event.get(), 0) != WAIT_OBJECT_0) return;
    const long long got = pending.result(log_.get());
    if (got <= 0) {
      log_.close();
      return;
    }
    log(logReader_->bytes, static_cast<size_t>(got));
  }
}

WorkerProcess::Transfer WorkerProcess::exchange(const std::string& request, char* reply,
                                                size_t size, Deadline deadline,
                                                const LogBytes& log) {
  Pending writing, reading;
  size_t sent = 0, received = 0;
  Transfer outcome = Transfer::done;
  while (sent < request.size() || received < size) {
    if (sent < request.size() && !writing.busy &&
        !writing.start(requests_.get(), const_cast<char*>(request.data()) + sent,
                       static_cast<DWORD>(request.size() - sent), true)) {
      outcome = Transfer::ended;
      break;
    }
    if (received < size && !reading.busy &&
        !reading.start(replies_.get(), reply + received, static_cast<DWORD>(size - received),
                       false)) {
      outcome = Transfer::ended;
      break;
    }
    readLog(log);
    HANDLE events[3];
    DWORD count = 0;
    if (writing.busy) events[count++] = writing.event.get();
    if (reading.busy) events[count++] = reading.event.get();
    if (log_.valid() && logReader_->pending.busy) events[count++] = logReader_->pending.event.get();
    if (WaitForMultipleObjects(count, events, FALSE, millisecondsUntil(deadline)) == WAIT_TIMEOUT) {
      outcome = Transfer::timedOut;
      break;
    }
    if (writing.busy && WaitForSingleObject(writing.event.get(), 0) == WAIT_OBJECT_0) {
      const long long put = writing.result(requests_.get());
      if (put < 0) {
        outcome = Transfer::ended;
        break;
      }
      sent += static_cast<size_t>(put);
    }
    if (reading.busy && WaitForSingleObject(reading.event.get(), 0) == WAIT_OBJECT_0) {
      const long long got = reading.result(replies_.get());
      if (got <= 0) {
        outcome = Transfer::ended;
        break;
      }
      received += static_cast<size_t>(got);
    }
  }
  // The buffers are the caller's: nothing may still write into them.
  writing.cancel(requests_.get());
  reading.cancel(replies_.get());
  readLog(log);
  return outcome;
}

std::string WorkerProcess::finish(Deadline deadline, const LogBytes& log) {
  requests_.close();
  while (log_.valid()) {
    readLog(log);
    if (!log_.valid() || WaitForSingleObject(logReader_->pending.event.get(),
                                             millisecondsUntil(deadline)) == WAIT_TIMEOUT)
      break;
  }
  return end(deadline);
}

std::string WorkerProcess::end(Deadline deadline) {
  if (WaitForSingleObject(process_.get(), millisecondsUntil(deadline)) == WAIT_TIMEOUT) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), INFINITE);
    killed_ = true;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  logReader_->pending.cancel(log_.get());
  process_.close();
  if (killed_) return "killed";
  if (code < 0xC0000000u) return "exited with code " + std::to_string(code);
  char text[48];
  std::snprintf(text, sizeof text, "ended by exception 0x%08lX", static_cast<unsigned long>(code));
  return text;
}

}  // namespace fwhost
