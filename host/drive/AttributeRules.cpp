#include "host/drive/AttributeRules.h"

#include <nlohmann/json.hpp>

#include "host/drive/DriveInput.h"
#include "host/error/HostError.h"

namespace fwhost {
namespace {

using nlohmann::json;

const char* const kIdentityKeys[] = {"ModelNumber", "SerialNumber", "Firmware"};

AttributeRule readRule(const json& entry) {
  const auto refuse = [](const std::string& what) { throw HostError::invalidInput("", what); };
  if (!entry.is_object() || !entry.contains("set") || !entry.at("set").is_object()) {
    refuse("is no object with a \"set\" object");
  }
  AttributeRule rule;
  const json match = entry.value("match", json::object());
  if (!match.is_object()) refuse("match is no object");
  for (const auto& [key, glob] : match.items()) {
    if (!glob.is_string()) refuse("match " + key + " is no text");
    if (key == "ModelNumber") {
      rule.modelGlob = glob;
    } else if (key == "SerialNumber") {
      rule.serialGlob = glob;
    } else {
      refuse("match " + key + ": only ModelNumber and SerialNumber are matched");
    }
  }
  for (const auto& [key, value] : entry.at("set").items()) {
    if (!value.is_string() || key.find('=') != std::string::npos) {
      refuse("set " + key + ": expected \"Key\" or \"Key:type\" and a text value");
    }
    rule.attributes.set(key + "=" + value.get<std::string>());
  }
  if (const char* key = identityKeyIn(rule.attributes)) {
    refuse("set " + std::string(key) + ": the drive reports it itself");
  }
  return rule;
}

}  // namespace

std::vector<AttributeRule> readAttributeRules(const std::string& path) {
  json document;
  try {
    document = json::parse(readInput(path));
  } catch (const json::parse_error& error) {
    // what() opens with the library's own tag, then the reason with line and column.
    const std::string reason = error.what();
    throw HostError::invalidInput(path, "not JSON: " + reason.substr(reason.find(']') + 2) +
                                            " (byte " + std::to_string(error.byte) + ")");
  }
  if (!document.is_array()) throw HostError::invalidInput(path, "expected a list of rules");
  std::vector<AttributeRule> rules;
  for (size_t i = 0; i < document.size(); ++i) {
    try {
      rules.push_back(readRule(document[i]));
    } catch (const HostError& error) {
      // A malformed setting is the file's fault here, not the command line's.
      throw HostError::invalidInput(path + ": rule " + std::to_string(i + 1), error.what());
    }
  }
  return rules;
}

const AttributeRule* findRule(const std::vector<AttributeRule>& rules, std::string_view model,
                              std::string_view serial) {
  for (const AttributeRule& rule : rules) {
    if (globMatches(rule.modelGlob, model) && globMatches(rule.serialGlob, serial)) return &rule;
  }
  return nullptr;
}

bool globMatches(std::string_view glob, std::string_view text) {
  // On a mismatch after a *, that * takes one more character and matching resumes.
  size_t g = 0, t = 0, star = std::string_view::npos, resume = 0;
  while (t < text.size()) {
    if (g < glob.size() && glob[g] == '*') {
      star = g++;
      resume = t;
    } else if (g < glob.size() && (glob[g] == '?' || glob[g] == text[t])) {
      ++g, ++t;
    } else if (star != std::string_view::npos) {
      g = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (g < glob.size() && glob[g] == '*') ++g;
  return g == glob.size();
}

const char* identityKeyIn(const DriveDescription& description) {
  for (const char* key : kIdentityKeys) {
    if (description.has(key)) return key;
  }
  return nullptr;
}

}  // namespace fwhost
