// The order in which drives are listed: as their names count, not as their bytes sort.
#ifndef FWHOST_DISCOVERY_NATURALORDER_H
#define FWHOST_DISCOVERY_NATURALORDER_H

#include <string_view>

namespace fwhost {

// Compares runs of digits by value (nvme2 before nvme10), runs of other characters that start
// with the same two by length, then text, as the kernel counts disk letters (sdz before sdaa),
// and other runs by text (sda before sr0).
bool naturalLess(std::string_view left, std::string_view right);

}  // namespace fwhost

#endif
