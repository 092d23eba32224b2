// The server killed with SIGKILL at every step of a receipt, then started
// again: the client sending the same request once more ends with exactly one
// receipt at the printer and the right answer wherever the printer can tell,
// never with two.
#include "tests/serve/ServerFixture.h"
#include "tests/serve/ServerProcess.h"

namespace kestrel::serve {
namespace {

struct CrashCase {
  const char* step;
  int closedBefore;  // receipts closed at the printer when the server died
};

class ServerKilled : public ::testing::Test {
 protected:
  void StartPrinter(const std::string& firmware = "") {
    testing::UseFastSleep(10);
    SingletonReset::All();
    emulator::ServerOptions options;
    options.link = profile_.Dir() + "/printer";
    if (!firmware.empty()) options.printer.firmware = firmware;
    profile_.Set("Port", options.link);
    printer_ = std::make_unique<emulator::PtyServer>(options);
    std::string error;
    ASSERT_EQ(printer_->Start(&error), 0) << error;
  }

  // Posts body to a server that kills itself at crashAt, then to a fresh one.
  Reply CrashAndRetry(const std::string& crashAt, const std::string& path, const std::string& body) {
    {
      ServerProcess doomed;
      std::string output;
      EXPECT_TRUE(doomed.Start(crashAt, output)) << output;
      const Reply cut = Send(doomed.Port(), "POST", path, body);
      EXPECT_EQ(cut.status, 0) << "the server answered instead of dying at " << crashAt << ": " << cut.body.dump();
      EXPECT_EQ(doomed.WaitForEnd(), SIGKILL);
    }
    closedAtCrash_ = ClosedReceipts(printer_->Trace());
    ServerProcess fresh;
    std::string output;
    EXPECT_TRUE(fresh.Start("", output)) << output;
    const Reply retried = Send(fresh.Port(), "POST", path, body);
    // Asked again, the answer stands.
    const Reply replayed = Send(fresh.Port(), "POST", path, body);
    EXPECT_EQ(replayed.status, retried.status);
    EXPECT_EQ(replayed.body, retried.body);
    EXPECT_EQ(fresh.Terminate(), 0);  // a clean stop after SIGTERM
    return retried;
  }

  testing::TestProfile profile_;
  std::unique_ptr<emulator::PtyServer> printer_;
  int closedAtCrash_ = 0;
};

class ReceiptCrash : public ServerKilled, public ::testing::WithParamInterface<CrashCase> {};

TEST_P(ReceiptCrash, TheRetryEndsWithExactlyOneReceiptAndTheRightAnswer) {
  StartPrinter();
  const std::string body = R"({"id":"crash-1","items":[{"text":"Rožok","quantity":4,"unitPrice":0.15,"vat":1},)"
                           R"({"text":"Mlieko","quantity":1,"unitPrice":0.99,"vat":2}],"discount":{"amount":0.09},)"
                           R"("message":"Ďakujeme","payments":[{"amount":1,"type":"card"},{"amount":5}]})";
  const Reply reply = CrashAndRetry(GetParam().step, "/api/v1/receipts", body);
  EXPECT_EQ(closedAtCrash_, GetParam().closedBefore);
  ASSERT_EQ(reply.status, 200) << reply.body.dump();
  EXPECT_EQ(reply.body["ok"], true);
  EXPECT_EQ(reply.body["total"], 1.5);
  EXPECT_EQ(reply.body["change"], 4.5);
  EXPECT_TRUE(reply.body["receiptNumber"].is_number_integer()) << reply.body.dump();
  EXPECT_EQ(ClosedReceipts(printer_->Trace()), 1);
  EXPECT_FALSE(printer_->WithDevice([](emulator::Device& device) { return device.Core().ReceiptOpen(); }));
}

INSTANTIATE_TEST_SUITE_P(EveryStep, ReceiptCrash,
                         ::testing::Values(CrashCase{"recorded", 0}, CrashCase{"opened", 0}, CrashCase{"item-1", 0},
                                           CrashCase{"item-2", 0}, CrashCase{"discount", 0}, CrashCase{"message", 0},
                                           CrashCase{"payment-1", 0}, CrashCase{"payment-2", 0}, CrashCase{"paid", 0},
                                           CrashCase{"closed", 1}),
                         [](const ::testing::TestParamInfo<CrashCase>& p) {
                           std::string name = p.param.step;
                           for (char& c : name) c = c == '-' ? '_' : c;
                           return name;
                         });

TEST_F(ServerKilled, WithoutTheReceiptIdQueryAClosedReceiptIsUnknownAndNeverPrintedAgain) {
  StartPrinter("2.5.14");  // firmware that cannot be asked about receipt identifiers
  const Reply reply = CrashAndRetry("closed", "/api/v1/receipts", SaleBody("crash-2"));
  EXPECT_EQ(reply.status, 502) << reply.body.dump();
  EXPECT_EQ(reply.body["outcome"], "unknown");
  EXPECT_NE(reply.body["check"].get<std::string>().find("never prints this id again"), std::string::npos);
  EXPECT_EQ(ClosedReceipts(printer_->Trace()), 1);
}

TEST_F(ServerKilled, WithoutTheReceiptIdQueryAnOpenReceiptIsStillVoidedAndPrinted) {
  StartPrinter("2.5.14");
  const Reply reply = CrashAndRetry("item-1", "/api/v1/receipts", SaleBody("crash-3"));
  EXPECT_EQ(reply.status, 200) << reply.body.dump();
  EXPECT_EQ(ClosedReceipts(printer_->Trace()), 1);
}

TEST_F(ServerKilled, ACashDocumentIsPrintedAgainOnlyWhenItWasNeverSent) {
  StartPrinter();
  const std::string body = R"({"id":"cash-9","amount":20,"direction":"in"})";
  const auto documents = [this] {
    const std::string paper = printer_->Paper();
    int count = 0;
    for (std::size_t at = paper.find("Príjem hotovosti"); at != std::string::npos;
         at = paper.find("Príjem hotovosti", at + 1)) {
      ++count;
    }
    return count;
  };
  EXPECT_EQ(CrashAndRetry("recorded", "/api/v1/cash", body).status, 200);
  EXPECT_EQ(documents(), 1);
  const Reply unknown = CrashAndRetry("cashed", "/api/v1/cash", R"({"id":"cash-10","amount":20,"direction":"in"})");
  EXPECT_EQ(unknown.status, 502) << unknown.body.dump();
  EXPECT_EQ(unknown.body["outcome"], "unknown");
  EXPECT_EQ(documents(), 2);
}

}  // namespace
}  // namespace kestrel::serve
