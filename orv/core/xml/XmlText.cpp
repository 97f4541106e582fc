#include "orv/core/xml/XmlText.h"

namespace orv::core::xml {
namespace {

std::string_view entityFor(char byte) {
  switch (byte) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '"':
      return "&quot;";
    case '\'':
      return "&apos;";
    default:
      return {};
  }
}

// One pass, appending the unescaped runs whole, so no entity is ever escaped twice.
void appendEscaped(std::string& target, std::string_view value) {
  size_t runStart = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    const std::string_view entity = entityFor(value[i]);
    if (entity.empty()) continue;
    target.append(value, runStart, i - runStart);
    target += entity;
    runStart = i + 1;
  }
  target.append(value, runStart, std::string_view::npos);
}

size_t escapedSize(std::string_view value) {
  size_t size = value.size();
  for (char byte : value) {
    const std::string_view entity = entityFor(byte);
    if (!entity.empty()) size += entity.size() - 1;
  }
  return size;
}

}  // namespace

void appendXmlAttribute(std::string& target, std::string_view key, std::string_view value) {
  target += ' ';
  target += key;
  target += "=\"";
  appendEscaped(target, value);
  target += '"';
}

size_t xmlAttributeSize(std::string_view key, std::string_view value) {
  return key.size() + 4 + escapedSize(value);
}

}  // namespace orv::core::xml
