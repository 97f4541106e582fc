// SHA-256 fed in pieces, from the system's own cryptography: libcrypto, or CNG on Windows.
// One twin per platform; std::bad_alloc, or HostError (internal) when the library fails.
#ifndef FWHOST_PLATFORM_SHA256ENGINE_H
#define FWHOST_PLATFORM_SHA256ENGINE_H

#include <array>
#include <memory>
#include <string_view>

namespace fwhost {

class Sha256Engine {
 public:
  using Digest = std::array<unsigned char, 32>;

  Sha256Engine();
  ~Sha256Engine();
  Sha256Engine(const Sha256Engine&) = delete;
  Sha256Engine& operator=(const Sha256Engine&) = delete;

  void add(std::string_view bytes);
  // Ends the hashing; add may not be called after it.
  Digest finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace fwhost

#endif
