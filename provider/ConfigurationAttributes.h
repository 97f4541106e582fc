// What the plug-in says about itself: version, audience, date field and module type.
#ifndef FWPROVIDER_CONFIGURATIONATTRIBUTES_H
#define FWPROVIDER_CONFIGURATIONATTRIBUTES_H

#include "orv/core/AttributeMap.h"

namespace fwprovider {

orv::core::AttributeMap buildConfigurationAttributes();

}  // namespace fwprovider

#endif
