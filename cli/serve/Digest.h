#pragma once
// SHA-256 for the server's idempotency records: the digest of a request body
// and the file name of an id. The platform's own implementation does the
// work (OpenSSL's libcrypto on POSIX, CNG on Windows).
#include <string>

namespace kestrel::serve {

// The digest of bytes as 64 lower-case hexadecimal digits. Should the
// platform ever fail to give one, the process stops rather than risk two
// requests sharing one record.
std::string Sha256Hex(const std::string& bytes);

}  // namespace kestrel::serve
