// The text of an answer: the XML declaration followed by the map written as compact XML.
#ifndef FWPROVIDER_ANSWERDOCUMENT_H
#define FWPROVIDER_ANSWERDOCUMENT_H

#include <string>

#include "orv/core/AttributeMap.h"

namespace fwprovider {

std::string answerDocument(const orv::core::AttributeMap& answer);

}  // namespace fwprovider

#endif
