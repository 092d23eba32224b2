#pragma once
// File names between the tool, the file system and the service. The tool's
// own texts are UTF-8; the service takes and gives names in its code page
// and hands them to the file system as they are (on Windows to its ANSI
// functions, so there they are in the ANSI code page). These turn each form
// into a path and back. FileNames_posix.cpp: the bytes are the name;
// FileNames_win32.cpp: through UTF-16, Windows' own form.
#include <filesystem>
#include <string>

namespace kestrel::cli {

std::filesystem::path PathOfUtf8(const std::string& utf8);
std::string Utf8OfPath(const std::filesystem::path& path);

// A name as the service gives it (a profile value) and as it takes it (the
// file name of QueryContent).
std::filesystem::path PathOfServiceName(const std::string& name);
std::string ServiceNameOfPath(const std::filesystem::path& path);

}  // namespace kestrel::cli
