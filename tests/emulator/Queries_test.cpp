// Data queries, parameters, the clock and the customer display.
#include <gtest/gtest.h>

#include "tests/emulator/EmulatorHost.h"

namespace kestrel::emulator {
namespace {

using testing::FixedOptions;
using testing::Host;

struct QueryCase {
  std::string code;
  std::vector<std::string> fields;
  int replyCode;
  std::size_t field;
  std::string value;
};

TEST(EmulatorQueries, FiscalAndOperatingDataAnswerWhatTheServiceReads) {
  const QueryCase cases[] = {
      {"S08", {}, 0, 0, "2.5.23"},
      {"S08", {}, 0, 1, "0"},
      {"S03", {"73"}, 0, 0, "7"},
      {"S03", {"51"}, 0, 0, "20"},
      {"S03", {"52"}, 0, 0, "10"},
      {"S03", {"13"}, 0, 0, "20260102103000"},
      {"S03", {"64"}, 0, 1, "0"},
      {"S03", {"08"}, 0, 0, std::string(40, ' ')},  // an unused header line is blank, never empty
      {"S03", {"40"}, 44, 0, "<none>"},
      {"S03", {"x"}, 33, 0, "<none>"},
      {"S02", {"1"}, 0, 0, "20260102103000"},
      {"F01", {"51", "233"}, 44, 0, "<none>"},
      {"F01", {"13", "x"}, 48, 0, "<none>"},
      {"F02", {"12345"}, 48, 0, "<none>"},  // already fiscalised
      {"P01", {"3"}, 0, 0, "0"},
      {"T02", {"3"}, 33, 0, "<none>"},
  };
  for (const QueryCase& c : cases) {
    Device device(FixedOptions());
    Host host(device);
    testing::HostReply reply = host.Send(c.code, c.fields);
    EXPECT_EQ(reply.code, c.replyCode) << c.code;
    EXPECT_EQ(reply.Field(c.field), c.value) << c.code << " field " << c.field;
  }
}

TEST(EmulatorQueries, ParametersAndTheClockCanBeSet) {
  Device device(FixedOptions());
  Host host(device);
  EXPECT_EQ(host.Send("F01", {"61", "Druh\xFD riadok"}).code, 0);
  EXPECT_EQ(host.Send("S03", {"61"}).Field(0).substr(0, 12), "Druh\xFD riadok");
  EXPECT_EQ(host.Send("F01", {"70", "abc", "def"}).code, 0);  // a parameter with two values
  testing::HostReply pair = host.Send("S03", {"70"});
  EXPECT_EQ(pair.fields, (std::vector<std::string>{"abc", "def"}));
  EXPECT_EQ(host.Send("S02", {"2", "202612312359004"}).code, 0);
  EXPECT_EQ(host.Send("S02", {"1"}).Field(0), "20261231235900");
  EXPECT_EQ(host.Send("S02", {"2", "202602301200001"}).code, 70);  // 30 February
  host.Send("P15", {"2", "202612312359004", std::string(40, ' ')});
  EXPECT_EQ(host.Send("S02", {"2", "202601011200004"}).code, 70);  // behind the last closure
  EXPECT_EQ(host.Send("P01", {"2", "001", "FF00"}).code, 0);
  EXPECT_EQ(host.Send("P01", {"3"}).Field(0), "1");
  EXPECT_EQ(host.Send("P01", {"2", "002", "F"}).code, 33);
}

TEST(EmulatorQueries, CustomerDisplayTakesRowsAndPositionedCodePage852Text) {
  Device device(FixedOptions());
  Host host(device);
  EXPECT_EQ(host.Send("D01", {"Dobr\xFD de\xF2          ", std::string(20, ' ')}).code, 0);
  EXPECT_EQ(device.Core().DisplayRows()[0], "Dobrý deň           ");
  // Row 1, column 0 and "AB", then "Ž" (0xA6 in code page 852) at row 0 column 8.
  EXPECT_EQ(host.Send("D02", {"1B5B323B3148414"
                              "2"})
                .code,
            0);
  EXPECT_EQ(host.Send("D02", {"1B5B313B3948A6"}).code, 0);
  std::vector<std::string> rows = device.Core().DisplayRows();
  EXPECT_EQ(rows[1].substr(0, 2), "AB");
  EXPECT_EQ(rows[0], "Dobrý deŽ           ");
  EXPECT_EQ(host.Send("D02", {"1B5"}).code, 33);
}

TEST(EmulatorQueries, RawPrinterSequencesCutPrintBarCodesAndRespectTheCover) {
  Device device(FixedOptions());
  Host host(device);
  EXPECT_EQ(host.Send("P22", {"4142430A"}).code, 0);
  EXPECT_EQ(host.Send("P22", {"1D6B430D34393030303030303030303030"}).code, 0);
  EXPECT_EQ(host.Send("P22", {"0A0A0A0A0A0A0A1B6D0A"}).code, 0);
  std::string paper = device.Core().Paper();
  EXPECT_NE(paper.find("ABC\n"), std::string::npos);
  EXPECT_NE(paper.find("[čiarový kód 4900000000000]"), std::string::npos);
  EXPECT_NE(paper.find(std::string(40, '-')), std::string::npos);
  device.Command("cover open");
  EXPECT_EQ(host.Send("P22", {"4142430A"}).code, 51);
  EXPECT_EQ(host.Send("P20", {"0", "text"}).code, 51);
  EXPECT_EQ(host.Send("P22", {"1D0405"}).code, 0);  // a query prints nothing
  EXPECT_EQ(host.Send("P22", {"ZZ"}).code, 33);
}

}  // namespace
}  // namespace kestrel::emulator
