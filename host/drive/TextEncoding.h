// The encoding of a document a user hands in: fwhost and the plug-in read UTF-8, while
// Windows editors and PowerShell 5's redirection write UTF-16 behind a byte-order mark.
#ifndef FWHOST_DRIVE_TEXTENCODING_H
#define FWHOST_DRIVE_TEXTENCODING_H

#include <string>

namespace fwhost {

// bytes as UTF-8: UTF-16 (either byte order) behind its byte-order mark is converted, anything
// else is taken as it is. HostError (invalidInput) naming origin and the encoding when UTF-16
// text breaks that encoding's rules.
std::string asUtf8(const std::string& bytes, const std::string& origin);

}  // namespace fwhost

#endif
