// UTF-16 text of the Windows API as the UTF-8 that fwhost keeps inside, and back.
#ifndef FWHOST_PLATFORM_WIDETEXT_H
#define FWHOST_PLATFORM_WIDETEXT_H

#include <cstddef>
#include <string>
#include <string_view>

namespace fwhost {

// Unpaired surrogates become U+FFFD.
std::string utf8(std::wstring_view wide);

// Bytes that are not UTF-8 become U+FFFD.
std::wstring wide(std::string_view utf8);

// How much of text can be converted now: all of it, but for a character whose first bytes end it
// and whose last bytes are still to come.
size_t completeUtf8Length(std::string_view text);

}  // namespace fwhost

#endif
