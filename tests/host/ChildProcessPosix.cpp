#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/host/ChildProcess.h"

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments,
                           const std::filesystem::path& folder, const std::filesystem::path& input,
                           const std::filesystem::path& output, const std::filesystem::path& err) {
  pid_ = ::fork();
  if (pid_ != 0) return;
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  if (::chdir(folder.c_str()) != 0) ::_exit(126);
  ::dup2(::open(input.c_str(), O_RDONLY), STDIN_FILENO);
  ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), STDERR_FILENO);
  const int out = output.empty() ? -1 : ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::close(STDOUT_FILENO);
  if (out >= 0) ::dup2(out, STDOUT_FILENO);
  ::execv(program.c_str(), argv.data());
  ::_exit(127);
}

int ChildProcess::wait() {
  int status = 0;
  if (pid_ < 0 || ::waitpid(pid_, &status, 0) != pid_) return -1;
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool ChildProcess::running() const {
  siginfo_t info{};
  return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == 0;
}

void ChildProcess::signal(int number) const { ::kill(pid_, number); }
