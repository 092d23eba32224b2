#include "cli/FileNames.h"

namespace kestrel::cli {

std::filesystem::path PathOfUtf8(const std::string& utf8) { return std::filesystem::path(utf8); }

std::string Utf8OfPath(const std::filesystem::path& path) { return path.string(); }

std::filesystem::path PathOfServiceName(const std::string& name) { return std::filesystem::path(name); }

std::string ServiceNameOfPath(const std::filesystem::path& path) { return path.string(); }

}  // namespace kestrel::cli
