#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "host/platform/StandardStreams.h"

namespace fwhost {

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
}

bool standardOutputIsTerminal() {
  // _isatty says yes for any character device, NUL included; only a console has a mode.
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

}  // namespace fwhost
