#include <fcntl.h>
#include <seccomp.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "host/platform/WorkerSandbox.h"

namespace fwhost {
namespace {

ForbiddenCallReport forbiddenCallReport = nullptr;

// The exit code of a worker that made a forbidden call, should its report not get out.
constexpr int kForbiddenCallExit = 125;

void onForbiddenCall(int, siginfo_t* info, void*) {
  if (forbiddenCallReport != nullptr) forbiddenCallReport(info->si_syscall);
  ::_exit(kForbiddenCallExit);
}

struct Release {
  void operator()(void* filter) const { seccomp_release(filter); }
};

// Each call the exports need, with the one argument that must have a value, if any.
struct Allowed {
  int call;
  int argument = -1;
  scmp_datum_t value = 0;
};

}  // namespace

void limitWorkerMemory(uint64_t memoryBytes) {
  const rlimit none{0, 0};
  ::setrlimit(RLIMIT_CORE, &none);
  if (!kWorkerConfined) return;
  const rlimit memory{memoryBytes, memoryBytes};
  ::setrlimit(RLIMIT_AS, &memory);
}

std::string confineWorker(SystemHandle::Native requests, SystemHandle::Native replies,
                          ForbiddenCallReport report) {
  if (!kWorkerConfined) return {};
  // Read now, while files may be opened: a plug-in's log stamps its records with local time.
  ::tzset();
  forbiddenCallReport = report;
  struct sigaction action {};
  action.sa_sigaction = onForbiddenCall;
  action.sa_flags = SA_SIGINFO;
  if (::sigaction(SIGSYS, &action, nullptr) != 0) return std::strerror(errno);
  // Anything else traps: SIGSYS, whose handler reports the call and ends the worker.
  const std::unique_ptr<void, Release> filter(seccomp_init(SCMP_ACT_TRAP));
  if (!filter) return "seccomp_init failed";
  const auto fd = [](int value) { return static_cast<scmp_datum_t>(value); };
  // abort() raises its signal with tgkill on its own process.
  const Allowed allowed[] = {
      {SCMP_SYS(read), 0, fd(requests)},
      {SCMP_SYS(write), 0, fd(replies)},
      {SCMP_SYS(write), 0, fd(STDOUT_FILENO)},
      {SCMP_SYS(write), 0, fd(STDERR_FILENO)},
      {SCMP_SYS(writev), 0, fd(STDOUT_FILENO)},
      {SCMP_SYS(writev), 0, fd(STDERR_FILENO)},
      // stdio asks what its stream is before it first buffers it; no path may be named.
      {SCMP_SYS(fstat)},
      {SCMP_SYS(newfstatat), 3, static_cast<scmp_datum_t>(AT_EMPTY_PATH)},
      {SCMP_SYS(lseek)},
      {SCMP_SYS(brk)},
      {SCMP_SYS(mmap)},
      {SCMP_SYS(munmap)},
      {SCMP_SYS(mremap)},
      {SCMP_SYS(mprotect)},
      {SCMP_SYS(madvise)},
      {SCMP_SYS(futex)},
      {SCMP_SYS(clock_gettime)},
      {SCMP_SYS(clock_getres)},
      {SCMP_SYS(gettimeofday)},
      {SCMP_SYS(time)},
      {SCMP_SYS(nanosleep)},
      {SCMP_SYS(clock_nanosleep)},
      {SCMP_SYS(sched_yield)},
      {SCMP_SYS(getrandom)},
      {SCMP_SYS(getpid)},
      {SCMP_SYS(gettid)},
      {SCMP_SYS(tgkill), 0, static_cast<scmp_datum_t>(::getpid())},
      {SCMP_SYS(rt_sigprocmask)},
      {SCMP_SYS(rt_sigreturn)},
      {SCMP_SYS(exit)},
      {SCMP_SYS(exit_group)},
  };
  for (const Allowed& each : allowed) {
    const int added = each.argument < 0
                          ? seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, each.call, 0)
                          : seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, each.call, 1,
                                             SCMP_CMP(static_cast<unsigned>(each.argument),
                                                      SCMP_CMP_EQ, each.value));
    if (added != 0) return "seccomp_rule_add failed: " + std::string(std::strerror(-added));
  }
  const int loaded = seccomp_load(filter.get());
  if (loaded != 0) return "seccomp_load failed: " + std::string(std::strerror(-loaded));
  return {};
}

std::string systemCallName(long number) {
  const std::unique_ptr<char, decltype(&std::free)> name(
      seccomp_syscall_resolve_num_arch(SCMP_ARCH_NATIVE, static_cast<int>(number)), &std::free);
  return name ? name.get() : "system call " + std::to_string(number);
}

}  // namespace fwhost
