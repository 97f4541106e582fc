// UTF-16 text of the Windows API as the UTF-8 that fwhost keeps inside.
#ifndef FWHOST_PLATFORM_WIDETEXT_H
#define FWHOST_PLATFORM_WIDETEXT_H

#include <string>
#include <string_view>

namespace fwhost {

// Unpaired surrogates become U+FFFD.
std::string utf8(std::wstring_view wide);

}  // namespace fwhost

#endif
