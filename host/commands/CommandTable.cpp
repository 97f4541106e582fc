#include "host/commands/Commands.h"

namespace fwhost {

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {"info", "Show the plug-in's configuration attributes and which file was loaded",
       addInfoCommand},
      {"map", "Show the plug-in's target firmware for a drive", addMapCommand},
      {"describe", "Print the drive description that --set settings make", addDescribeCommand},
      {"fetch", "Write one firmware image to a file", addFetchCommand},
      {"plan",
       "Fetch every package of a drive's update into a folder, with SHA256SUMS and "
       "manifest.json; a rerun completes an interrupted plan",
       addPlanCommand},
      {"scan", "Map each NVMe and SATA/SCSI drive of this machine, as the drive identifies itself",
       addScanCommand},
      {"verify",
       "Check a plan folder: every listed file there with its size and SHA-256, nothing else; "
       "exit 3 at the first mismatch",
       addVerifyCommand},
      {"help", "Show the help of fwhost or of one command", addHelpCommand},
  };
  return table;
}

}  // namespace fwhost
