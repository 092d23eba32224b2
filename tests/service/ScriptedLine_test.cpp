// The service over a scripted line: each request takes the next answer the
// test wrote, so that replies no printer of ours would give (a stored rate
// of the wrong width) can be played exactly.
#include <algorithm>

#include "tests/protocol/ProtocolFixture.h"
#include "tests/service/ServiceFixture.h"

namespace kestrel::testing {
namespace {

class ScriptedService : public ProtocolFixture {
 protected:
  void SetUp() override {
    ProtocolFixture::SetUp();
    MessagingTestPeer::SetFirmware(m, 2, 23);
    int32_t result = -1;
    fp_.OpenService("FiscalPrinter", "Kestrel", nullptr, &result);
    ASSERT_EQ(result, kSuccess);
    // Claimed and enabled without the enabling's own exchanges.
    FiscalPrinterTestPeer(fp_).SetDeviceFlags(true, true, true);
  }

  FiscalPrinter fp_;
};

// A rate read back that is not two digits is no rate to send again.
TEST_F(ScriptedService, AVatRateReadOutOfRangeSendsNothing) {
  int32_t r = -1;
  fp_.SetVatValue(1, "20", &r);
  ASSERT_EQ(r, kSuccess);
  for (const char* stored : {"5", "100", "2a", ""}) {
    SCOPED_TRACE(stored);
    line->writes.clear();
    Script({Reply(0, {"10"}), Reply(0, {stored})});
    fp_.SetVatTable(&r);
    EXPECT_EQ(r, kFailure);
    const std::vector<std::string> codes = SentCodes();
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "F01"), 0);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), "S03"), 2);
    script.clear();
  }
}

}  // namespace
}  // namespace kestrel::testing
