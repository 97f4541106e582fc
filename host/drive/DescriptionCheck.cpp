#include "host/drive/DescriptionCheck.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "host/drive/DriveDescription.h"

namespace fwhost {
namespace {

// The attributes the plug-in's update rules read; it matches them ignoring letter case.
const char* const kRuleKeys[] = {"ModelNumber", "SerialNumber", "Product",
                                 "Firmware",    "OEM",          "ConfigID"};

// Insertions, deletions and substitutions, ASCII letter case ignored.
size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      const bool same = sameKey({&a[i - 1], 1}, {&b[j - 1], 1});
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// Two edits turn almost any short key into "OEM"; short names get one.
bool looksLike(const std::string& key, const std::string& ruleKey) {
  return editDistance(key, ruleKey) <= (ruleKey.size() < 5 ? 1u : 2u);
}

bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

DescriptionCheck checkDescription(const std::string& xml) {
  namespace pt = boost::property_tree;
  DescriptionCheck check;
  pt::ptree document;
  try {
    std::istringstream stream(xml);
    pt::read_xml(stream, document);
  } catch (const pt::xml_parser_error& error) {
    check.unreadable = "line " + std::to_string(error.line()) + ": " + error.message();
    return check;
  }
  const auto warn = [&](const std::string& warning) { check.warnings.push_back(warning); };
  std::vector<std::string> keys, values;  // of the Properties the plug-in keeps
  // Like the plug-in, only the first top-level element counts.
  static const pt::ptree none;
  const bool readable = !document.empty() &&
                        (document.front().first == "Object" || document.front().first == "Message");
  if (!document.empty() && !readable)
    warn("the plug-in reads attributes from an Object, not from " + document.front().first);
  for (const auto& [name, property] : readable ? document.front().second : none) {
    if (name != "Property") continue;
    const std::string key = property.get("<xmlattr>.name", "");
    const std::string category = property.get("<xmlattr>.category", "");
    const std::string type = property.get("<xmlattr>.type", "");
    const std::string value = property.get("<xmlattr>.value", "");
    if (category != "attribute") {
      warn("Property " + key + " is skipped by the plug-in: its category is \"" + category +
           "\", not \"attribute\"");
    } else if (!isKnownType(type)) {
      warn("Property " + key + " is skipped by the plug-in: it reads no type \"" + type + "\"");
    } else {
      keys.push_back(key);
      values.push_back(value);
      if (!value.empty() && (isBlank(value.front()) || isBlank(value.back())))
        warn(key + ": the value \"" + value + "\" has white space at " +
             (isBlank(value.front()) ? "its start" : "its end"));
    }
  }
  for (const std::string& key : keys) {
    const auto known = [&](const char* ruleKey) { return sameKey(key, ruleKey); };
    if (std::any_of(std::begin(kRuleKeys), std::end(kRuleKeys), known)) continue;
    for (const char* ruleKey : kRuleKeys) {
      if (looksLike(key, ruleKey)) warn(key + ": did you mean " + ruleKey + "?");
    }
  }
  for (const char* ruleKey : kRuleKeys) {
    const auto given = [&](const std::string& key) { return sameKey(key, ruleKey); };
    const auto found = std::find_if(keys.rbegin(), keys.rend(), given);  // the later one wins
    if (found == keys.rend()) {
      warn("no " + std::string(ruleKey) + " attribute, which the update rules read");
    } else {
      check.ruleAttributes[ruleKey] = values[keys.rend() - found - 1];
    }
  }
  return check;
}

}  // namespace fwhost
