#pragma once
// How long the exchange waits for the printer. Every request is tried at
// most kAttempts times and each try waits at most its command's reply
// time-out, so a printer that stays silent costs a request kAttempts x its
// time-out; a method that stops at the first unanswered request blocks at
// most the sum of that product over the requests it sends before it. The
// README's table of the longest waits is built from these numbers, and so is
// the test that holds the service to it.
namespace kestrel::reply_timeout {

constexpr int kAttempts = 3;

// Reply time-outs in seconds, by kind of command.
constexpr int kStatus = 1;              // S01, S03, S09, S04, D01, D02
constexpr int kCommand = 4;             // P01..P11, P13, P14, P22..P25, F01, F02, S02, S05..S13, T01..T03
constexpr int kClose = 5;               // P12
constexpr int kRangeReport = 5;         // P16..P19
constexpr int kLong = 10;               // P15, P20, P21
constexpr int kClearFiscalModule = 60;  // S14

// The longest a request can block when the printer gives no answer at all.
constexpr int Unanswered(int timeoutSeconds) { return kAttempts * timeoutSeconds; }
// The same for a request that follows an unanswered one: before it goes out
// the line is heard out for its time-out, for a late reply to the earlier one.
constexpr int UnansweredAfterSilence(int timeoutSeconds) { return timeoutSeconds + Unanswered(timeoutSeconds); }

}  // namespace kestrel::reply_timeout
