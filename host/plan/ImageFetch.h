// fwhost fetch's work: one image of the plug-in into a file, or its bytes for standard output.
#ifndef FWHOST_PLAN_IMAGEFETCH_H
#define FWHOST_PLAN_IMAGEFETCH_H

#include <string>

#include "host/output/Results.h"
#include "host/plugin/PluginLocation.h"

namespace fwhost {

struct FetchChoice {
  std::string name;    // the image, exactly as the plug-in names it
  std::string file;    // a file, an existing folder, "-" for standard output; empty: NAME.bin
  bool force = false;  // replace a file that holds other bytes
};

// The image written where choice says, as a file fwhost writes every file; for "-" its bytes
// are answered, not written. HostError: invalidInput when the plug-in has no such image,
// inconsistentAnswer when its name cannot be a file's, as the writes fail otherwise.
FetchResult fetchImage(const PluginChoice& plugin, const FetchChoice& choice);

}  // namespace fwhost

#endif
