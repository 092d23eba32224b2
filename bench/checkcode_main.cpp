// The journal check code over a large text journal: throughput against a
// plain read of the same file, and the peak memory of a process doing only
// the check code, for a small and a large journal (it must not grow).
//
// Usage: kestrel-bench-checkcode [MEGABYTES] [DIRECTORY]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tools/Tools.h"

namespace {

using Clock = std::chrono::steady_clock;

// Receipt-like text: 40-character lines with CR LF, as the printer's journal.
void MakeJournal(const std::string& path, std::size_t megabytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::perror(path.c_str());
    std::exit(1);
  }
  const std::size_t target = megabytes * 1000 * 1000;
  char line[43];
  for (std::size_t written = 0, n = 0; written < target; written += 42, ++n) {
    std::snprintf(line, sizeof line, "%-28s%8zu.%02zu\r\n", (n % 7 == 0) ? "Spolu EUR" : "Polozka", n % 9999, n % 100);
    std::fwrite(line, 1, 42, file);
  }
  std::fclose(file);
}

double PlainReadSeconds(const std::string& path, unsigned long long& sum) {
  const auto start = Clock::now();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  static char buffer[1 << 16];
  std::size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    for (std::size_t i = 0; i < got; i += 4096) sum += static_cast<unsigned char>(buffer[i]);
  }
  std::fclose(file);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double CheckCodeSeconds(const std::string& path, unsigned char code[4]) {
  const auto start = Clock::now();
  kestrel::Tools::FileCheckCode(path, code);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Peak resident memory (KiB) of a child process that computes only the code.
long PeakKiBOfCheckCode(const std::string& path) {
  const pid_t child = ::fork();
  if (child == 0) {
    unsigned char code[4];
    kestrel::Tools::FileCheckCode(path, code);
    ::_exit(0);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t megabytes = argc > 1 ? static_cast<std::size_t>(std::max(1, std::atoi(argv[1]))) : 100;
  const std::string dir = argc > 2 ? argv[2] : "/tmp";
  const std::string big = dir + "/kestrel-bench-journal-big.txt";
  const std::string small = dir + "/kestrel-bench-journal-small.txt";
  MakeJournal(big, megabytes);
  MakeJournal(small, 1);

  unsigned long long sum = 0;
  unsigned char code[4] = {};
  double plain = 1e9, check = 1e9;
  PlainReadSeconds(big, sum);  // the page cache holds the file from here on
  for (int round = 0; round < 3; ++round) {
    plain = std::min(plain, PlainReadSeconds(big, sum));
    check = std::min(check, CheckCodeSeconds(big, code));
  }
  const double mb = static_cast<double>(megabytes);
  std::printf("Journal check code over %zu MB of text journal (best of 3, file in the page cache)\n", megabytes);
  std::printf("  plain read:  %8.1f MB/s\n", mb / plain);
  std::printf("  check code:  %8.1f MB/s  (%.2f of the plain read)  code %02X%02X%02X%02X\n", mb / check, plain / check,
              code[0], code[1], code[2], code[3]);
  const long peakSmall = PeakKiBOfCheckCode(small);
  const long peakBig = PeakKiBOfCheckCode(big);
  std::printf("  peak memory: %ld KiB for 1 MB, %ld KiB for %zu MB\n", peakSmall, peakBig, megabytes);
  std::remove(big.c_str());
  std::remove(small.c_str());
  return sum == 0 ? 1 : 0;
}
