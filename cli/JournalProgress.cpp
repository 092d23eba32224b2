#include "cli/JournalProgress.h"

#include <cstdio>
#include <iostream>
#include <ostream>

#include "cli/TerminalInput.h"

namespace kestrel::cli {
namespace {

// The terminal is rewritten at most this often; a fast line makes hundreds
// of blocks a second.
constexpr std::chrono::milliseconds kRefresh(200);

std::string Bytes(std::uint64_t bytes) {
  char text[32];
  if (bytes < 1024) {
    std::snprintf(text, sizeof text, "%llu bytes", static_cast<unsigned long long>(bytes));
  } else if (bytes < 1024ULL * 1024) {
    std::snprintf(text, sizeof text, "%.1f kB", static_cast<double>(bytes) / 1024.0);
  } else {
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  }
  return text;
}

}  // namespace

JournalProgress::JournalProgress(std::ostream& out, bool terminal, Clock clock)
    : out_(out), terminal_(terminal), clock_(std::move(clock)) {}

std::chrono::steady_clock::time_point JournalProgress::Now() const {
  return clock_ ? clock_() : std::chrono::steady_clock::now();
}

std::string JournalProgress::Line(const TransferProgress& progress, long seconds) {
  return std::string("Journal") + (progress.fromStart ? " (from the first block)" : "") + ": " +
         std::to_string(progress.blocks) + (progress.blocks == 1 ? " block, " : " blocks, ") + Bytes(progress.bytes) +
         ", " + std::to_string(seconds) + " s";
}

void JournalProgress::TransferStarted(bool) {
  started_ = Now();
  shown_ = started_;
  anyShown_ = false;
  lastWidth_ = 0;
}

void JournalProgress::Show(const TransferProgress& progress) {
  const auto now = Now();
  const long seconds = static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(now - started_).count());
  std::string line = Line(progress, seconds);
  const std::size_t width = line.size();
  // Blanks over what a longer line before left behind.
  if (width < lastWidth_) line += std::string(lastWidth_ - width, ' ');
  out_ << '\r' << line << std::flush;
  lastWidth_ = width;
  shown_ = now;
  anyShown_ = true;
}

void JournalProgress::BlockReceived(const TransferProgress& progress) {
  if (!terminal_) return;
  if (!anyShown_ || Now() - shown_ >= kRefresh) Show(progress);
}

void JournalProgress::TransferEnded(const TransferProgress& progress) {
  // A transfer that brought nothing leaves no line behind.
  if (!terminal_ || progress.blocks == 0) return;
  Show(progress);
  out_ << std::endl;
}

JournalProgressOnTerminal::JournalProgressOnTerminal(std::ostream& err)
    : progress_(err, &err == &std::cerr && ErrorIsTerminal()) {
  SetTransferObserver(&progress_);
}

JournalProgressOnTerminal::~JournalProgressOnTerminal() { SetTransferObserver(nullptr); }

}  // namespace kestrel::cli
