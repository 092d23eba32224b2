// Every Slovak text is stored as the windows-1250 form of its UTF-8 original.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/tools/IconvText.h"
#include "tests/tools/TextCases.h"
#include "tools/Tools.h"

namespace kestrel::testing {
namespace {

TEST(SlovakTexts, StoredBytesAreTheCp1250FormOfTheOriginal) {
  for (const TextCase& c : kTextCases) {
    SCOPED_TRACE(c.name);
    std::string expected;
    ASSERT_TRUE(IconvConvert("UTF-8", "CP1250", c.utf8, expected));
    EXPECT_EQ(expected, std::string(c.stored));
    EXPECT_EQ(expected, Tools::Utf8ToCp1250(c.utf8));
    EXPECT_EQ(std::string(c.utf8), Tools::Cp1250ToUtf8(c.stored));
    // An error text must fit the 100-character error string.
    EXPECT_LE(std::strlen(c.stored), 100u);
  }
}

}  // namespace
}  // namespace kestrel::testing
