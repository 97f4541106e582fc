// Writing a drive's update plan into its folder: every package in flash order, SHA256SUMS and,
// last, manifest.json, so that a folder with a manifest holds a complete plan. Shared by plan
// and scan --plan.
#ifndef FWHOST_PLAN_PLANWRITER_H
#define FWHOST_PLAN_PLANWRITER_H

#include "host/output/Results.h"
#include "host/plan/Plan.h"

namespace fwhost {

struct PlanWrite {
  bool dryRun = false;  // make every check and write nothing
  bool force = false;   // replace files that hold other bytes
};

// Writes the plan into its folder, made when missing and held open, locked, while it is
// written: fwhost's own temporary files that a killed run left are removed, and a file that
// already holds its bytes is kept. Answers what was done with each file; HostError as the
// checks and writes fail, every check before the first write: a folder that is a link or holds
// files of no part of the plan is refused.
PlanResult writePlan(Plan plan, const PlanWrite& how);

}  // namespace fwhost

#endif
