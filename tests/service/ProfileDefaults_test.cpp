// The profile table is what the guide and the installer tell people about
// each value; with the value absent, the service must really use the
// default the table gives.
#include <string>

#include "config/ProfileValues.h"
#include "log/Log.h"
#include "serial/RS232.h"
#include "tests/serial/FakeSerialDevice.h"
#include "tests/service/ServiceFixture.h"

namespace kestrel::testing {
namespace {

class ProfileDefaults : public ServiceTest {
 protected:
  void TearDown() override { RS232::SetDeviceFactoryForTests(nullptr); }

  // What the service made of the value; empty for a value this test does
  // not know (a new value needs a line here).
  std::string Observed(const std::string& name) {
    FiscalPrinterTestPeer p = peer();
    if (name == "FreezeEvents") return std::to_string(Number(opos::pidx::kFreezeEvents));
    if (name == "CheckStateDisabled") return std::to_string(p.CheckStateDisabled() ? 1 : 0);
    if (name == "DisplayItemDisabled") return std::to_string(p.DisplayItemDisabled() ? 1 : 0);
    if (name == "LineDisplayRows") return std::to_string(Number(opos::pidx::kDispRows));
    if (name == "SingleCashReceipt") return std::to_string(p.SingleCashReceipt() ? 1 : 0);
    if (name == "V7Protocol") return std::to_string(p.V7Protocol() ? 1 : 0);
    if (name == "LogEnabled") return std::to_string(Log::Instance().Enabled() ? 1 : 0);
    if (name == "LogDays") return std::to_string(Log::Instance().Days());
    if (name == "LogDebug") return std::to_string(Log::Instance().Debug() ? 1 : 0);
    if (name == "Baudrate") return std::to_string(RS232::Instance().AppliedSettings().baudRate);
    return "";
  }
};

TEST_F(ProfileDefaults, AnAbsentValueGivesTheTablesDefault) {
  std::size_t count = 0;
  const ProfileValueInfo* values = ProfileValueTable(&count);
  ASSERT_GT(count, 0u);
  for (std::size_t i = 0; i < count; ++i) {
    if (std::string(values[i].name) != "DataDirectory") profile_.Remove(values[i].name);
  }
  profile_.Set("Port", "COM7");  // to claim the (fake) port, which applies the line settings
  std::shared_ptr<FakeLine> line = InstallFakeLine();
  ASSERT_EQ(Open(), 0);
  int32_t result = -1;
  ASSERT_EQ(fp_.ClaimDevice(0, &result), 0);
  for (std::size_t i = 0; i < count; ++i) {
    if (values[i].absentDefault == nullptr) continue;
    EXPECT_EQ(Observed(values[i].name), values[i].absentDefault) << values[i].name;
  }
}

}  // namespace
}  // namespace kestrel::testing
