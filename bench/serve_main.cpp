// kestrel serve against the same printer calls made directly.
//
// 1. Overhead: a ten-item receipt with one cash payment, made (a) directly
//    through FiscalPrinter with exactly the calls the server makes, and
//    (b) as POST /api/v1/receipts to the server in this process; both on the
//    virtual printer at 115200 baud. The overhead is the difference of the
//    medians, set against the receipt's line floor (each exchange's wire time
//    rounded up to the 20 ms input poll). Target: under 2 % of the floor.
//    The parts of the overhead are timed on their own as well: reading and
//    checking the body, and one durable write of an id record.
// 2. 100 clients at once post receipts, two clients per id, sending again
//    what the full queue turns away: every id must be printed exactly once.
//
// Usage: kestrel-bench-serve [RECEIPTS] [--clients N]
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchPrinter.h"
#include "bench/BenchProfile.h"
#include "cli/serve/ApiRequests.h"
#include "cli/serve/DurableFile.h"
#include "cli/serve/ServeApp.h"
#include "emulator/PtyServer.h"
#include "service/FiscalPrinter.h"
#include "service/FiscalPrinterConstants.h"

namespace {

using namespace kestrel;
using Clock = std::chrono::steady_clock;

constexpr int kBaud = 115200;
constexpr double kPollMs = 20.0;
const char* const kItems[10] = {"Chlieb", "Mlieko", "Maslo", "Syr", "Vajcia", "Jablka", "Kava", "Caj", "Cukor", "Muka"};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double FloorMs(const emulator::PtyServer& printer, std::size_t from) {
  double floor = 0;
  const auto traffic = printer.Traffic();
  for (std::size_t i = from; i < traffic.size(); ++i) {
    const double wire = static_cast<double>(traffic[i].request + traffic[i].reply) * 10.0 * 1000.0 / kBaud;
    floor += std::ceil(wire / kPollMs) * kPollMs;
  }
  return floor;
}

// The calls the server makes for this receipt, made directly.
int DirectReceipt(FiscalPrinter& printer, const std::string& printerId) {
  int32_t r = 0;
  int32_t data = 0;
  std::string id = printerId;
  printer.DirectIO(152, &data, &id, &r);
  if (printer.SetPropertyNumber(opos::pidx::kFiscalReceiptType, opos::kReceiptTypeSales) != 0) return 1;
  if (printer.BeginFiscalReceipt(true, &r) != 0) return 2;
  for (const char* item : kItems) {
    if (printer.PrintRecItem(item, 12300, 10000, 1, 12300, "", &r) != 0) return 3;
  }
  if (printer.PrintRecTotal(123000, 200000, "1", &r) != 0) return 4;
  int32_t state = 0;
  printer.GetPropertyNumber(opos::pidx::kPrinterState, &state);
  int32_t optArgs = 0;
  std::string left;
  std::string number;
  printer.GetData(53, &optArgs, &left, &r);
  printer.GetData(3, &optArgs, &number, &r);
  return printer.EndFiscalReceipt(false, &r) == 0 && state == 4 ? 0 : 5;
}

std::string ReceiptBody(const std::string& id) {
  std::string items;
  for (const char* item : kItems) {
    items +=
        std::string(items.empty() ? "" : ",") + R"({"text":")" + item + R"(","quantity":1,"unitPrice":1.23,"vat":1})";
  }
  return R"({"id":")" + id + R"(","items":[)" + items + R"(],"payments":[{"amount":20,"type":"cash"}]})";
}

int Post(int port, const std::string& body, std::string* answer = nullptr) {
  httplib::Client client("127.0.0.1", port);
  client.set_read_timeout(300, 0);
  const auto result = client.Post("/api/v1/receipts", body, "application/json");
  if (!result) return 0;
  if (answer != nullptr) *answer = result->body;
  return result->status;
}

}  // namespace

