// A printer that stops answering costs a text sent in pieces one piece's
// three attempts, not three attempts for every piece. Time is counted at its
// nominal length through the clock seam.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <thread>

#include "tests/reports/ReportsFixture.h"
#include "tools/Clock.h"

namespace kestrel::testing {
namespace {

// Counts the nominal milliseconds the service sleeps; really sleeps a
// hundredth of them.
class NominalClock {
 public:
  NominalClock() {
    Slept().store(0);
    clock::SetSleepHook(&Sleep);
  }
  ~NominalClock() { UseFastSleep(10); }
  double Seconds() const { return static_cast<double>(Slept().load()) / 1000.0; }

 private:
  static std::atomic<long long>& Slept() {
    static std::atomic<long long> slept{0};
    return slept;
  }
  static void Sleep(int ms) {
    if (ms <= 0) return;
    Slept().fetch_add(ms);
    std::this_thread::sleep_for(std::chrono::microseconds(ms * 10));
  }
};

struct SilentCase {
  const char* name;
  std::function<void(FiscalPrinter&)> setUp;  // while the printer still answers
  std::function<void(FiscalPrinter&, int32_t*)> call;
  int pieces;  // P20 requests the printer missed: one piece, three attempts
  bool cut;    // the paper cut (P22) was still asked for
};
void PrintTo(const SilentCase& c, std::ostream* os) { *os << c.name; }

class SilentPrinter : public ReportsTest, public ::testing::WithParamInterface<SilentCase> {};

TEST_P(SilentPrinter, APieceWithoutAnswerEndsTheText) {
  const SilentCase& c = GetParam();
  c.setUp(fp_);
  ASSERT_EQ(Inject("off"), "ok");
  Forget();
  int32_t r = -1;
  NominalClock nominal;
  c.call(fp_, &r);
  const double waited = nominal.Seconds();
  EXPECT_EQ(r, kTimeout);
  EXPECT_EQ(Count("P20"), c.pieces);
  EXPECT_EQ(Count("P22") > 0, c.cut);
  // Three attempts of 10 s for the one piece (the text of many pieces took
  // three attempts for each: fifty minutes for 20 000 characters).
  EXPECT_LE(waited, 3 * 10 + 1.0);
  EXPECT_EQ(ErrorString(), text::kTextNoReply);
}

void Begin(FiscalPrinter& fp) {
  int32_t r = -1;
  fp.BeginNonFiscal(&r);
  ASSERT_EQ(r, kSuccess);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SilentPrinter,
    ::testing::Values(
        SilentCase{"print_normal_20000_characters", Begin,
                   [](FiscalPrinter& fp, int32_t* r) { fp.PrintNormal(2, std::string(20000, 'x').c_str(), r); }, 3,
                   false},
        SilentCase{"rec_message_of_five_pieces",
                   [](FiscalPrinter& fp) {
                     int32_t r = -1;
                     fp.BeginFiscalReceipt(true, &r);
                     ASSERT_EQ(r, kSuccess);
                   },
                   [](FiscalPrinter& fp, int32_t* r) { fp.PrintRecMessage(std::string(1000, 'm').c_str(), r); }, 3,
                   false},
        // The trailer is the last text of the document: no cut after it.
        SilentCase{"end_non_fiscal_with_a_long_trailer",
                   [](FiscalPrinter& fp) {
                     ASSERT_EQ(fp.SetPropertyString(opos::pidx::kAdditionalTrailer, std::string(1000, 't').c_str()),
                               kSuccess);
                     Begin(fp);
                   },
                   [](FiscalPrinter& fp, int32_t* r) { fp.EndNonFiscal(r); }, 3, false}),
    [](const ::testing::TestParamInfo<SilentCase>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kestrel::testing

namespace kestrel::testing {
namespace {

using HeaderRead = ReportsTest;

TEST_F(HeaderRead, ALineThePrinterDoesNotAnswerKeepsTheStoredHeader) {
  ASSERT_EQ(Journal::Instance().UpdateReceiptHeader("STARA HLAVICKA"), kSuccess);
  ASSERT_EQ(Inject("noreply 3 S03"), "ok");
  Forget();
  EXPECT_EQ(UpdateHeader(M()), kTimeout);
  EXPECT_EQ(Count("S03"), 3);  // the first line's three attempts, no more
  char header[64] = {};
  Journal::Instance().GetReceiptHeader(header, sizeof header - 1);
  EXPECT_STREQ(header, "STARA HLAVICKA");
}

}  // namespace
}  // namespace kestrel::testing
