// Text from a drive, a file or the plug-in made safe to print on a terminal: the one escaping
// policy of every text fwhost prints for people.
#ifndef FWHOST_OUTPUT_TERMINALTEXT_H
#define FWHOST_OUTPUT_TERMINALTEXT_H

#include <string>
#include <string_view>

namespace fwhost {

// The text with what a terminal would act on or reorder written visibly: C0 controls, DEL and
// bytes that are not UTF-8 (raw C1 among them) as \xNN; the C1 controls U+0080-U+009F and the
// bidirectional controls (U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069) as \uNNNN. So
// it can neither move the cursor, split a line, start an escape sequence nor show its letters
// in another order; other letters beyond ASCII stay as they are. JSON carries the exact text.
std::string terminalSafe(std::string_view text);

}  // namespace fwhost

#endif
