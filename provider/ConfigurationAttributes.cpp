#include "provider/ConfigurationAttributes.h"

#include "orv/core/StandardAttributes.h"

namespace fwprovider {

// "Date" holds a one-byte true and "ModuleType" four bytes under a one-byte type name: hosts
// read the documents as they have always been written, so the widths stay as they are.
orv::core::AttributeMap buildConfigurationAttributes() {
  using namespace orv::core;
  AttributeMap map;
  Attribute date = makeDateAttribute();
  date.setBoolean(true);
  map[date.name()] = date;
  Attribute version("Version", "Version", "string");
  version.setText("1.0.0");
  map[version.name()] = version;
  Attribute audience = makeAudienceAttribute();
  audience.setText("HP");
  map[audience.name()] = audience;
  Attribute moduleType = makeModuleTypeAttribute();
  moduleType.setUint32(0);
  map[moduleType.name()] = moduleType;
  return map;
}

}  // namespace fwprovider
