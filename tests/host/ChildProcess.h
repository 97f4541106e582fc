// Test helper: a program started as a user starts it, its standard streams in files; one twin
// per platform.
#ifndef FWPROVIDER_TESTS_HOST_CHILDPROCESS_H
#define FWPROVIDER_TESTS_HOST_CHILDPROCESS_H

#include <filesystem>
#include <string>
#include <vector>

class ChildProcess {
 public:
  // program with the UTF-8 arguments, in folder; stdin read from input, stdout written to
  // output (closed when empty) and stderr to err.
  ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
               const std::filesystem::path& folder, const std::filesystem::path& input,
               const std::filesystem::path& output, const std::filesystem::path& err);
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Waits for its end: the exit code, 128 + N when ended by signal N, -1 when it never ran.
  int wait();

#if !defined(_WIN32)
  bool running() const;
  void signal(int number) const;  // SIGINT as Ctrl-C sends it, SIGKILL as nothing can catch
#endif

 private:
#if defined(_WIN32)
  void* process_ = nullptr;
#else
  int pid_ = -1;
#endif
};

#endif
