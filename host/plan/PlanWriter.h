// Writing a drive's update plan into its folder: every package in flash order, SHA256SUMS and,
// last, manifest.json, so that a folder with a manifest holds a complete plan. Shared by plan
// and scan --plan.
#ifndef FWHOST_PLAN_PLANWRITER_H
#define FWHOST_PLAN_PLANWRITER_H

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "host/plan/Plan.h"

namespace fwhost {

struct PlanWrite {
  bool dryRun = false;  // make every check and write nothing
  bool force = false;   // replace files that hold other bytes
};

// Gets the heading first, then one line per file once it is in place.
using PlanLines = std::function<void(const std::string& line)>;

// Writes the plan into its folder, made when missing and held open, locked, while it is
// written: fwhost's own temporary files that a killed run left are removed, and a file that
// already holds its bytes is kept. Answers {"packages", "bytes", "directory", "dry_run",
// "files"}; HostError as the checks and writes fail, every check before the first write: a
// folder that is a link or holds files of no part of the plan is refused.
nlohmann::ordered_json writePlan(Plan plan, const PlanWrite& how, const PlanLines& line);

}  // namespace fwhost

#endif
