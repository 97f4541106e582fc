// While alive, whatever is written to standard output goes to standard error instead.
// The plug-in's fault records land on stdout, which must keep only fwhost's own documents.
#ifndef FWHOST_STDOUTDIVERSION_H
#define FWHOST_STDOUTDIVERSION_H

namespace fwhost {

class StdoutDiversion {
 public:
  StdoutDiversion();
  ~StdoutDiversion();
  StdoutDiversion(const StdoutDiversion&) = delete;
  StdoutDiversion& operator=(const StdoutDiversion&) = delete;

 private:
  int savedStdout_ = -1;
};

}  // namespace fwhost

#endif
