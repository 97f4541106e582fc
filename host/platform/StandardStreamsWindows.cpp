#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <streambuf>

#include "host/platform/StandardStreams.h"
#include "host/platform/SystemError.h"
#include "host/platform/WideText.h"

namespace fwhost {
namespace {

// What std::cout or std::cerr is given, on its way to the handle of descriptor fd, which the
// plug-in's log capture may swap meanwhile. A console shows bytes in its own code page, so it
// gets UTF-16 text; a pipe or a file gets the UTF-8 bytes unchanged.
class SystemStreamBuffer : public std::streambuf {
 public:
  explicit SystemStreamBuffer(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }

  // The first failed write's error, or 0.
  DWORD failure() const { return failure_; }

 protected:
  int_type overflow(int_type c) override {
    if (sync() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  std::streamsize xsputn(const char* bytes, std::streamsize count) override {
    if (count <= epptr() - pptr()) {
      std::memcpy(pptr(), bytes, static_cast<size_t>(count));
      pbump(static_cast<int>(count));
      return count;
    }
    const bool sent = sync() == 0 && send({bytes, static_cast<size_t>(count)});
    return sent ? count : 0;
  }

  int sync() override {
    const bool sent = send({pbase(), static_cast<size_t>(pptr() - pbase())});
    setp(buffer_, buffer_ + sizeof buffer_);
    return sent ? 0 : -1;
  }

 private:
  bool failed(DWORD error) {
    if (failure_ == 0) failure_ = error;
    return false;
  }

  bool send(std::string_view bytes) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd_));
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) return sendText(handle, bytes);
    while (!bytes.empty()) {
      const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
      DWORD written = 0;
      if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return failed(GetLastError());
      if (written == 0) return failed(ERROR_WRITE_FAULT);
      bytes.remove_prefix(written);
    }
    return true;
  }

  // A character cut by the end of the buffer waits for the rest of its bytes.
  bool sendText(HANDLE console, std::string_view bytes) {
    pending_.append(bytes.data(), bytes.size());
    const size_t complete = completeUtf8Length(pending_);
    const std::wstring text = wide(std::string_view(pending_).substr(0, complete));
    pending_.erase(0, complete);
    for (size_t at = 0; at < text.size();) {
      const auto chunk = static_cast<DWORD>(std::min<size_t>(text.size() - at, 8192));
      DWORD written = 0;
      if (!WriteConsoleW(console, text.data() + at, chunk, &written, nullptr))
        return failed(GetLastError());
      if (written == 0) return failed(ERROR_WRITE_FAULT);
      at += written;
    }
    return true;
  }

  int fd_;
  char buffer_[4096];
  std::string pending_;
  DWORD failure_ = 0;
};

// Both buffers, handed back before the streams are flushed for the last time at exit.
struct SystemStreams {
  SystemStreamBuffer out{1};
  SystemStreamBuffer err{2};
  std::streambuf* const originalOut = std::cout.rdbuf(&out);
  std::streambuf* const originalErr = std::cerr.rdbuf(&err);

  ~SystemStreams() {
    std::cout.flush();
    std::cerr.flush();
    std::cout.rdbuf(originalOut);
    std::cerr.rdbuf(originalErr);
  }
};

SystemStreams& systemStreams() {
  static SystemStreams streams;
  return streams;
}

}  // namespace

void reserveStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    // Opened read-only, so that writes to a closed stdout or stderr fail.
    if (_get_osfhandle(fd) == -1 || _get_osfhandle(fd) == -2) {
      const int stand = _open("NUL", _O_RDONLY);
      if (stand >= 0 && stand != fd) {
        _dup2(stand, fd);
        _close(stand);
      }
    }
    // Text mode would turn each "\n" into "\r\n" and end input at a Ctrl-Z byte.
    _setmode(fd, _O_BINARY);
  }
  systemStreams();
}

bool standardOutputIsTerminal() {
  // _isatty says yes for any character device, NUL included; only a console has a mode.
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

std::string flushStandardOutput(std::string_view bytes) {
  if (!bytes.empty()) std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  std::cout.flush();
  if (std::cout) return {};
  const DWORD failure = systemStreams().out.failure();
  return failure != 0 ? systemMessage(failure) : "write failed";
}

}  // namespace fwhost
