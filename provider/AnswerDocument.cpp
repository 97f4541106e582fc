#include "provider/AnswerDocument.h"

#include "orv/core/XmlConverter.h"

namespace fwprovider {

std::string answerDocument(const orv::core::AttributeMap& answer) {
  return orv::core::xml::convert::toXmlText("<?xml version=\"1.0\" encoding=\"utf-8\"?>", answer);
}

}  // namespace fwprovider
