// The guide's generated sections: replaced in place, everything around them
// kept byte for byte, and every way a marker can be wrong reported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "docs/generator/GuideTables.h"

namespace kestrel::guide {
namespace {

const std::map<std::string, std::string> kSections = {{"a", "| new a |\n"}, {"b", "| new b |\n"}};

std::string Section(const std::string& name, const std::string& body) {
  return "<!-- BEGIN GENERATED " + name + " -->\n" + body + "<!-- END GENERATED " + name + " -->\n";
}

TEST(GuideSections, AreReplacedAndTheRestKept) {
  const std::string guide = "# Guide\n\nText before.\n" + Section("a", "| old |\n| rows |\n") + "\nBetween.\n" +
                            Section("b", "") + "After, with no newline";
  std::vector<std::string> problems;
  const std::string updated = WithSections(guide, kSections, &problems);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ("# Guide\n\nText before.\n" + Section("a", "| new a |\n") + "\nBetween.\n" + Section("b", "| new b |\n") +
                "After, with no newline",
            updated);
  std::vector<std::string> again;
  EXPECT_EQ(updated, WithSections(updated, kSections, &again)) << "a second run changes nothing";
}

TEST(GuideSections, MarkerFaultsAreReported) {
  struct Case {
    std::string guide;
    std::string problem;
  };
  const std::vector<Case> cases = {
      {Section("a", ""), "the guide has no section b"},
      {Section("a", "") + Section("b", "") + Section("c", "x\n"), "no generated section is called c"},
      {Section("a", "") + "<!-- BEGIN GENERATED b -->\nno end\n", "section b has no <!-- END GENERATED b -->"},
      {Section("a", "") + "<!-- BEGIN GENERATED b", "an unfinished BEGIN GENERATED marker"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> problems;
    WithSections(c.guide, kSections, &problems);
    bool found = false;
    for (const std::string& p : problems) found = found || p == c.problem;
    EXPECT_TRUE(found) << c.problem;
  }
}

TEST(GeneratedSections, CarryTheSlovakTextsAsUtf8) {
  const std::map<std::string, std::string> sections = GeneratedSections();
  ASSERT_EQ(4u, sections.size());
  EXPECT_NE(std::string::npos, sections.at("service-texts").find("Tlačiareň neodpovedá"));
  EXPECT_NE(std::string::npos, sections.at("reply-codes").find("| 63 | 114 / 302 | Žurnál je plný |"));
  EXPECT_NE(std::string::npos, sections.at("profile-values").find("`C:\\ProgramData\\Kestrel`"));
}

}  // namespace
}  // namespace kestrel::guide
