// Checking a plan folder against its manifest, as fwhost verify does before a plan is trusted.
#ifndef FWHOST_PLAN_PLANCHECK_H
#define FWHOST_PLAN_PLANCHECK_H

#include <string>
#include <vector>

#include "host/output/Results.h"
#include "host/plugin/PluginLocation.h"

namespace fwhost {

// What verify is asked to hold a plan to.
struct VerifyChoice {
  std::string directory;
  std::vector<std::string> keys;  // --key: public keys, one of which must have signed the plan
  bool matchPlugin = false;       // --match-plugin: the plug-in must hand out the same packages
};

// The complete plan in choice's directory, opened as plan opens its folder, file by file: each
// file the manifest lists there as a regular file of the size and SHA-256 listed, SHA256SUMS
// agreeing, the signature beside the manifest only, and nothing else there; with matchPlugin,
// each package as the plug-in (opened only then) hands it out. HostError (mismatch) naming the
// manifest and what is wrong with it when it is missing or not one plan writes (readManifest),
// or the signature when keys are given and none signed the manifest (signerOf); as Folder::open
// says when directory is no folder, readTrustedKeys of a key and openPlugin of the plug-in.
VerifyResult verifyPlan(const VerifyChoice& choice, const PluginChoice& plugin);

}  // namespace fwhost

#endif
