// The three standard streams as fwhost relies on them; one twin per platform.
#ifndef FWHOST_PLATFORM_STANDARDSTREAMS_H
#define FWHOST_PLATFORM_STANDARDSTREAMS_H

#include <string>
#include <string_view>

namespace fwhost {

// Puts a stand-in where a standard stream was closed, so that no file fwhost opens later lands
// there (a closed stdout then fails every write, as it should, instead of filling an image).
// On Windows, std::cout and std::cerr then write with the system's calls: to a console as
// UTF-16 text, which it shows whatever its code page; to anything else as the UTF-8 bytes.
// Called once, before anything is written.
void reserveStandardStreams();

bool standardOutputIsTerminal();

// Writes bytes to stdout after what std::cout holds, flushes both, and says why what was written
// to stdout so far did not all get out, in the system's words; empty when all of it is out.
std::string flushStandardOutput(std::string_view bytes = {});

}  // namespace fwhost

#endif
