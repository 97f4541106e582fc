// While alive, whatever is written to standard output goes into a file the caller owns.
// The plug-in's fault records land on stdout, which must keep only fwhost's own documents.
#ifndef FWHOST_PLATFORM_STDOUTCAPTURE_H
#define FWHOST_PLATFORM_STDOUTCAPTURE_H

#include <cstdio>

namespace fwhost {

class StdoutCapture {
 public:
  // into stays owned by the caller and must outlive this object.
  explicit StdoutCapture(std::FILE* into);
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

 private:
  int savedStdout_ = -1;
};

}  // namespace fwhost

#endif
