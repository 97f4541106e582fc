#include "provider/TargetFirmwareMapping.h"

#include <string>
#include <vector>

#include "orv/core/KeyedAttributes.h"
#include "orv/core/StandardAttributes.h"
#include "orv/core/Status.h"
#include "orv/core/Text.h"

namespace fwprovider {
namespace {

using orv::core::Attribute;

const char kProduct[] = "Quarry Meadow";
const char kOem[] = "HP";
const char kFirmware[] = "HPS0";
const char kBootRomFirmware[] = "BRHPS1";
const char kConfigId[] = "T2UB_256";
const char kTargetVersion[] = "REV1";
const std::vector<std::string> kUpdatePackages = {
    "1BRHPS1_H2L018T2PB_256",
    "2_QM_77K_2262_BootISPTotal_A1_Package_signed",
    "3REV1_H2L018T2PB_256",
};

struct Drive {
  std::string model;
  std::string serial;
  std::string product;
  std::string firmware;
  std::string oem;
  std::string configId;
  std::string errorString;
};

Drive readDrive(const orv::core::AttributeMap& input) {
  using namespace orv::core;
  Drive drive;
  drive.model = asciiUpperCase(readStringAttribute(input, Attribute("ModelNumber", "Model Number", "string")));
  drive.serial = readStringAttribute(input, makeSerialNumberAttribute());
  drive.product = readStringAttribute(input, makeProductAttribute());
  drive.firmware = asciiUpperCase(readStringAttribute(input, makeFirmwareAttribute()));
  drive.oem = readStringAttribute(input, makeOemAttribute());
  drive.configId = asciiUpperCase(readStringAttribute(input, Attribute("ConfigID", "Config ID", "string")));
  drive.errorString = readStringAttribute(input, makeErrorStringAttribute());
  return drive;
}

bool updateRuleHolds(const Drive& drive) {
  if (drive.product != kProduct || drive.oem != kOem) return false;
  if (drive.firmware != kFirmware && drive.firmware != kBootRomFirmware) return false;
  return drive.configId == kConfigId;
}

bool errorRuleHolds(const Drive& drive) {
  using orv::core::containsIgnoringCase;
  return !drive.errorString.empty() || containsIgnoringCase(drive.model, "boot") ||
         containsIgnoringCase(drive.serial, "assert") ||
         orv::core::startsWithIgnoringCase(drive.serial, "*") ||
         containsIgnoringCase(drive.serial, "context");
}

}  // namespace

orv::core::AttributeMap mapTargetFirmware(orv::core::AttributeMap input) {
  using namespace orv::core;
  const Drive drive = readDrive(input);

  std::string destination;
  std::vector<std::string> packages;
  Status verdict = firmwareCurrentStatus();
  if (updateRuleHolds(drive)) {
    destination = kTargetVersion;
    packages = kUpdatePackages;
    verdict = firmwareUpdateAvailableStatus();
  }
  if (errorRuleHolds(drive)) {
    packages.clear();
    verdict = contactSupportStatus();
  }

  AttributeMap answer;
  writeStringAttribute(answer, Attribute("Source", "Source", "string"), "");
  writeStringAttribute(answer, Attribute("Destination", "Destination", "string"), destination);
  Attribute package = makePackageAttribute();
  package.setTextList(packages);
  answer[package.name()] = package;
  writeUint64Attribute(answer, makeStatusAttribute(), static_cast<uint64_t>(verdict.code()));
  return answer;
}

}  // namespace fwprovider
