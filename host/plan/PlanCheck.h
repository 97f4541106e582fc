// Checking a plan folder against its manifest, as fwhost verify does before a plan is trusted.
#ifndef FWHOST_PLAN_PLANCHECK_H
#define FWHOST_PLAN_PLANCHECK_H

#include <cstddef>
#include <filesystem>

namespace fwhost {

// The number of packages of the complete plan in directory, opened as plan opens its folder:
// the manifest is one plan writes (each field of its type, an update, at least one package, each
// file once), every file it lists is there with its size and SHA-256, SHA256SUMS agrees, and
// nothing else is there. HostError (mismatch) naming the first thing out of place, or the
// field; as Folder::open says when directory is no folder.
size_t verifyPlan(const std::filesystem::path& directory);

}  // namespace fwhost

#endif
