// The rules every request passes before it is served, and the options the
// server refuses to start with.
#include <gtest/gtest.h>

#include "cli/serve/HttpApi.h"
#include "cli/serve/ServeOptions.h"

namespace kestrel::serve {
namespace {

SafetyRules Rules(const std::string& host) {
  SafetyRules rules;
  std::string error;
  EXPECT_TRUE(ParseListen(host + ":8750", rules.address, error)) << error;
  rules.allowOrigins = {"https://pos.example.com"};
  rules.allowHosts = {"kasa-1"};
  return rules;
}

TEST(Safety, HostMustBeThisServer) {
  const SafetyRules loopback = Rules("127.0.0.1");
  const SafetyRules wildcard = Rules("0.0.0.0");
  struct Case {
    const SafetyRules& rules;
    const char* host;
    bool allowed;
  };
  for (const Case& c :
       {Case{loopback, "127.0.0.1:8750", true}, Case{loopback, "localhost:8750", true},
        Case{loopback, "LOCALHOST:8750", true}, Case{loopback, "[::1]:8750", true}, Case{loopback, "kasa-1:8750", true},
        Case{loopback, "127.0.0.1:8751", false}, Case{loopback, "127.0.0.1", false},
        Case{loopback, "evil.example:8750", false}, Case{loopback, "localhost.evil.example:8750", false},
        Case{loopback, "", false}, Case{loopback, "[::1:8750", false}, Case{wildcard, "0.0.0.0:8750", false},
        Case{wildcard, "192.168.1.5:8750", false}, Case{wildcard, "kasa-1:8750", true}}) {
    EXPECT_EQ(HostAllowed(c.rules, 8750, c.host), c.allowed) << c.host;
  }
}

TEST(Safety, OriginIsThePageOrAnAllowedOne) {
  const SafetyRules rules = Rules("127.0.0.1");
  EXPECT_TRUE(OriginAllowed(rules, "127.0.0.1:8750", "http://127.0.0.1:8750"));
  EXPECT_TRUE(OriginAllowed(rules, "127.0.0.1:8750", "https://pos.example.com"));
  EXPECT_FALSE(OriginAllowed(rules, "127.0.0.1:8750", "https://pos.example.com.evil"));
  EXPECT_FALSE(OriginAllowed(rules, "127.0.0.1:8750", "null"));
  EXPECT_FALSE(OriginAllowed(rules, "127.0.0.1:8750", "http://localhost:8750"));
}

TEST(Safety, BodiesAreJsonOnly) {
  EXPECT_TRUE(ContentTypeAllowed("application/json", true));
  EXPECT_TRUE(ContentTypeAllowed("Application/JSON; charset=utf-8", true));
  EXPECT_TRUE(ContentTypeAllowed("", false));
  EXPECT_FALSE(ContentTypeAllowed("", true));
  EXPECT_FALSE(ContentTypeAllowed("text/plain", true));
  EXPECT_FALSE(ContentTypeAllowed("application/x-www-form-urlencoded", false));
  EXPECT_FALSE(ContentTypeAllowed("application/jsonp", true));
}

TEST(Safety, TokenMustMatchWhole) {
  const std::string token = "0123456789abcdef";
  EXPECT_TRUE(TokenAccepted(token, "Bearer 0123456789abcdef"));
  EXPECT_TRUE(TokenAccepted(token, "bearer 0123456789abcdef"));
  EXPECT_FALSE(TokenAccepted(token, "Bearer 0123456789abcdeF"));
  EXPECT_FALSE(TokenAccepted(token, "Bearer 0123456789abcde"));
  EXPECT_FALSE(TokenAccepted(token, "Bearer 0123456789abcdef0"));
  EXPECT_FALSE(TokenAccepted(token, "Basic 0123456789abcdef"));
  EXPECT_FALSE(TokenAccepted(token, ""));
}

TEST(Options, ListenAddresses) {
  struct Case {
    const char* text;
    bool ok;
    const char* host;
    bool loopback;
  };
  for (const Case& c : {Case{"127.0.0.1:8750", true, "127.0.0.1", true}, Case{"localhost:0", true, "127.0.0.1", true},
                        Case{"[::1]:8750", true, "::1", true}, Case{"0.0.0.0:8750", true, "0.0.0.0", false},
                        Case{"192.168.1.5:80", true, "192.168.1.5", false},
                        Case{"127.1.2.3:1", true, "127.1.2.3", true}, Case{"pos.example.com:8750", false, "", false},
                        Case{"127.0.0.1", false, "", false}, Case{"127.0.0.1:65536", false, "", false},
                        Case{"256.0.0.1:80", false, "", false}, Case{"[::1]8750", false, "", false}}) {
    ListenAddress address;
    std::string error;
    EXPECT_EQ(ParseListen(c.text, address, error), c.ok) << c.text;
    if (!c.ok) continue;
    EXPECT_EQ(address.host, c.host);
    EXPECT_EQ(address.loopback, c.loopback) << c.text;
  }
}

TEST(Options, PaymentTable) {
  std::map<std::string, std::string> table;
  std::string error;
  ASSERT_TRUE(ParsePaymentTypes({}, table, error));
  EXPECT_EQ(table.at("card"), "2");
  ASSERT_TRUE(ParsePaymentTypes({"cash=1", "meal-voucher=5"}, table, error));
  EXPECT_EQ(table.size(), 2u);
  for (const char* bad : {"cash", "cash=", "cash=0", "cash=12", "Cash=1", "=1"}) {
    EXPECT_FALSE(ParsePaymentTypes({bad}, table, error)) << bad;
  }
}

}  // namespace
}  // namespace kestrel::serve
