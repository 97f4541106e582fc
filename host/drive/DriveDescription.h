// A drive description built from Key=Value settings and written as the XML a plug-in reads.
#ifndef FWHOST_DRIVE_DRIVEDESCRIPTION_H
#define FWHOST_DRIVE_DRIVEDESCRIPTION_H

#include <string>
#include <string_view>
#include <vector>

namespace fwhost {

// True for the value types the plug-in reads; a Property of any other type it skips silently.
bool isKnownType(const std::string& type);

class DriveDescription {
 public:
  // Adds the attribute, or replaces the one with the same key; the type is one the plug-in reads.
  void set(const std::string& key, const std::string& type, const std::string& value);

  // "Key=Value" (a string) or "Key:type=Value"; HostError (usage) when malformed.
  void set(const std::string& setting);

  bool empty() const { return attributes_.empty(); }

  // Whether an attribute has this key, ignoring ASCII case as the plug-in does.
  bool has(const std::string& key) const;

  // The document: an attribute-list Object with one Property per attribute, in the order set.
  std::string xml() const;

 private:
  struct Attribute {
    std::string key;
    std::string type;
    std::string value;
  };
  std::vector<Attribute> attributes_;
};

// Whether the plug-in reads the two keys as one: it folds ASCII letters only, whatever the locale.
bool sameKey(std::string_view a, std::string_view b);

}  // namespace fwhost

#endif
