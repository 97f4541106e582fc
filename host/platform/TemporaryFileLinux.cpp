#include "host/platform/TemporaryFile.h"

namespace fwhost {

std::FILE* openTemporaryFile() { return std::tmpfile(); }

}  // namespace fwhost
