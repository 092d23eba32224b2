// The fiscal receipt as the printer keeps it: state digits, amounts, wrong
// states, voids and adjustments, VAT recapitulation, and the day's counters.
#include <gtest/gtest.h>

#include <functional>

#include "emulator/Money.h"
#include "tests/emulator/EmulatorHost.h"

namespace kestrel::emulator {
namespace {

using testing::FixedOptions;
using testing::Host;

struct StateCase {
  const char* firmware;
  int started, partlyPaid, settled, closed;
};

TEST(EmulatorReceipt, StateDigitFollowsTheReceiptByFirmwareGeneration) {
  const StateCase cases[] = {
      {"2.5.23", 2, 5, 3, 4}, {"2.5.14", 2, 5, 3, 4}, {"2.5.7", 2, 3, 6, 4}, {"3.0.1", 2, 5, 3, 4}};
  for (const StateCase& c : cases) {
    Device device(FixedOptions(c.firmware));
    Host host(device);
    EXPECT_EQ(host.StateDigit(), 4) << c.firmware;
    host.Start();
    host.Sale("1.0000", "10.0000");
    EXPECT_EQ(host.StateDigit(), c.started) << c.firmware;
    host.Pay("4.0000");
    EXPECT_EQ(host.StateDigit(), c.partlyPaid) << c.firmware;
    host.Pay("6.0000");
    EXPECT_EQ(host.StateDigit(), c.settled) << c.firmware;
    host.Close();
    EXPECT_EQ(host.StateDigit(), c.closed) << c.firmware;
  }
}

TEST(EmulatorReceipt, AWholeSaleReportsItsAmountsInTheReplies) {
  Device device(FixedOptions());
  Host host(device);
  EXPECT_EQ(host.Start().Field(0), "1");
  EXPECT_EQ(host.Sale("2.0000", "1.5000", 1, "Ro\x9Eok").Field(0), "3,00");
  EXPECT_EQ(host.Sale("0.3330", "2.9900", 2, "Syr").Field(0), "1,00");  // 0.99567 rounds up
  EXPECT_EQ(host.Send("P08", {"0"}).Field(0), "4,00");
  EXPECT_EQ(host.Send("S01").Field(5), "1");  // the open receipt's number
  EXPECT_EQ(host.Pay("2.0000").Field(0), "2,00");
  EXPECT_EQ(host.Pay("5.0000", "2").Field(0), "-3,00");  // change to give back
  EXPECT_EQ(host.Send("P10").code, 0);
  EXPECT_EQ(host.Send("P11").code, 0);
  EXPECT_EQ(host.Close().code, 0);
  EXPECT_EQ(host.Send("S01").Field(5), "4,00");  // the daily total between receipts

  std::string paper = device.Core().Paper();
  EXPECT_NE(paper.find("Rožok"), std::string::npos);
  EXPECT_NE(paper.find("SPOLU EUR"), std::string::npos);
  EXPECT_NE(paper.find("Výdavok                             3.00"), std::string::npos);
}

struct WrongStateCase {
  const char* name;
  std::function<void(Host&, Device&)> setUp;
  std::string code;
  std::vector<std::string> fields;
  int expected;
};

TEST(EmulatorReceipt, CommandsInTheWrongStateOrWithBadDataGetTheirCodes) {
  auto none = [](Host&, Device&) {};
  auto open = [](Host& h, Device&) { h.Start(); };
  auto withItem = [](Host& h, Device&) {
    h.Start();
    h.Sale("1.0000", "2.0000");
  };
  auto partlyPaid = [](Host& h, Device&) {
    h.Start();
    h.Sale("1.0000", "2.0000");
    h.Pay("1.0000");
  };
  std::string start15 = "202601021030005";
  std::string text = Host::Pad("Tovar");
  const WrongStateCase cases[] = {
      {"item without a receipt", none, "P03", {"1", "ks", "1", "1.0000", "1.0000", text}, 45},
      {"second receipt start", open, "P02", {"0", "0", start15}, 42},
      {"close before payment", withItem, "P12", {"1", "2", std::string(40, ' ')}, 43},
      {"total before payment", withItem, "P10", {}, 43},
      {"VAT table before payment", withItem, "P11", {}, 43},
      {"cancel without a receipt", none, "P12", {"2", "2", std::string(40, ' ')}, 45},
      {"item after a payment", partlyPaid, "P03", {"1", "ks", "1", "1.0000", "1.0000", text}, 48},
      {"payment in an empty receipt", open, "P09", {"1", "1.0000"}, 48},
      {"void of an article not sold", withItem, "P03", {"3", "ks", "1", "1.0000", "9.0000", text}, 71},
      {"void of more than was sold", withItem, "P03", {"3", "ks", "1", "2.0000", "2.0000", text}, 71},
      {"immediate void of nothing", open, "P04", {}, 71},
      {"discount larger than the item", withItem, "P06", {"1", "*  ", "1", "1.0000", "-2.5000", text}, 72},
      {"discount without an item", open, "P06", {"1", "*  ", "1", "1.0000", "-1.0000", text}, 72},
      {"subtotal discount above the total", withItem, "P07", {"-3.0000"}, 72},
      {"VAT group 9", open, "P03", {"1", "ks", "9", "1.0000", "1.0000", text}, 44},
      {"quantity zero", open, "P03", {"1", "ks", "1", "0.0000", "1.0000", text}, 44},
      {"decimal comma in a request", open, "P03", {"1", "ks", "1", "1,0000", "1.0000", text}, 33},
      {"five decimals", open, "P03", {"1", "ks", "1", "1.00000", "1.0000", text}, 33},
      {"missing field", open, "P03", {"1", "ks", "1", "1.0000", "1.0000"}, 33},
      {"cash document inside a receipt", open, "P14", {"10.0000", "x"}, 42},
      {"cash document of zero", none, "P14", {"0.0000", "x"}, 44},
      {"X report inside a receipt", open, "P15", {"1", start15, std::string(40, ' ')}, 42},
      {"receipt start on a day that must be closed",
       [](Host&, Device& d) { d.Command("eod on"); },
       "P02",
       {"0", "0", start15},
       41},
      {"payment form 0", withItem, "P09", {"0", "2.0000"}, 44},
      {"copy of an unknown receipt", none, "P13", {"1", "77"}, 44},
  };
  for (const WrongStateCase& c : cases) {
    Device device(FixedOptions());
    Host host(device);
    c.setUp(host, device);
    EXPECT_EQ(host.Send(c.code, c.fields).code, c.expected) << c.name;
  }
}

TEST(EmulatorReceipt, VoidsAndAdjustmentsChangeTheSubtotal) {
  Device device(FixedOptions());
  Host host(device);
  host.Start();
  host.Sale("3.0000", "2.0000", 1, "Mlieko");
  EXPECT_EQ(host.Send("P06", {"1", "*  ", "1", "1.0000", "-0.5000", Host::Pad("Zlava")}).Field(0), "-0,50");
  EXPECT_EQ(host.Send("P03", {"3", "ks", "1", "1.0000", "2.0000", Host::Pad("Mlieko")}).Field(0), "-2,00");
  // A void line is no item to adjust.
  EXPECT_EQ(host.Send("P06", {"1", "*  ", "1", "1.0000", "-0.1000", Host::Pad("Zlava")}).code, 72);
  host.Sale("1.0000", "7.0000", 2, "Vino");
  EXPECT_EQ(host.Send("P04").Field(0), "-7,00");
  EXPECT_EQ(host.Send("P04").code, 71);  // the same item cannot be voided twice
  EXPECT_EQ(host.Send("P07", {"-0.2500"}).Field(0), "-0,25");
  EXPECT_EQ(host.Send("P08", {"1"}).Field(0), "3,25");
}

TEST(EmulatorReceipt, RefundReceiptIsSettledByPayingTheSumBack) {
  Device device(FixedOptions());
  Host host(device);
  host.Start();
  EXPECT_EQ(host.Send("P03", {"2", "ks", "1", "1.0000", "5.0000", Host::Pad("Vratka")}).Field(0), "-5,00");
  EXPECT_EQ(host.Pay("0.0000").Field(0), "-5,00");
  EXPECT_EQ(host.Close().code, 0);
  EXPECT_EQ(device.Core().DailyTotal(), -500);
}

struct VatCase {
  Cents gross;
  int rate;
  Cents vat;
};

TEST(EmulatorVat, VatOfAGrossAmountRoundsHalfAwayFromZeroToCents) {
  const VatCase cases[] = {{100, 20, 17}, {1000, 20, 167}, {105, 10, 10}, {1, 20, 0},  {3, 20, 1},
                           {-3, 20, -1},  {6, 20, 1},      {550, 10, 50}, {999, 0, 0}, {12345, 5, 588}};
  for (const VatCase& c : cases) {
    EXPECT_EQ(VatOfGross(c.gross, c.rate), c.vat) << c.gross << " at " << c.rate << "%";
  }
}

TEST(EmulatorVat, RecapitulationListsEachGroupWithRateNetAndVat) {
  Device device(FixedOptions());
  Host host(device);
  host.Start();
  host.Sale("1.0000", "12.0000", 1);
  host.Sale("1.0000", "5.5000", 2);
  host.Pay("17.5000");
  testing::HostReply reply = host.Send("P11");
  EXPECT_EQ(reply.fields, (std::vector<std::string>{"17,50", "A20", "10,00", "2,00", "B10", "5,00", "0,50"}));
}

TEST(EmulatorVat, SubtotalDiscountIsSharedAmongGroupsInProportion) {
  Device device(FixedOptions());
  Host host(device);
  host.Start();
  host.Sale("1.0000", "10.0000", 1);
  host.Sale("1.0000", "5.0000", 2);
  host.Send("P07", {"-1.5000"});
  host.Pay("13.5000");
  testing::HostReply reply = host.Send("P11");
  EXPECT_EQ(reply.fields, (std::vector<std::string>{"13,50", "A20", "7,50", "1,50", "B10", "4,09", "0,41"}));
}

TEST(EmulatorVat, SurchargeOnTheLargestReceiptIsSharedExactlyAndItsLimitHolds) {
  // Each share is the adjustment times a group's amount over the total: near
  // the receipt's limit that product no longer fits 64 bits.
  Device device(FixedOptions());
  Host host(device);
  host.Start();
  ASSERT_EQ(host.Sale("50.0000", "999999.9999", 1).code, 0);
  EXPECT_EQ(host.Send("P07", {"50000000.0000"}).code, 44);  // past 99 999 999,99
  testing::HostReply reply = host.Send("P07", {"49999999.0000"});
  EXPECT_EQ(reply.code, 0);
  EXPECT_EQ(reply.Field(0), "49999999,00");
  EXPECT_EQ(host.Pay("99999999.0000").code, 0);
  reply = host.Send("P11");
  ASSERT_FALSE(reply.fields.empty());
  EXPECT_EQ(reply.fields[0], "99999999,00");
}

TEST(EmulatorDay, ClosureResetsTheDayAndTheClockAsksForOneAfter24Hours) {
  std::time_t now = testing::FixedNow();
  PrinterOptions options = FixedOptions();
  options.now = [&now] { return now; };
  Device device(options);
  Host host(device);
  host.Receipt("4.0000");
  host.Receipt("6.0000");
  EXPECT_EQ(host.Send("S01").Field(5), "10,00");
  EXPECT_EQ(device.Core().DocumentsToday(), 2);

  now += 24 * 3600;
  EXPECT_EQ(host.StateDigit(), 1);
  EXPECT_EQ(host.Start().code, 41);
  EXPECT_EQ(host.Send("P15", {"2", "202601031030006", std::string(40, ' ')}).Field(0), "1");
  EXPECT_EQ(host.StateDigit(), 4);
  EXPECT_EQ(host.Send("S01").Field(5), "0,00");
  EXPECT_EQ(host.Send("S08").Field(1), "1");
  EXPECT_EQ(host.Start().Field(0), "1");  // numbering starts again
  EXPECT_NE(device.Core().Paper().find("DENNÁ UZÁVIERKA (Z)"), std::string::npos);
}

TEST(EmulatorDay, TrainingReceiptsLeaveCountersAndJournalAlone) {
  Device device(FixedOptions());
  Host host(device);
  EXPECT_EQ(host.Send("T02", {"2"}).code, 0);
  EXPECT_EQ(host.Send("S01").Field(1), "1");
  host.Receipt("5.0000");
  EXPECT_EQ(device.Core().DailyTotal(), 0);
  EXPECT_EQ(device.Core().Journal().Size(), 0u);
  EXPECT_NE(device.Core().Paper().find("NEPLATNÝ DOKLAD"), std::string::npos);
  host.Send("T02", {"1"});
  host.Receipt("5.0000");
  EXPECT_EQ(device.Core().DailyTotal(), 500);
}

TEST(EmulatorDay, PrintingOffStillJournalsAndCopyReprintsTheLastReceipt) {
  Device device(FixedOptions());
  Host host(device);
  host.Send("T03", {"0"});
  host.Receipt("5.0000");
  EXPECT_EQ(device.Core().Paper(), "");
  EXPECT_GT(device.Core().Journal().Size(), 0u);
  host.Send("T03", {"1"});
  EXPECT_EQ(host.Send("P13", {"1", "0"}).code, 0);
  EXPECT_NE(device.Core().Paper().find("KÓPIA"), std::string::npos);
  EXPECT_NE(device.Core().Paper().find("SPOLU EUR"), std::string::npos);
}

TEST(EmulatorDocuments, CashInvoiceAndReceiptIdQueries) {
  Device device(FixedOptions());
  Host host(device);
  EXPECT_EQ(host.Send("P14", {"-10.0000",
                              "V\xFD"
                              "daj hotovosti EUR   "})
                .code,
            0);
  EXPECT_EQ(host.Send("P24", {"25.0000", "Fakt\xFAra \xE8.F-77"}).code, 0);
  EXPECT_EQ(host.Send("P23", {"2", "25.0000", "Fakt\xFAra \xE8.F-77", "Dakujeme"}).code, 0);
  std::string paper = device.Core().Paper();
  EXPECT_NE(paper.find("Výdaj hotovosti EUR"), std::string::npos);
  EXPECT_NE(paper.find("Faktúra č.F-77"), std::string::npos);

  host.Start("0000000000000123");
  host.Sale("1.0000", "1.0000");
  host.Pay("1.0000");
  host.Close();
  EXPECT_EQ(host.Send("P25", {"0000000000000123"}).code, 0);
  EXPECT_EQ(host.Send("P25", {"0000000000000124"}).code, 44);

  Device old(FixedOptions("2.5.14"));
  Host oldHost(old);
  EXPECT_EQ(oldHost.Send("P24", {"25.0000", "x y"}).code, 35);
  EXPECT_EQ(oldHost.Send("P25", {"0000000000000123"}).code, 35);
}

}  // namespace
}  // namespace kestrel::emulator
