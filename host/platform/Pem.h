// The first PEM block of a text: its label and its bytes, as both twins of EcdsaKey read keys.
#ifndef FWHOST_PLATFORM_PEM_H
#define FWHOST_PLATFORM_PEM_H

#include <optional>
#include <string>

namespace fwhost {

struct PemBlock {
  std::string label;  // "PRIVATE KEY", "PUBLIC KEY", ...
  std::string der;    // the base64 between its lines, decoded
};

// None when the text holds no block whose END line matches its BEGIN line and whose body is
// base64.
std::optional<PemBlock> firstPemBlock(const std::string& text);

}  // namespace fwhost

#endif
