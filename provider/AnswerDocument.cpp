#include "provider/AnswerDocument.h"

#include "orv/core/XmlConverter.h"

namespace fwprovider {

std::string answerDocument(const orv::core::AttributeMap& answer) {
  std::string text = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
  orv::core::xml::convert::fromAttributeMap(answer)->appendXml(text);
  return text;
}

}  // namespace fwprovider
