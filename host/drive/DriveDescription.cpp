#include "host/drive/DriveDescription.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <sstream>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "host/drive/TypedValue.h"
#include "host/error/HostError.h"
#include "orv/core/ReadTypes.h"

namespace fwhost {
namespace {

// "ModelNumber" reads "Model Number", "ConfigID" "Config ID", "TCGSupported" "TCG Supported".
std::string displayName(const std::string& key) {
  std::string words;
  for (size_t i = 0; i < key.size(); ++i) {
    const auto upper = [&](size_t at) {
      return std::isupper(static_cast<unsigned char>(key[at])) != 0;
    };
    const auto lower = [&](size_t at) {
      return std::islower(static_cast<unsigned char>(key[at])) != 0;
    };
    const bool wordStart =
        i > 0 && upper(i) && (lower(i - 1) || (upper(i - 1) && i + 1 < key.size() && lower(i + 1)));
    if (wordStart) words += ' ';
    words += key[i];
  }
  return words;
}

}  // namespace

bool isKnownType(const std::string& type) {
  using orv::core::kReadTypeNames;
  return std::find(std::begin(kReadTypeNames), std::end(kReadTypeNames), type) !=
         std::end(kReadTypeNames);
}

void DriveDescription::set(const std::string& key, const std::string& type,
                           const std::string& value) {
  auto same = [&](const Attribute& attribute) { return attribute.key == key; };
  auto found = std::find_if(attributes_.begin(), attributes_.end(), same);
  if (found == attributes_.end()) {
    attributes_.push_back({key, type, value});
  } else {
    *found = {key, type, value};
  }
}

void DriveDescription::set(const std::string& setting) {
  const auto equals = setting.find('=');
  const std::string name = setting.substr(0, equals);
  const auto colon = name.find(':');
  const std::string key = name.substr(0, colon);
  const std::string type = colon == std::string::npos ? "string" : name.substr(colon + 1);
  if (equals == std::string::npos || key.empty()) {
    throw HostError::usage("--set " + setting + ": expected Key=Value or Key:type=Value");
  }
  if (!isKnownType(type)) {
    std::string known;
    for (const char* each : orv::core::kReadTypeNames)
      known += (known.empty() ? "" : ", ") + std::string(each);
    throw HostError::usage("--set " + setting + ": unknown type " + type + " (one of " + known +
                           ")");
  }
  const std::string value = setting.substr(equals + 1);
  const std::string expected = typeMismatch(type, value);
  if (!expected.empty()) {
    throw HostError::usage("--set " + setting + ": " + value + " is no " + type + " (" + expected +
                           ")");
  }
  set(key, type, value);
}

bool sameKey(std::string_view a, std::string_view b) {
  const auto fold = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&fold](char x, char y) { return fold(x) == fold(y); });
}

bool DriveDescription::has(const std::string& key) const {
  const auto named = [&](const Attribute& attribute) { return sameKey(key, attribute.key); };
  return std::any_of(attributes_.begin(), attributes_.end(), named);
}

std::string DriveDescription::xml() const {
  namespace pt = boost::property_tree;
  pt::ptree object;
  object.put("<xmlattr>.category", "attributeList");
  for (const Attribute& attribute : attributes_) {
    pt::ptree property;
    property.put("<xmlattr>.category", "attribute");
    property.put("<xmlattr>.name", attribute.key);
    property.put("<xmlattr>.displayName", displayName(attribute.key));
    property.put("<xmlattr>.type", attribute.type);
    property.put("<xmlattr>.value", attribute.value);
    object.add_child("Property", property);
  }
  pt::ptree document;
  document.add_child("Object", object);
  std::ostringstream text;
  pt::write_xml(text, document, pt::xml_writer_make_settings<std::string>(' ', 2));
  return text.str();
}

}  // namespace fwhost
