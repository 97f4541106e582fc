#include "host/plugin/Answer.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <sstream>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "host/drive/NestingLimit.h"
#include "host/error/HostError.h"

namespace fwhost {
namespace {

// The value of the one property of that name; an answer that gives it twice has two meanings.
std::string valueOf(const std::vector<AnswerProperty>& properties, const std::string& name,
                    const std::string& origin) {
  const auto named = [&](const AnswerProperty& property) { return property.name == name; };
  const auto found = std::find_if(properties.begin(), properties.end(), named);
  if (found == properties.end()) return {};
  if (std::any_of(found + 1, properties.end(), named))
    throw HostError::inconsistentAnswer(origin, "gives " + name + " twice");
  return found->value;
}

std::string asciiUpper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

// Each package becomes a file of that name and a line of SHA256SUMS, and is fetched once. Two
// names that differ in letter case alone are one file on Windows and on FAT and exFAT sticks.
std::vector<std::string> splitPackages(const std::string& joined, const std::string& origin) {
  std::vector<std::string> packages;
  if (joined.empty()) return packages;
  std::istringstream stream(joined);
  std::map<std::string, std::string> seen;  // by the name in upper case
  for (std::string name; std::getline(stream, name, '~');) {
    if (!isPackageName(name))
      throw HostError::inconsistentAnswer(origin, "package \"" + name + "\" cannot be a file name");
    const auto [first, added] = seen.emplace(asciiUpper(name), name);
    if (!added && first->second == name)
      throw HostError::inconsistentAnswer(origin, "names package " + name + " twice");
    if (!added) {
      throw HostError::inconsistentAnswer(
          origin, "names packages " + first->second + " and " + name +
                      ", one file where letter case does not count (Windows, FAT, exFAT)");
    }
    packages.push_back(name);
  }
  return packages;
}

// Windows opens a device, not a file, for these names in any letter case and with any
// extension.
bool isDeviceName(const std::string& name) {
  std::string base = asciiUpper(name.substr(0, name.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
    if (base == device) return true;
  }
  if (base.rfind("COM", 0) != 0 && base.rfind("LPT", 0) != 0) return false;
  const std::string number = base.substr(3);
  // Digits 1-9, and the superscripts one, two and three that Windows counts as digits too.
  return (number.size() == 1 && number[0] >= '1' && number[0] <= '9') || number == "\xc2\xb9" ||
         number == "\xc2\xb2" || number == "\xc2\xb3";
}

}  // namespace

std::vector<AnswerProperty> readAnswer(const std::string& document, const std::string& origin) {
  namespace pt = boost::property_tree;
  if (!withinNestingLimit(document)) {
    throw HostError::unreadableAnswer(
        origin, "nested deeper than " + std::to_string(kMaxNestingDepth) + " levels");
  }
  pt::ptree tree;
  try {
    std::istringstream stream(document);
    pt::read_xml(stream, tree);
  } catch (const pt::xml_parser_error& error) {
    throw HostError::unreadableAnswer(origin, error.message());
  }
  std::vector<AnswerProperty> properties;
  const auto object = tree.get_child_optional("Object");
  if (!object) return properties;
  for (const auto& [name, child] : *object) {
    if (name != "Property") continue;
    properties.push_back({child.get("<xmlattr>.name", ""), child.get("<xmlattr>.displayName", ""),
                          child.get("<xmlattr>.type", ""), child.get("<xmlattr>.value", "")});
  }
  return properties;
}

MappingAnswer readMappingAnswer(const std::string& document, const std::string& origin) {
  const auto properties = readAnswer(document, origin);
  const std::string status = valueOf(properties, "Status", origin);
  MappingAnswer answer;
  const bool known = status.size() == 2 && std::all_of(status.begin(), status.end(), ::isdigit) &&
                     verdictOfStatus(static_cast<uint32_t>(std::stoul(status)), answer.verdict);
  if (!known)
    throw HostError::inconsistentAnswer(origin, "Status \"" + status + "\" is no verdict");
  answer.status = statusOf(answer.verdict);
  answer.source = valueOf(properties, "Source", origin);
  answer.destination = valueOf(properties, "Destination", origin);
  answer.packages = splitPackages(valueOf(properties, "Package", origin), origin);
  if (answer.verdict == Verdict::updateAvailable && answer.packages.empty())
    throw HostError::inconsistentAnswer(origin, "an update without packages");
  return answer;
}

bool isPackageName(const std::string& name) {
  // NAME.bin within the 255 bytes of a Linux file name (and as many UTF-16 units on Windows);
  // what Windows refuses in a name is refused on both, so that plans move between them, and
  // a control character would break a line of SHA256SUMS. A trailing dot also rules out . and ..
  constexpr size_t kMaxName = 255 - 4;
  const auto refused = [](unsigned char c) {
    return c < 0x20 || c == 0x7f || std::strchr("/\\:*?\"<>|", c) != nullptr;
  };
  return !name.empty() && name.size() <= kMaxName && name.back() != '.' && name.back() != ' ' &&
         std::none_of(name.begin(), name.end(), refused) && !isDeviceName(name);
}

}  // namespace fwhost
