// The cap on every document fwhost reads (a drive description, attribute rules, a manifest),
// and the reading of one within it, from a file, standard input or a file in an open folder.
#ifndef FWHOST_PLATFORM_DOCUMENT_H
#define FWHOST_PLATFORM_DOCUMENT_H

#include <cstddef>
#include <string>

#include "host/error/HostError.h"
#include "host/platform/InputFile.h"
#include "host/platform/SafeWrite.h"

namespace fwhost {

// The most fwhost reads of a document.
constexpr size_t kMaxDocumentBytes = size_t{1} << 20;

// HostError (invalidInput) naming origin and kMaxDocumentBytes.
HostError documentTooLarge(const std::string& origin);

// All of in, read no further than one byte past kMaxDocumentBytes, so that an endless source
// (/dev/zero, a pipe that never ends) costs no more than the cap; HostError naming origin:
// invalidInput when it is larger than the cap, io when it cannot be read.
std::string readDocument(InputFile& in, const std::string& origin);

// The text of the file name in folder; HostError naming it: invalidInput when it is larger
// than kMaxDocumentBytes, io when it cannot be read or is no regular file.
std::string readDocument(const Folder& folder, const std::string& name);

}  // namespace fwhost

#endif
