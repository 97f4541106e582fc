// The decision at the heart of the plug-in: which firmware a described drive should get.
#ifndef FWPROVIDER_TARGETFIRMWAREMAPPING_H
#define FWPROVIDER_TARGETFIRMWAREMAPPING_H

#include "orv/core/AttributeMap.h"

namespace fwprovider {

// Consumes the drive's attributes and answers Source, Destination, Package and Status (the
// verdict's code: 64 current, 65 update available, 68 contact support). Never fails on content.
orv::core::AttributeMap mapTargetFirmware(orv::core::AttributeMap input);

}  // namespace fwprovider

#endif
