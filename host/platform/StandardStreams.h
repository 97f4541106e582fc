// The three standard streams as fwhost relies on them; one twin per platform.
#ifndef FWHOST_PLATFORM_STANDARDSTREAMS_H
#define FWHOST_PLATFORM_STANDARDSTREAMS_H

namespace fwhost {

// Puts a stand-in where a standard stream was closed, so that no file fwhost opens later lands
// there (a closed stdout then fails every write, as it should, instead of filling an image).
void reserveStandardStreams();

bool standardOutputIsTerminal();

}  // namespace fwhost

#endif
