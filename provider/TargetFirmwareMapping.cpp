#include "provider/TargetFirmwareMapping.h"

#include <string>
#include <vector>

#include "orv/core/KeyedAttributes.h"
#include "orv/core/StandardAttributes.h"
#include "orv/core/Status.h"
#include "orv/core/Text.h"
#include "provider/fwprovider.h"

namespace fwprovider {
namespace {

using orv::core::Attribute;

const char kProduct[] = "Quarry Meadow";
const char kOem[] = "HP";
const char kFirmware[] = "HPS0";
const char kBootRomFirmware[] = "BRHPS1";
const char kConfigId[] = "T2UB_256";
const char kTargetVersion[] = "REV1";
// Flash order; every package is an image of the catalogue.
const std::vector<std::string> kUpdatePackages = {FWPROVIDER_IMAGE_1, FWPROVIDER_IMAGE_2,
                                                  FWPROVIDER_IMAGE_3};
const std::vector<std::string> kNoPackages;

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
  drive.model = asciiUpperCase(
      readStringAttribute(input, Attribute("ModelNumber", "Model Number", "string")));
  drive.serial = readStringAttribute(input, makeSerialNumberAttribute());
  drive.product = readStringAttribute(input, makeProductAttribute());
  drive.firmware = asciiUpperCase(readStringAttribute(input, makeFirmwareAttribute()));
  drive.oem = readStringAttribute(input, makeOemAttribute());
  drive.configId =
      asciiUpperCase(readStringAttribute(input, Attribute("ConfigID", "Config ID", "string")));
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

  const char* destination = "";
  const std::vector<std::string>* packages = &kNoPackages;
  Status verdict = firmwareCurrentStatus();
  if (updateRuleHolds(drive)) {
    destination = kTargetVersion;
    packages = &kUpdatePackages;
    verdict = firmwareUpdateAvailableStatus();
  }
  if (errorRuleHolds(drive)) {
    packages = &kNoPackages;
    verdict = contactSupportStatus();
  }

  AttributeMap answer;
  writeStringAttribute(answer, Attribute("Source", "Source", "string"), "");
  writeStringAttribute(answer, Attribute("Destination", "Destination", "string"), destination);
  Attribute package = makePackageAttribute();
  package.setTextList(*packages);
  answer[package.name()] = std::move(package);
  writeUint64Attribute(answer, makeStatusAttribute(), static_cast<uint64_t>(verdict.code()));
  return answer;
}

}  // namespace fwprovider
