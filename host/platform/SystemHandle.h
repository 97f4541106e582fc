// One open file descriptor (Linux) or HANDLE (Windows) and the duty to close it: every file,
// folder, device and pipe fwhost opens is held by one. One twin per platform.
#ifndef FWHOST_PLATFORM_SYSTEMHANDLE_H
#define FWHOST_PLATFORM_SYSTEMHANDLE_H

namespace fwhost {

class SystemHandle {
 public:
#if defined(_WIN32)
  using Native = void*;  // a HANDLE
#else
  using Native = int;
#endif

  SystemHandle() = default;
  // Takes native, which may be invalid (-1; INVALID_HANDLE_VALUE or null).
  explicit SystemHandle(Native native) : native_(native) {}
  ~SystemHandle() { close(); }
  SystemHandle(SystemHandle&& other) noexcept : native_(other.release()) {}
  SystemHandle& operator=(SystemHandle&& other) noexcept {
    if (this != &other) {
      close();
      native_ = other.release();
    }
    return *this;
  }
  SystemHandle(const SystemHandle&) = delete;
  SystemHandle& operator=(const SystemHandle&) = delete;

  bool valid() const;
  Native get() const { return native_; }
  // The native handle, no longer closed by this object.
  Native release();
  // Closes now; false, with the system's error left for lastSystemError, when closing failed
  // (on some file systems the last write's failure shows only there).
  bool close();

 private:
  static Native invalid();

  Native native_ = invalid();
};

}  // namespace fwhost

#endif
