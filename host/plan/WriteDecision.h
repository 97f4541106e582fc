// Deciding each write of a plan or an image before anything is written, so that every check
// comes before the first write.
#ifndef FWHOST_PLAN_WRITEDECISION_H
#define FWHOST_PLAN_WRITEDECISION_H

#include <filesystem>
#include <string>
#include <string_view>

#include "host/platform/SafeWrite.h"

namespace fwhost {

enum class WriteStep { write, keep };

// What to do with a regular file that holds other bytes than those to be written (--force).
enum class OtherBytes { refuse, replace };

// keep when name in folder already holds exactly bytes, write when it is missing or may be
// replaced; HostError (refusedTarget) naming the file when it is not a regular file, or holds
// other bytes that may not be replaced.
WriteStep decideWrite(const Folder& folder, const std::string& name, std::string_view bytes,
                      OtherBytes otherBytes);

// HostError naming folder unless it is a folder this process can write in, or one it can make:
// refusedTarget when something else stands there, io when it cannot be written or made.
void checkFolder(const std::filesystem::path& folder);

}  // namespace fwhost

#endif
