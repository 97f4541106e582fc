// Checking a plan folder against its manifest, as fwhost verify does before a plan is trusted.
#ifndef FWHOST_PLAN_PLANCHECK_H
#define FWHOST_PLAN_PLANCHECK_H

#include <filesystem>

#include "host/output/Results.h"

namespace fwhost {

// The complete plan in directory, opened as plan opens its folder, file by file: each file the
// manifest lists there as a regular file of the size and SHA-256 listed, SHA256SUMS agreeing,
// and nothing else there. HostError (mismatch) naming the manifest and what is wrong with it when
// it is missing or not one plan writes (readManifest); as Folder::open says when directory is no
// folder.
VerifyResult verifyPlan(const std::filesystem::path& directory);

}  // namespace fwhost

#endif
