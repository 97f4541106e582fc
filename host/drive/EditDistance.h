// How far apart two names are, for the "did you mean" of a mistyped key or command.
#ifndef FWHOST_DRIVE_EDITDISTANCE_H
#define FWHOST_DRIVE_EDITDISTANCE_H

#include <cstddef>
#include <string>

namespace fwhost {

// Insertions, deletions and substitutions, ASCII letter case ignored.
size_t editDistance(const std::string& a, const std::string& b);

}  // namespace fwhost

#endif
