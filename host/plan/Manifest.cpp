#include "host/plan/Manifest.h"

#include <ctime>
#include <set>

#include "host/error/HostError.h"
#include "host/output/JsonValues.h"
#include "host/plugin/Answer.h"

namespace fwhost {
namespace {

enum class Type { text, textOrNull, wholeNumber, object, list };

struct Field {
  const char* pointer;
  Type type;
};

// Every field plan writes, with the one type it writes it with.
const Field kManifestFields[] = {
    {"/schema_version", Type::wholeNumber},
    {"/fwhost", Type::text},
    {"/created", Type::text},
    {"/plugin", Type::object},
    {"/plugin/path", Type::text},
    {"/plugin/sha256", Type::text},
    {"/plugin/version", Type::textOrNull},
    {"/drive", Type::object},
    {"/drive/model", Type::textOrNull},
    {"/drive/serial", Type::textOrNull},
    {"/drive/firmware", Type::textOrNull},
    {"/vendor_attributes", Type::object},
    {"/mapping", Type::object},
    {"/mapping/status", Type::wholeNumber},
    {"/mapping/verdict", Type::text},
    {"/mapping/source", Type::text},
    {"/mapping/destination", Type::text},
    {"/mapping/packages", Type::list},
    {"/package_files", Type::list},
};
const Field kFileFields[] = {
    {"/order", Type::wholeNumber}, {"/name", Type::text},   {"/file", Type::text},
    {"/size", Type::wholeNumber},  {"/sha256", Type::text},
};

// The rule keys the plug-in reads that come from the operator, not from the drive.
const char* const kVendorKeys[] = {"Product", "OEM", "ConfigID"};

bool hasType(const Json& value, Type type) {
  switch (type) {
    case Type::text:
      return value.is_string();
    case Type::textOrNull:
      return value.is_string() || value.is_null();
    case Type::wholeNumber:
      return value.is_number_unsigned();
    case Type::object:
      return value.is_object();
    case Type::list:
      return value.is_array();
  }
  return false;
}

const char* typeWords(Type type) {
  const char* const words[] = {"text", "text or null", "a whole number", "an object", "a list"};
  return words[static_cast<int>(type)];
}

// Each field there with its type; a mismatch names the field as a path below the manifest.
template <size_t N>
void checkFields(const Json& document, const Field (&fields)[N], const std::string& path,
                 const std::string& prefix) {
  for (const Field& field : fields) {
    const Json::json_pointer pointer(field.pointer);
    if (!document.contains(pointer) || !hasType(document[pointer], field.type)) {
      throw HostError::mismatch(path,
                                prefix + (field.pointer + 1) + " is not " + typeWords(field.type));
    }
  }
}

Json orNull(const std::map<std::string, std::string>& values, const char* key) {
  const auto found = values.find(key);
  return found == values.end() ? Json(nullptr) : Json(found->second);
}

std::string utcNow() {
  const std::time_t now = std::time(nullptr);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
  return text;
}

ListedFile listedFile(const Json& entry, size_t i, const std::string& path) {
  const std::string at = "package_files/" + std::to_string(i);
  if (!entry.is_object()) throw HostError::mismatch(path, at + " is not an object");
  checkFields(entry, kFileFields, path, at + "/");
  const std::string name = entry["name"], file = entry["file"];
  if (entry["order"] != i + 1 || !isPackageName(name) || file != name + ".bin") {
    throw HostError::mismatch(path, at + " is not listed as plan lists a package (order " +
                                        std::to_string(i + 1) + ", file NAME.bin)");
  }
  return {name, file, entry["size"], entry["sha256"]};
}

// The document, refused when it is no JSON (trailing data too) or repeats a key in any object:
// the parser would keep one of its values, another reader the other.
Json strictlyParsed(const std::string& text, const std::string& path) {
  std::vector<std::set<std::string>> keys;  // of each object open at the point parsed
  std::string repeated;
  const Json::parser_callback_t noteKeys = [&](int, Json::parse_event_t event, Json& parsed) {
    if (event == Json::parse_event_t::object_start) keys.emplace_back();
    if (event == Json::parse_event_t::object_end) keys.pop_back();
    if (event == Json::parse_event_t::key &&
        !keys.back().insert(parsed.get<std::string>()).second && repeated.empty()) {
      repeated = parsed.get<std::string>();
    }
    return true;
  };
  Json document;
  try {
    document = Json::parse(text, noteKeys);
  } catch (const Json::parse_error& error) {
    throw HostError::mismatch(path, std::string("not JSON: ") + error.what());
  }
  if (!repeated.empty()) throw HostError::mismatch(path, "gives \"" + repeated + "\" twice");
  return document;
}

}  // namespace

Json manifestHead(const PluginFile& plugin, const MappedDrive& mapped) {
  const auto& attributes = mapped.ruleAttributes;
  Json vendor = Json::object();
  for (const char* key : kVendorKeys) {
    if (attributes.count(key) > 0) vendor[key] = attributes.at(key);
  }
  return {{"schema_version", kSchemaVersion},
          {"fwhost", FWHOST_VERSION},
          {"created", ""},
          {"plugin", toJson(plugin)},
          {"drive",
           {{"model", orNull(attributes, "ModelNumber")},
            {"serial", orNull(attributes, "SerialNumber")},
            {"firmware", orNull(attributes, "Firmware")}}},
          {"vendor_attributes", vendor},
          {"mapping", toJson(mapped.answer)},
          {"package_files", Json::array()}};
}

std::string manifestText(Json head, const std::vector<ListedFile>& files) {
  head["created"] = utcNow();
  for (const ListedFile& file : files) {
    head["package_files"].push_back({{"order", head["package_files"].size() + 1},
                                     {"name", file.name},
                                     {"file", file.file},
                                     {"size", file.size},
                                     {"sha256", file.sha256}});
  }
  return head.dump(2) + '\n';
}

bool sameManifest(const std::string& existing, const std::string& planned) {
  const Json found = Json::parse(existing, nullptr, false);
  Json ours = Json::parse(planned);
  for (const char* field : {"/created", "/plugin/path"}) {
    const Json::json_pointer pointer(field);
    if (found.is_object() && found.contains(pointer)) ours[pointer] = found[pointer];
  }
  return found == ours;
}

std::vector<ListedFile> readManifest(const std::string& text, const std::string& path) {
  const Json manifest = strictlyParsed(text, path);
  if (!manifest.is_object()) throw HostError::mismatch(path, "not a plan's manifest");
  if (manifest.contains("schema_version") && manifest["schema_version"] != kSchemaVersion) {
    throw HostError::mismatch(path, "schema_version " + manifest["schema_version"].dump() +
                                        " is not the " + std::to_string(kSchemaVersion) +
                                        " this fwhost reads");
  }
  checkFields(manifest, kManifestFields, path, "");
  const Json& mapping = manifest["mapping"];
  if (mapping["verdict"] != verdictToken(Verdict::updateAvailable) ||
      mapping["status"] != statusOf(Verdict::updateAvailable))
    throw HostError::mismatch(path, "its verdict is no update, for which no plan is made");
  const Json& entries = manifest["package_files"];
  if (entries.empty()) throw HostError::mismatch(path, "lists no package");
  std::vector<ListedFile> files;
  std::set<std::string> seen;
  Json names = Json::array();
  for (size_t i = 0; i < entries.size(); ++i) {
    files.push_back(listedFile(entries[i], i, path));
    if (!seen.insert(files.back().file).second)
      throw HostError::mismatch(path, "lists " + files.back().file + " twice");
    names.push_back(files.back().name);
  }
  if (mapping["packages"] != names)
    throw HostError::mismatch(path, "mapping/packages is not the list of package_files");
  return files;
}

}  // namespace fwhost
