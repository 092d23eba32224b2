// The call table against the service's own header: every interface method is
// there, in the header's order, with as many arguments as the method takes,
// and each call hands its arguments over in the kinds its signature names.
#include "cli/CallTable.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "service/FiscalPrinter.h"
#include "tests/support/TestProfile.h"

namespace kestrel::cli {
namespace {

struct Declared {
  std::string name;
  std::size_t arguments;  // without the result pointer and the event sink
};

// The interface methods as service/FiscalPrinter.h declares them, in order.
std::vector<Declared> DeclaredMethods() {
  std::string header = testing::ReadWholeFile(std::string(KESTREL_SOURCE_DIR) + "/service/FiscalPrinter.h");
  const std::size_t begin = header.find("// ---- Common ----");
  const std::size_t end = header.find(" private:");
  if (begin == std::string::npos || end == std::string::npos) return {};
  header = header.substr(begin, end - begin);
  std::vector<Declared> methods;
  const std::regex declaration(R"((?:int32_t|void)\s+(\w+)\(([^;]*)\);)");
  for (std::sregex_iterator it(header.begin(), header.end(), declaration), last; it != last; ++it) {
    const std::string arguments = (*it)[2];
    std::size_t count = arguments.find_first_not_of(" \n") == std::string::npos ? 0 : 1;
    for (char c : arguments) count += c == ',' ? 1 : 0;
    if (arguments.find("int32_t* result") != std::string::npos) --count;
    if (arguments.find("EventSink*") != std::string::npos) --count;
    methods.push_back({(*it)[1], count});
  }
  return methods;
}

TEST(CallTable, FollowsTheServiceHeaderInOrder) {
  const std::vector<Declared> declared = DeclaredMethods();
  ASSERT_GT(declared.size(), 100u);
  const std::vector<Method>& table = Methods();
  ASSERT_EQ(table.size(), declared.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    EXPECT_EQ(table[i].name, declared[i].name) << "position " << i;
    EXPECT_EQ(table[i].parameters.size(), declared[i].arguments) << table[i].name;
  }
}

TEST(CallTable, SignaturesAreWellFormedAndNamesUnique) {
  std::set<std::string> names;
  for (const MethodEntry& entry : MethodEntries()) {
    std::vector<Parameter> parameters;
    EXPECT_TRUE(ParseSignature(entry.signature, parameters)) << entry.name << ": " << entry.signature;
    EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
  }
}

TEST(CallTable, LooksUpExactlyAndHintsAtLetterCase) {
  ASSERT_NE(FindMethod("PrintRecItem"), nullptr);
  EXPECT_EQ(FindMethod("printrecitem"), nullptr);
  ASSERT_NE(FindMethodIgnoringCase("printrecitem"), nullptr);
  EXPECT_EQ(FindMethodIgnoringCase("printrecitem")->name, "PrintRecItem");
  EXPECT_EQ(FindMethodIgnoringCase("PrintRecItems"), nullptr);
}

TEST(CallTable, UsageNamesWrittenAndPrintedArguments) {
  EXPECT_EQ(FindMethod("GetData")->Usage(), "GetData dataItem optArgs  => optArgs data");
  EXPECT_EQ(FindMethod("ClaimDevice")->Usage(), "ClaimDevice timeout");
  EXPECT_EQ(FindMethod("GetData")->WrittenCount(), 2u);
}

// Every call made once on a service that is opened but not claimed: each
// answers without the printer, and none asks its arguments for a kind that its
// signature does not give.
TEST(CallTable, EveryCallIsWiredToItsSignature) {
  testing::TestProfile profile;
  FiscalPrinter printer;
  for (const Method& method : Methods()) {
    std::vector<Token> words;
    for (const Parameter& parameter : method.parameters) {
      if (IsWritten(parameter.kind)) words.push_back(Token{"0", false});
    }
    CallArgs args;
    std::string error;
    ASSERT_TRUE(args.Bind(method.parameters, words, error)) << method.name << ": " << error;
    method.call(printer, args);
    EXPECT_FALSE(args.Miswired()) << method.name;
  }
}

}  // namespace
}  // namespace kestrel::cli
