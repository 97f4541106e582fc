// fwhost scan's work: discover this machine's drives, map each with the identity it reports
// and its vendor attributes, and plan those with an update, each in a folder of its own. A drive
// that fails becomes its row, so that the others are still mapped.
#ifndef FWHOST_PLAN_SCANRUN_H
#define FWHOST_PLAN_SCANRUN_H

#include <string>
#include <vector>

#include "host/discovery/DriveScan.h"
#include "host/output/Results.h"
#include "host/plugin/PluginLocation.h"

namespace fwhost {

// What scan is asked to do.
struct ScanChoice {
  ScanRequest request;
  std::vector<std::string> devices;   // --device; empty: every drive
  std::vector<std::string> settings;  // --set, for the one drive
  std::string attributes;             // --attributes, a rules file; excludes settings
  std::string planDirectory;          // --plan; empty: no plans
  std::string signingKey;             // --sign: the private key each plan is signed with
};

// HostError (usage) when the choice names no drive there is, or gives vendor attributes that
// could reach the wrong drive; as discovery, the rules file and the plug-in fail otherwise.
// What concerns several drives at once is added to warnings.
ScanResult runScan(const ScanChoice& choice, const PluginChoice& plugin, Warnings& warnings);

}  // namespace fwhost

#endif
