#include "host/plugin/Answer.h"

#include <sstream>

#include <boost/property_tree/ptree.hpp>
#include <boost/property_tree/xml_parser.hpp>

#include "host/error/HostError.h"
#include "provider/fwprovider.h"

namespace fwhost {
namespace {

std::string valueOf(const std::vector<AnswerProperty>& properties, const std::string& name) {
  for (const AnswerProperty& property : properties) {
    if (property.name == name) return property.value;
  }
  return {};
}

std::vector<std::string> splitPackages(const std::string& joined) {
  std::vector<std::string> packages;
  if (joined.empty()) return packages;
  std::istringstream stream(joined);
  for (std::string name; std::getline(stream, name, '~');) packages.push_back(name);
  return packages;
}

struct VerdictRow {
  uint32_t status;
  Verdict verdict;
  const char* name;
  const char* words;
};

const VerdictRow kVerdicts[] = {
    {FWPROVIDER_VERDICT_CURRENT, Verdict::current, "current", "no update offered"},
    {FWPROVIDER_VERDICT_UPDATE_AVAILABLE, Verdict::updateAvailable, "update-available",
     "update available"},
    {FWPROVIDER_VERDICT_CONTACT_SUPPORT, Verdict::contactSupport, "contact-support",
     "contact support"},
};

const VerdictRow& row(Verdict verdict) {
  for (const VerdictRow& each : kVerdicts) {
    if (each.verdict == verdict) return each;
  }
  return kVerdicts[0];
}

}  // namespace

std::vector<AnswerProperty> readAnswer(const std::string& document, const std::string& origin) {
  namespace pt = boost::property_tree;
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
  const std::string status = valueOf(properties, "Status");
  const VerdictRow* verdict = nullptr;
  for (const VerdictRow& each : kVerdicts) {
    if (status == std::to_string(each.status)) verdict = &each;
  }
  if (verdict == nullptr) {
    throw HostError::inconsistentAnswer(origin, "Status \"" + status + "\" is no verdict");
  }
  MappingAnswer answer;
  answer.status = verdict->status;
  answer.verdict = verdict->verdict;
  answer.source = valueOf(properties, "Source");
  answer.destination = valueOf(properties, "Destination");
  answer.packages = splitPackages(valueOf(properties, "Package"));
  return answer;
}

const char* verdictWords(Verdict verdict) { return row(verdict).words; }

const char* verdictName(Verdict verdict) { return row(verdict).name; }

nlohmann::ordered_json toJson(const MappingAnswer& answer) {
  return {{"status", answer.status},
          {"verdict", verdictName(answer.verdict)},
          {"source", answer.source},
          {"destination", answer.destination},
          {"packages", answer.packages}};
}

}  // namespace fwhost
