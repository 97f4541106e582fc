// Text from a drive, a file or the plug-in made safe to print on a terminal.
#ifndef FWHOST_OUTPUT_TERMINALTEXT_H
#define FWHOST_OUTPUT_TERMINALTEXT_H

#include <string>
#include <string_view>

namespace fwhost {

// The text with each control character (C0, DEL, C1) and each byte that is not UTF-8 written as
// \xNN, so that it can neither move the cursor, split a line nor start an escape sequence;
// letters beyond ASCII stay as they are. JSON carries the exact text instead.
std::string terminalSafe(std::string_view text);

}  // namespace fwhost

#endif
