#include "host/drive/DescriptionCheck.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <sstream>
#include <string_view>
#include <utility>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "host/drive/DriveDescription.h"
#include "host/drive/EditDistance.h"
#include "host/drive/NestingLimit.h"
#include "host/drive/RepeatedAttribute.h"

namespace fwhost {
namespace {

namespace pt = boost::property_tree;

// The attributes the plug-in's update rules read; it matches them ignoring letter case.
const char* const kRuleKeys[] = {"ModelNumber", "SerialNumber", "Product",
                                 "Firmware",    "OEM",          "ConfigID"};

// One Property of the description, as its XML attributes give it.
struct PropertyRecord {
  std::string key;
  std::string category;
  std::string type;
  std::string value;
};

// Two edits turn almost any short key into "OEM"; short names get one.
bool looksLike(const std::string& key, const std::string& ruleKey) {
  return editDistance(key, ruleKey) <= (ruleKey.size() < 5 ? 1u : 2u);
}

bool isBlank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

bool isRuleKey(const std::string& key) {
  return std::any_of(std::begin(kRuleKeys), std::end(kRuleKeys),
                     [&](const char* ruleKey) { return sameKey(key, ruleKey); });
}

// The Properties of the first top-level element, the only one the plug-in reads, when it is
// an element the plug-in takes attributes from.
std::vector<PropertyRecord> readProperties(const pt::ptree& document, Warnings& warnings) {
  std::vector<PropertyRecord> records;
  if (document.empty()) return records;
  const auto& [element, children] = document.front();
  if (element != "Object" && element != "Message") {
    warnings.push_back(
        {"not-an-object", "", "the plug-in reads attributes from an Object, not from " + element});
    return records;
  }
  for (const auto& [name, property] : children) {
    if (name != "Property") continue;
    records.push_back({property.get("<xmlattr>.name", ""), property.get("<xmlattr>.category", ""),
                       property.get("<xmlattr>.type", ""), property.get("<xmlattr>.value", "")});
  }
  return records;
}

// Whether the plug-in keeps the Property; a warning says why not, or what slip its value has.
bool kept(const PropertyRecord& record, Warnings& warnings) {
  const std::string skipped = "Property " + record.key + " is skipped by the plug-in: ";
  if (record.category != "attribute") {
    warnings.push_back(
        {"skipped-property", "",
         skipped + "its category is \"" + record.category + "\", not \"attribute\""});
    return false;
  }
  if (!isKnownType(record.type)) {
    warnings.push_back(
        {"skipped-property", "", skipped + "it reads no type \"" + record.type + "\""});
    return false;
  }
  const std::string& value = record.value;
  if (!value.empty() && (isBlank(value.front()) || isBlank(value.back()))) {
    warnings.push_back({"white-space", "",
                        record.key + ": the value \"" + value + "\" has white space at " +
                            (isBlank(value.front()) ? "its start" : "its end")});
  }
  return true;
}

void warnOfNearMisses(const std::vector<PropertyRecord>& kept, Warnings& warnings) {
  for (const PropertyRecord& record : kept) {
    if (isRuleKey(record.key)) continue;
    for (const char* ruleKey : kRuleKeys) {
      if (looksLike(record.key, ruleKey))
        warnings.push_back({"near-key", "", record.key + ": did you mean " + ruleKey + "?"});
    }
  }
}

// A key given more than once, ASCII case ignored, is one whose values the plug-in and a plan's
// manifest could each read differently.
void warnOfRepeats(const std::vector<PropertyRecord>& kept, DescriptionCheck& check) {
  for (auto record = kept.begin(); record != kept.end(); ++record) {
    const auto same = [&](const PropertyRecord& other) { return sameKey(other.key, record->key); };
    if (std::any_of(kept.begin(), record, same)) continue;  // told at its first
    const auto count = std::count_if(record, kept.end(), same);
    if (count < 2) continue;
    check.warnings.push_back({"repeated-key", "",
                              record->key + " is given " + std::to_string(count) +
                                  " times (letter case aside); the plug-in reads one of them"});
    if (isRuleKey(record->key)) check.repeatedRuleKeys.push_back(record->key);
  }
}

// Why text that the plug-in reads (up to a NUL) is no XML for it, before any reader runs; empty
// when a reader may look.
std::string unreadableBeforeReading(const std::string& xml, std::string_view text) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos)
    return text.size() < xml.size() ? "line 1: a NUL byte before any element"
                                    : "line 1: no element";
  if (!withinNestingLimit(text)) {
    return "elements nested deeper than " + std::to_string(kMaxNestingDepth) +
           " levels, the most the plug-in reads";
  }
  return {};
}

// Each rule attribute's value, the later one when given twice, as the plug-in takes it.
void readRuleAttributes(const std::vector<PropertyRecord>& kept, DescriptionCheck& check) {
  for (const char* ruleKey : kRuleKeys) {
    const auto given = [&](const PropertyRecord& record) { return sameKey(record.key, ruleKey); };
    const auto found = std::find_if(kept.rbegin(), kept.rend(), given);
    if (found == kept.rend()) {
      check.warnings.push_back(
          {kMissingAttribute, "",
           "no " + std::string(ruleKey) + " attribute, which the update rules read"});
      continue;
    }
    check.ruleAttributes[ruleKey] = found->value;
    // The rules read a value's bytes as text, which is the text given only for these types.
    if (found->type != "string" && found->type != "vectorOfStrings" && check.twoReadings.empty()) {
      check.twoReadings = found->key + " is of type " + found->type +
                          ", whose value the update rules read as bytes, not as the text \"" +
                          found->value + "\"";
    }
  }
}

}  // namespace

DescriptionCheck checkDescription(const std::string& xml) {
  DescriptionCheck check;
  const std::string_view text(xml.c_str());  // the plug-in reads up to the first NUL
  check.unreadable = unreadableBeforeReading(xml, text);
  if (!check.unreadable.empty()) return check;
  pt::ptree document;
  try {
    std::istringstream stream{std::string(text)};
    pt::read_xml(stream, document);
  } catch (const pt::xml_parser_error& error) {
    check.unreadable = "line " + std::to_string(error.line()) + ": " + error.message();
    return check;
  }
  const std::string repeated = repeatedAttribute(std::string(text));
  if (!repeated.empty()) check.twoReadings = repeated + ", which is not well-formed XML";
  std::vector<PropertyRecord> keptRecords;
  for (PropertyRecord& record : readProperties(document, check.warnings)) {
    if (kept(record, check.warnings)) keptRecords.push_back(std::move(record));
  }
  warnOfNearMisses(keptRecords, check.warnings);
  warnOfRepeats(keptRecords, check);
  readRuleAttributes(keptRecords, check);
  return check;
}

}  // namespace fwhost
