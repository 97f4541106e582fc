// Writing a drive's update plan into its folder: every package in flash order, SHA256SUMS,
// manifest.json, so that a folder with a manifest holds a complete plan, and last, when signed,
// the manifest's signature. Shared by plan and scan --plan.
#ifndef FWHOST_PLAN_PLANWRITER_H
#define FWHOST_PLAN_PLANWRITER_H

#include "host/output/Results.h"
#include "host/plan/Plan.h"

namespace fwhost {

struct PlanWrite {
  bool dryRun = false;     // make every check and write nothing
  bool force = false;      // replace files that hold other bytes
  std::string signingKey;  // --sign: the private key's file; empty: the plan is not signed
};

// Writes the plan into its folder, made when missing and held open, locked, while it is
// written: fwhost's own temporary files that a killed run left are removed, and a file that
// already holds its bytes is kept, a signature too when it signs the manifest kept (and is by
// the signing key, when one is given). Answers what was done with each file; HostError as the
// checks and writes fail, every check before the first write: a folder that is a link or holds
// files of no part of the plan is refused.
PlanResult writePlan(Plan plan, const PlanWrite& how);

}  // namespace fwhost

#endif