int main(int argc, char** argv) {
  int receipts = 7;
  int clients = 100;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--clients") == 0 && i + 1 < argc) {
      clients = std::max(2, std::atoi(argv[++i]));
    } else {
      receipts = std::max(1, std::atoi(argv[i]));
    }
  }
  bench::BenchProfile profile;
  emulator::ServerOptions options;
  options.baud = kBaud;
  const std::unique_ptr<emulator::PtyServer> server = bench::ServePrinter(profile, options);
  if (!server) return 1;
  emulator::PtyServer& printer = *server;

  // (a) directly.
  std::vector<double> direct;
  std::vector<double> floors;
  {
    FiscalPrinter fp;
    int32_t r = 0;
    fp.OpenService("FiscalPrinter", "Kestrel", nullptr, &r);
    fp.ClaimDevice(0, &r);
    fp.SetPropertyNumber(opos::pidx::kDeviceEnabled, 1);
    for (int n = 0; n <= receipts; ++n) {  // the first one pulls the journal from its start
      const std::size_t before = printer.Traffic().size();
      const auto start = Clock::now();
      if (int failed = DirectReceipt(fp, "10000000000000" + std::to_string(10 + n)); failed != 0) {
        std::fprintf(stderr, "direct receipt %d failed at step %d\n", n, failed);
        return 1;
      }
      if (n > 0) {
        direct.push_back(Ms(Clock::now() - start));
        floors.push_back(FloorMs(printer, before));
      }
    }
    fp.SetPropertyNumber(opos::pidx::kDeviceEnabled, 0);
    fp.ReleaseDevice(&r);
    fp.CloseService(&r);
  }

  // (b) through the server.
  std::vector<double> served;
  serve::ServeOptions serveOptions;
  serveOptions.listen = "127.0.0.1:0";
  serveOptions.queueLength = 16;
  serve::ServeApp app(serveOptions);
  std::ostringstream err;
  if (app.Start(err) != 0) {
    std::fprintf(stderr, "server: %s\n", err.str().c_str());
    return 1;
  }
  std::thread runner([&app] { app.Run(); });
  for (int n = 0; n <= receipts; ++n) {
    const std::string body = ReceiptBody("bench-" + std::to_string(n));
    const auto start = Clock::now();
    if (Post(app.Port(), body) != 200) {
      std::fprintf(stderr, "served receipt %d failed\n", n);
      return 1;
    }
    if (n > 0) served.push_back(Ms(Clock::now() - start));
  }

  // The overhead's parts, each on its own.
  const std::string body = ReceiptBody("parts");
  const auto parseStart = Clock::now();
  constexpr int kParses = 2000;
  for (int i = 0; i < kParses; ++i) {
    serve::ParsedBody parsed;
    serve::ApiError parseError;
    serve::ReceiptRequest receipt;
    if (!serve::ParseJsonBody(body, parsed, parseError) ||
        !serve::ParseReceipt(parsed, serve::DefaultPaymentTypes(), receipt, parseError)) {
      return 1;
    }
  }
  const double parseMs = Ms(Clock::now() - parseStart) / kParses;
  constexpr int kWrites = 50;
  const auto writeStart = Clock::now();
  for (int i = 0; i < kWrites; ++i) serve::WriteFileDurably(profile.DataDir() + "/bench-record.json", body);
  const double writeMs = Ms(Clock::now() - writeStart) / kWrites;

  const double floorMs = Median(floors);
  const double overhead = Median(served) - Median(direct);
  std::printf("Ten-item receipt, one cash payment, virtual printer at %d baud, %d receipts each\n", kBaud, receipts);
  std::printf("  direct calls (median)      %8.1f ms\n", Median(direct));
  std::printf("  through the server (median)%8.1f ms\n", Median(served));
  std::printf("  line floor                 %8.1f ms\n", floorMs);
  std::printf("  server overhead            %8.1f ms = %.2f %% of the floor (target under 2 %%)\n", overhead,
              100.0 * overhead / floorMs);
  std::printf("  parts: body read and checked %.3f ms; one durable id record write %.3f ms (3 per receipt)\n", parseMs,
              writeMs);

  // 2. Many clients at once, two per id, on a printer that answers at once.
  printer.Inject("clear");
  const int ids = clients / 2;
  std::vector<std::string> answers(clients);
  std::vector<int> statuses(clients, 0);
  std::atomic<int> refusals{0};
  const std::size_t closedBefore = printer.Trace().size();
  const auto crowdStart = Clock::now();
  std::vector<std::thread> crowd;
  for (int c = 0; c < clients; ++c) {
    crowd.emplace_back([&, c] {
      const std::string request = ReceiptBody("crowd-" + std::to_string(c % ids));
      for (int attempt = 0; attempt < 100000; ++attempt) {
        statuses[c] = Post(app.Port(), request, &answers[c]);
        if (statuses[c] != 503) return;
        ++refusals;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    });
  }
  for (std::thread& thread : crowd) thread.join();
  const double crowdMs = Ms(Clock::now() - crowdStart);
  app.Stop();
  runner.join();

  int closed = 0;
  std::map<std::string, int> perId;
  const auto trace = printer.Trace();
  for (std::size_t i = closedBefore; i < trace.size(); ++i) {
    std::vector<std::string> columns;
    std::stringstream in(trace[i]);
    for (std::string column; std::getline(in, column, '\t');) columns.push_back(column);
    if (columns.size() > 4 && columns[0] == "P12" && columns[3].rfind("1|", 0) == 0 && columns[4] == "00") ++closed;
  }
  bool sameAnswers = true;
  int ok = 0;
  for (int c = 0; c < clients; ++c) {
    ok += statuses[c] == 200 ? 1 : 0;
    sameAnswers = sameAnswers && answers[c] == answers[c % ids];
  }
  std::printf("%d clients at once, %d ids (two clients each), queue of 16\n", clients, ids);
  std::printf("  answered 200: %d of %d; refused with 503 and sent again: %d times; %.1f s in all\n", ok, clients,
              refusals.load(), crowdMs / 1000.0);
  std::printf("  receipts closed at the printer: %d for %d ids; both clients of each id got the same answer: %s\n",
              closed, ids, sameAnswers ? "yes" : "no");
  const bool exactlyOnce = closed == ids && ok == clients && sameAnswers;
  std::printf("  every id printed exactly once: %s\n", exactlyOnce ? "yes" : "NO");
  return exactlyOnce ? 0 : 1;
}
