// fwhost plan's work: map one described drive and, when an update is available, write its plan.
#ifndef FWHOST_PLAN_DRIVEPLAN_H
#define FWHOST_PLAN_DRIVEPLAN_H

#include <string>

#include "host/drive/DriveInput.h"
#include "host/error/Warning.h"
#include "host/output/Results.h"
#include "host/plan/PlanWriter.h"
#include "host/plugin/PluginLocation.h"

namespace fwhost {

struct DrivePlanChoice {
  DriveInput drive;
  std::string directory;  // -o
  PlanWrite how;
};

// The mapping and the plan written (skipped, the verdict its reason, when there is no update);
// what the description warns of goes to warnings. HostError as reading, mapping and writing
// fail.
PlanCommandResult planDrive(const PluginChoice& plugin, const DrivePlanChoice& choice,
                            Warnings& warnings);

}  // namespace fwhost

#endif
