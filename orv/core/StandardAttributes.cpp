#include "orv/core/StandardAttributes.h"

namespace orv::core {

Attribute makePackageAttribute() { return Attribute("Package", "Package", "vectorOfStrings"); }
Attribute makeStatusAttribute() { return Attribute("Status", "Status", "uint64"); }
Attribute makeAudienceAttribute() { return Attribute("Audience", "Audience", "string"); }
Attribute makeDateAttribute() { return Attribute("Date", "Date", "uint64"); }
Attribute makeModuleTypeAttribute() { return Attribute("ModuleType", "Module Type", "uint8"); }
Attribute makeErrorStringAttribute() { return Attribute("ErrorString", "Error String", "string"); }
Attribute makeFirmwareAttribute() { return Attribute("Firmware", "Firmware", "string"); }
Attribute makeOemAttribute() { return Attribute("OEM", "OEM", "string"); }
Attribute makeProductAttribute() { return Attribute("Product", "Product", "string"); }
Attribute makeSerialNumberAttribute() {
  return Attribute("SerialNumber", "Serial Number", "string");
}

}  // namespace orv::core
