// The script line reader: words, quotes and escapes, skipped lines, and the
// lines it must refuse (each with the column of the fault).
#include "cli/ScriptLine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace kestrel::cli {
namespace {

struct GoodLine {
  std::string name;  // the test's name
  std::string line;
  std::string method;
  std::vector<std::string> args;
};

// Test names show what each case is about.
void PrintTo(const GoodLine& c, std::ostream* os) { *os << c.name; }

class ScriptLineGood : public ::testing::TestWithParam<GoodLine> {};

TEST_P(ScriptLineGood, SplitsIntoMethodAndWords) {
  const ParsedLine parsed = ParseLine(GetParam().line);
  ASSERT_EQ(parsed.kind, LineKind::kCall) << parsed.error;
  EXPECT_EQ(parsed.method, GetParam().method);
  std::vector<std::string> words;
  for (const Token& token : parsed.args) words.push_back(token.text);
  EXPECT_EQ(words, GetParam().args);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScriptLineGood,
    ::testing::Values(
        GoodLine{"NoArguments", "CloseService", "CloseService", {}},
        GoodLine{"BlanksAroundWords", "  ClaimDevice   1000  ", "ClaimDevice", {"1000"}},
        GoodLine{"TabsAndQuotedText",
                 "PrintRecItem\t\"Rožok biely\"\t6000 40000 1 1500 ks",
                 "PrintRecItem",
                 {"Rožok biely", "6000", "40000", "1", "1500", "ks"}},
        GoodLine{"EscapesInQuotes", R"(PrintRecMessage "say \"hi\" \\ bye")", "PrintRecMessage", {R"(say "hi" \ bye)"}},
        GoodLine{"EmptyQuotedText", R"(SetHeaderLine 1 "" 0)", "SetHeaderLine", {"1", "", "0"}},
        // A backslash outside quotes is an ordinary character (paths).
        GoodLine{"BackslashOutsideQuotes",
                 R"(QueryContent C:\data\jrn.txt "" "")",
                 "QueryContent",
                 {R"(C:\data\jrn.txt)", "", ""}},
        // '#' only starts a comment at the start of a line.
        GoodLine{"HashInsideALine", "PrintRecMessage #1", "PrintRecMessage", {"#1"}},
        // A file written on Windows.
        GoodLine{"WindowsLineEnd", "ReleaseDevice\r", "ReleaseDevice", {}},
        GoodLine{"TabsAndWindowsLineEnd", "SetPOSID \"a\"\t\"b\"\r", "SetPOSID", {"a", "b"}}),
    [](const ::testing::TestParamInfo<GoodLine>& c) { return c.param.name; });

TEST(ScriptLine, SkipsBlankAndCommentLines) {
  for (const char* line : {"", "   ", "\t", "\r", "# a comment", "   # indented comment", "#OpenService x y"}) {
    EXPECT_EQ(ParseLine(line).kind, LineKind::kSkip) << '"' << line << '"';
  }
}

TEST(ScriptLine, QuotedWordsAreMarked) {
  const ParsedLine parsed = ParseLine(R"(DirectIO 152 "0" 0)");
  ASSERT_EQ(parsed.kind, LineKind::kCall);
  EXPECT_FALSE(parsed.args[0].quoted);
  EXPECT_TRUE(parsed.args[1].quoted);
}

struct BadLine {
  std::string name;
  std::string line;
  std::string reason;  // part of the message, with the column
};

void PrintTo(const BadLine& c, std::ostream* os) { *os << c.name; }

class ScriptLineBad : public ::testing::TestWithParam<BadLine> {};

TEST_P(ScriptLineBad, IsRefusedWithItsColumn) {
  const ParsedLine parsed = ParseLine(GetParam().line);
  ASSERT_EQ(parsed.kind, LineKind::kError);
  EXPECT_NE(parsed.error.find(GetParam().reason), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScriptLineBad,
    ::testing::Values(BadLine{"UnclosedQuote", R"(PrintRecMessage "open)", "not closed (column 17)"},
                      BadLine{"BackslashAtTheEnd", R"(PrintRecMessage "ends in backslash\)", "not closed"},
                      BadLine{"UnknownEscape", R"(PrintRecMessage "a\nb")",
                              "unknown escape in a quoted text (only \\\" and \\\\ are known) (column 19)"},
                      BadLine{"TextAfterClosingQuote", R"(PrintRecMessage "ab"cd)",
                              "a blank must follow the closing quote (column 21)"},
                      BadLine{"QuoteInsideWord", R"(PrintRecMessage ab"cd)",
                              "a quote inside a word (quote the whole text) (column 19)"},
                      // Columns count characters, not bytes.
                      BadLine{"ControlCharacter", "PrintRecMessage \"Žiť\x01\"", "control character 0x01 (column 21)"},
                      BadLine{"InvalidUtf8", "PrintRecMessage \"\xC3\x28\"", "not valid UTF-8 (column 18)"},
                      BadLine{"Surrogate", "PrintRecMessage \"\xED\xA0\x80\"", "not valid UTF-8"},  // a surrogate
                      BadLine{"OverlongForm", "PrintRecMessage \"\xC0\xAF\"", "not valid UTF-8"},   // overlong '/'
                      BadLine{"QuotedMethodName", R"("OpenService" a b)", "starts with a method name (column 1)"},
                      BadLine{"PunctuationInMethodName", "  Open-Service a b", "starts with a method name (column 3)"}),
    [](const ::testing::TestParamInfo<BadLine>& c) { return c.param.name; });

TEST(Utf8, AcceptsEveryLengthUpToTheLastCodePoint) {
  EXPECT_TRUE(IsValidUtf8("a\xC5\xBE\xE2\x82\xAC\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"));
  std::size_t bad = 0;
  EXPECT_FALSE(IsValidUtf8("ab\xF4\x90\x80\x80", &bad));  // above U+10FFFF
  EXPECT_EQ(bad, 2u);
  EXPECT_FALSE(IsValidUtf8("\xE2\x82", &bad));  // cut short
  EXPECT_EQ(bad, 0u);
}

}  // namespace
}  // namespace kestrel::cli
