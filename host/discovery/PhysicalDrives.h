// The drives Windows lists as \\.\PhysicalDriveN, each with the identity it reports.
#ifndef FWHOST_DISCOVERY_PHYSICALDRIVES_H
#define FWHOST_DISCOVERY_PHYSICALDRIVES_H

#include <vector>

#include "host/discovery/ScannedDrive.h"

namespace fwhost {

// Opens PhysicalDrive0, 1, ... (at most 64) until one is missing, with no access rights, which
// queries need none of. NVMe drives give their Identify Controller data, ATA drives their
// IDENTIFY DEVICE data where the pass-through is allowed (administrators), others what their
// device descriptor holds. A drive that does not answer its queries is left out; one whose
// answer cannot be read is listed with the reason.
std::vector<ScannedDrive> scanPhysicalDrives();

}  // namespace fwhost

#endif
