#include "host/plan/DrivePlan.h"

#include <filesystem>

#include "host/plugin/DriveMapping.h"
#include "host/plugin/Plugin.h"

namespace fwhost {

PlanCommandResult planDrive(const PluginChoice& pluginChoice, const DrivePlanChoice& choice,
                            Warnings& warnings) {
  const DriveText drive = readDrive(choice.drive);
  const Plugin plugin = openPlugin(pluginChoice);
  const MappedDrive mapped = mapDrive(plugin, drive, warnings);
  if (mapped.answer.verdict != Verdict::updateAvailable) {
    PlanResult skipped;
    skipped.outcome = PlanOutcome::skipped;
    skipped.reason = verdictWords(mapped.answer.verdict);
    return {mapped.answer, skipped};
  }
  const PlanPlace place{std::filesystem::u8path(choice.directory), ""};
  return {mapped.answer, writePlan(makePlan(plugin, mapped, place), choice.how)};
}

}  // namespace fwhost
