#include <openssl/evp.h>

#include <cstdio>
#include <cstdlib>

#include "cli/serve/Digest.h"

namespace kestrel::serve {

std::string Sha256Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1 || length != 32) {
    // Without a true digest two requests could share one record: never go on.
    std::fputs("kestrel serve: the system's SHA-256 failed; stopping\n", stderr);
    std::abort();
  }
  std::string hex;
  hex.reserve(2 * length);
  char pair[3];
  for (unsigned int i = 0; i < length; ++i) {
    std::snprintf(pair, sizeof pair, "%02x", digest[i]);
    hex += pair;
  }
  return hex;
}

}  // namespace kestrel::serve
