// The plug-in's answer documents read back into values, and the mapping answer as JSON.
#ifndef FWHOST_PLUGIN_ANSWER_H
#define FWHOST_PLUGIN_ANSWER_H

#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace fwhost {

// One Property of an answer document.
struct AnswerProperty {
  std::string name;
  std::string displayName;
  std::string type;
  std::string value;
};

enum class Verdict { current, updateAvailable, contactSupport };

struct MappingAnswer {
  uint32_t status = 0;
  Verdict verdict = Verdict::current;
  std::string source;
  std::string destination;
  std::vector<std::string> packages;  // in flash order
};

// The Properties of the document's root Object, in document order; HostError
// (inconsistentAnswer) naming origin when the document is not XML, or nests deeper than
// kMaxNestingDepth.
std::vector<AnswerProperty> readAnswer(const std::string& document, const std::string& origin);

// HostError (inconsistentAnswer) naming origin when the document lacks a known verdict, gives
// a property twice, names a package twice or one that cannot be a file name (isPackageName),
// or offers an update without packages.
MappingAnswer readMappingAnswer(const std::string& document, const std::string& origin);

// Whether a package of that name can be written as NAME.bin on Linux and Windows alike and
// listed on one line of SHA256SUMS.
bool isPackageName(const std::string& name);

// "no update offered" (the plug-in answers it for every drive it does not update, so it
// vouches for no firmware), "update available", "contact support".
const char* verdictWords(Verdict verdict);

// "current", "update-available" or "contact-support": the plug-in's names for its answers.
const char* verdictName(Verdict verdict);

// {"status", "verdict", "source", "destination", "packages"}; verdict as verdictName says.
nlohmann::ordered_json toJson(const MappingAnswer& answer);

}  // namespace fwhost

#endif
