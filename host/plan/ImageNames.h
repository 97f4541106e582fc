// The image names fwhost knows: those the plug-in's header gives. A plug-in of another maker
// serves other names, and no export lists them, so these are the names fwhost can offer.
#ifndef FWHOST_PLAN_IMAGENAMES_H
#define FWHOST_PLAN_IMAGENAMES_H

#include <string>
#include <vector>

#include "host/output/Results.h"
#include "host/plugin/Plugin.h"

namespace fwhost {

// Each name the header gives, with the size the plug-in answers for it (0: it serves none).
std::vector<ImageEntry> knownImages(const Plugin& plugin);

// "A, B, C": the names the header gives.
std::string knownImageNames();

}  // namespace fwhost

#endif
