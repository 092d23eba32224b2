#include <windows.h>
#include <bcrypt.h>

#include <cstdio>
#include <cstdlib>

#include "cli/serve/Digest.h"

namespace kestrel::serve {

std::string Sha256Hex(const std::string& bytes) {
  unsigned char digest[32] = {};
  // BCryptHash with a pseudo-handle needs Windows 10; the provider is opened per call instead.
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  bool done = false;
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0) {
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0) {
      done = BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                            static_cast<ULONG>(bytes.size()), 0) == 0 &&
             BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
      BCryptDestroyHash(hash);
    }
    BCryptCloseAlgorithmProvider(algorithm, 0);
  }
  if (!done) {
    // Without a true digest two requests could share one record: never go on.
    std::fputs("kestrel serve: the system's SHA-256 failed; stopping\n", stderr);
    std::abort();
  }
  std::string hex;
  char pair[3];
  for (unsigned char byte : digest) {
    std::snprintf(pair, sizeof pair, "%02x", byte);
    hex += pair;
  }
  return hex;
}

}  // namespace kestrel::serve
