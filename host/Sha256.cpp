#include "host/Sha256.h"

#include <openssl/evp.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>

#include "host/HostError.h"

namespace fwhost {
namespace {

struct FreeContext {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using Context = std::unique_ptr<EVP_MD_CTX, FreeContext>;

Context started() {
  Context context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
    throw std::bad_alloc();
  return context;
}

std::string finished(const Context& context) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_DigestFinal_ex(context.get(), digest, &size);
  std::string hex;
  for (unsigned int i = 0; i < size; ++i) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

}  // namespace

std::string sha256Hex(std::string_view bytes) {
  const Context context = started();
  EVP_DigestUpdate(context.get(), bytes.data(), bytes.size());
  return finished(context);
}

std::string sha256OfFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file)
    throw HostError(ExitCode::input, path.string() + ": cannot read: " + std::strerror(errno));
  const Context context = started();
  char chunk[65536];
  while (file.read(chunk, sizeof chunk) || file.gcount() > 0)
    EVP_DigestUpdate(context.get(), chunk, static_cast<size_t>(file.gcount()));
  if (file.bad())
    throw HostError(ExitCode::input, path.string() + ": cannot read: " + std::strerror(errno));
  return finished(context);
}

}  // namespace fwhost
