// Ready-made attributes: name, display name and type of the attributes the library exchanges.
#ifndef ORV_CORE_STANDARDATTRIBUTES_H
#define ORV_CORE_STANDARDATTRIBUTES_H

#include "orv/core/Attribute.h"

namespace orv::core {

Attribute makePackageAttribute();
Attribute makeStatusAttribute();
Attribute makeAudienceAttribute();
Attribute makeDateAttribute();
Attribute makeModuleTypeAttribute();
Attribute makeErrorStringAttribute();
Attribute makeFirmwareAttribute();
Attribute makeOemAttribute();
Attribute makeProductAttribute();
Attribute makeSerialNumberAttribute();

}  // namespace orv::core

#endif
