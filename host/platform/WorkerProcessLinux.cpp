#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "host/error/HostError.h"
#include "host/platform/PipeIo.h"
#include "host/platform/SystemError.h"
#include "host/platform/WorkerProcess.h"

// glibc 2.36's <sys/pidfd.h> declares its calls without C linkage, so they are made directly.
namespace fwhost {
namespace {

// The descriptors the worker finds its pipes at: requests on stdin, the log on stdout and
// stderr, replies here.
constexpr int kReplyDescriptor = 3;

struct PipeEnds {
  SystemHandle read;
  SystemHandle write;
};

PipeEnds makePipe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0)
    throw HostError::io("", "cannot make a pipe to the plug-in's worker: " + lastSystemError());
  return {SystemHandle(ends[0]), SystemHandle(ends[1])};
}

void setNonBlocking(const SystemHandle& handle) {
  ::fcntl(handle.get(), F_SETFL, ::fcntl(handle.get(), F_GETFL) | O_NONBLOCK);
}

int millisecondsUntil(Deadline deadline) {
  const auto left =
      std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::clamp<long long>(left.count(), 0, 1 << 30));
}

// A write to a worker that has gone must fail with EPIPE, not end fwhost by SIGPIPE.
ssize_t writeWithoutSigpipe(int fd, const char* bytes, size_t size) {
  sigset_t pipeSignal, saved;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  ::pthread_sigmask(SIG_BLOCK, &pipeSignal, &saved);
  const ssize_t put = ::write(fd, bytes, size);
  if (put < 0 && errno == EPIPE) {
    const timespec now{0, 0};
    ::sigtimedwait(&pipeSignal, nullptr, &now);
    errno = EPIPE;
  }
  ::pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  return put;
}

std::string signalName(int number) {
  const char* name = ::sigabbrev_np(number);
  return name != nullptr ? std::string("SIG") + name : "signal " + std::to_string(number);
}

}  // namespace

WorkerProcess::WorkerProcess(const std::vector<std::string>& arguments, uint64_t) {
  PipeEnds requests = makePipe(), replies = makePipe(), log = makePipe();
  std::vector<std::string> all{"fwhost"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  all.push_back(handleText(STDIN_FILENO));
  all.push_back(handleText(kReplyDescriptor));
  std::vector<char*> argv;
  for (std::string& argument : all) argv.push_back(argument.data());
  argv.push_back(nullptr);
  const int parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid < 0) throw HostError::io("", "cannot start the plug-in's worker: " + lastSystemError());
  if (pid == 0) {
    // Only async-signal-safe calls until exec. The pipes' other descriptors close at exec.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    ::dup2(requests.read.get(), STDIN_FILENO);
    ::dup2(log.write.get(), STDOUT_FILENO);
    ::dup2(log.write.get(), STDERR_FILENO);
    ::dup2(replies.write.get(), kReplyDescriptor);
    ::close_range(kReplyDescriptor + 1, ~0U, CLOSE_RANGE_CLOEXEC);
    ::execv("/proc/self/exe", argv.data());
    ::_exit(127);
  }
  process_ = SystemHandle(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
  if (!process_.valid()) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    throw HostError::io("", "cannot hold the plug-in's worker: " + lastSystemError());
  }
  requests_ = std::move(requests.write);
  replies_ = std::move(replies.read);
  log_ = std::move(log.read);
  setNonBlocking(requests_);
  setNonBlocking(log_);
}

WorkerProcess::~WorkerProcess() {
  if (process_.valid()) end(std::chrono::steady_clock::now());
}

void WorkerProcess::readLog(const LogBytes& log) {
  char bytes[4096];
  for (ssize_t got; log_.valid();) {
    got = ::read(log_.get(), bytes, sizeof bytes);
    if (got > 0) {
      log(bytes, static_cast<size_t>(got));
    } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
      log_.close();
    } else if (errno == EAGAIN) {
      return;
    }
  }
}

WorkerProcess::Transfer WorkerProcess::exchange(const std::string& request, char* reply,
                                                size_t size, Deadline deadline,
                                                const LogBytes& log) {
  size_t sent = 0, received = 0;
  while (sent < request.size() || received < size) {
    pollfd watched[3] = {{replies_.get(), POLLIN, 0},
                         {log_.valid() ? log_.get() : -1, POLLIN, 0},
                         {sent < request.size() ? requests_.get() : -1, POLLOUT, 0}};
    const int ready = ::poll(watched, 3, millisecondsUntil(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) return Transfer::timedOut;
    if (watched[1].revents != 0) readLog(log);
    if (watched[2].revents & (POLLERR | POLLHUP)) return Transfer::ended;
    if (watched[2].revents & POLLOUT) {
      const ssize_t put =
          writeWithoutSigpipe(requests_.get(), request.data() + sent, request.size() - sent);
      if (put < 0 && errno != EAGAIN && errno != EINTR) return Transfer::ended;
      if (put > 0) sent += static_cast<size_t>(put);
    }
    if (watched[0].revents != 0 && received < size) {
      const ssize_t got = ::read(replies_.get(), reply + received, size - received);
      if (got == 0 || (got < 0 && errno != EINTR)) return Transfer::ended;
      if (got > 0) received += static_cast<size_t>(got);
    }
  }
  // What the plug-in printed before its answer is in the log pipe already.
  readLog(log);
  return Transfer::done;
}

std::string WorkerProcess::finish(Deadline deadline, const LogBytes& log) {
  requests_.close();
  while (log_.valid()) {
    pollfd watched{log_.get(), POLLIN, 0};
    const int ready = ::poll(&watched, 1, millisecondsUntil(deadline));
    if (ready == 0) break;
    if (ready > 0) readLog(log);
  }
  return end(deadline);
}

std::string WorkerProcess::end(Deadline deadline) {
  pollfd ended{process_.get(), POLLIN, 0};
  while (::poll(&ended, 1, millisecondsUntil(deadline)) < 0 && errno == EINTR) {
  }
  siginfo_t info{};
  if (::waitid(P_PIDFD, static_cast<id_t>(process_.get()), &info, WEXITED | WNOHANG) == 0 &&
      info.si_pid == 0) {
    ::syscall(SYS_pidfd_send_signal, process_.get(), SIGKILL, nullptr, 0);
    killed_ = true;
    ::waitid(P_PIDFD, static_cast<id_t>(process_.get()), &info, WEXITED);
  }
  process_.close();
  if (killed_) return "killed";
  if (info.si_code == CLD_EXITED) return "exited with code " + std::to_string(info.si_status);
  return "killed by " + signalName(info.si_status);
}

}  // namespace fwhost
