#pragma once
// The tables of the integrator's guide that come from the code's own tables:
// result codes, the printer's reply codes with their Slovak texts, the
// service's own Slovak texts and the profile values with their defaults.
// The guide marks each one with
//   <!-- BEGIN GENERATED name -->  ...  <!-- END GENERATED name -->
// and kestrel-guide-tables rewrites what lies between.
#include <map>
#include <string>
#include <vector>

namespace kestrel::guide {

// Section name to its Markdown text (ending in a newline).
std::map<std::string, std::string> GeneratedSections();

// The guide with every marked section replaced by its generated text.
// Problems (a section not marked, a marker without its end, an unknown
// name) are listed; the text is then returned unchanged where they are.
std::string WithSections(const std::string& guide, const std::map<std::string, std::string>& sections,
                         std::vector<std::string>* problems);

}  // namespace kestrel::guide
