#include "emulator/PtyServer.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "emulator/Frame.h"

namespace kestrel::emulator {
namespace {

void SleepMs(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

speed_t SpeedOf(int baud) {
  switch (baud) {
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    default:
      return B115200;
  }
}

int MakeRaw(int fd, int baud) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return -1;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  cfsetispeed(&tio, SpeedOf(baud));
  cfsetospeed(&tio, SpeedOf(baud));
  return tcsetattr(fd, TCSANOW, &tio);
}

// Requests that change nothing the printer keeps.
bool IsQuery(const std::string& code) {
  return code == "S01" || code == "S03" || code == "S08" || code == "S09" || code == "D01" || code == "D02" ||
         code == "P25";
}

}  // namespace

PtyServer::PtyServer(ServerOptions options) : options_(std::move(options)), device_(options_.printer) {
  if (options_.thinkMs > 0) device_.Command("think " + std::to_string(options_.thinkMs));
}

PtyServer::~PtyServer() { Stop(); }

int PtyServer::Start(std::string* error) {
  auto fail = [&](const std::string& reason) {
    if (error) *error = reason + (errno ? std::string(": ") + std::strerror(errno) : std::string());
    Stop();
    return -1;
  };
  if (thread_.joinable()) return 0;
  stopping_ = false;
  if (!options_.stateDir.empty() && device_.Core().Load(options_.stateDir) != 0) {
    errno = 0;
    return fail("cannot read the state in " + options_.stateDir);
  }
  for (const std::string& line : options_.commands) {
    std::string answer = device_.Command(line);
    if (answer != "ok") {
      errno = 0;
      return fail(line + ": " + answer);
    }
  }
  if (!options_.device.empty()) {
    master_ = ::open(options_.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0) return fail("cannot open " + options_.device);
    MakeRaw(master_, options_.baud);
    deviceName_ = options_.device;
  } else {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return fail("cannot create a pty");
    const char* name = ptsname(master_);
    if (name == nullptr) return fail("no pty name");
    deviceName_ = name;
    slave_ = ::open(deviceName_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) return fail("cannot open " + deviceName_);
    if (MakeRaw(slave_, options_.baud) != 0) return fail("cannot set raw mode");
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
  }
  if (::pipe(wake_) != 0) return fail("cannot make a pipe");
  if (!options_.controlPath.empty()) {
    struct stat info {};
    if (::lstat(options_.controlPath.c_str(), &info) == 0 && S_ISFIFO(info.st_mode)) {
      ::unlink(options_.controlPath.c_str());
    }
    if (::mkfifo(options_.controlPath.c_str(), 0600) != 0) return fail("cannot make " + options_.controlPath);
    control_ = ::open(options_.controlPath.c_str(), O_RDONLY | O_NONBLOCK);
    controlKeep_ = ::open(options_.controlPath.c_str(), O_WRONLY | O_NONBLOCK);
    if (control_ < 0 || controlKeep_ < 0) return fail("cannot open " + options_.controlPath);
  }
  thread_ = std::thread([this] { Run(); });
  if (!options_.link.empty()) {
    // Made under a temporary name and renamed, so a stale link is replaced
    // in one step and the link never points at nothing.
    std::string temporary = options_.link + ".new" + std::to_string(::getpid());
    ::unlink(temporary.c_str());
    if (::symlink(deviceName_.c_str(), temporary.c_str()) != 0) return fail("cannot link " + options_.link);
    if (::rename(temporary.c_str(), options_.link.c_str()) != 0) {
      ::unlink(temporary.c_str());
      return fail("cannot link " + options_.link);
    }
    linkMade_ = true;
  }
  return 0;
}

void PtyServer::Stop() {
  // Only a printer that served writes its state back: one that failed to
  // start must not overwrite a state directory it could not read.
  bool served = thread_.joinable();
  if (served) {
    stopping_ = true;
    char byte = 1;
    if (::write(wake_[1], &byte, 1) < 0) {
      // the thread also wakes on its poll time-out
    }
    thread_.join();
  }
  if (linkMade_) {
    char target[512];
    ssize_t n = ::readlink(options_.link.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == deviceName_) ::unlink(options_.link.c_str());
    linkMade_ = false;
  }
  for (int* fd : {&master_, &slave_, &wake_[0], &wake_[1], &control_, &controlKeep_}) {
    if (*fd >= 0) ::close(*fd);
    *fd = -1;
  }
  if (!options_.controlPath.empty()) {
    struct stat info {};
    if (::lstat(options_.controlPath.c_str(), &info) == 0 && S_ISFIFO(info.st_mode)) {
      ::unlink(options_.controlPath.c_str());
    }
  }
  if (served && !options_.stateDir.empty()) {
    std::lock_guard<std::mutex> guard(lock_);
    device_.Core().Save(options_.stateDir);
  }
}

std::string PtyServer::Inject(const std::string& line) {
  std::lock_guard<std::mutex> guard(lock_);
  return device_.Command(line);
}

std::string PtyServer::Paper() const {
  std::lock_guard<std::mutex> guard(lock_);
  return device_.Core().Paper();
}

std::vector<std::string> PtyServer::Trace() const {
  std::lock_guard<std::mutex> guard(lock_);
  return trace_;
}

std::vector<PtyServer::LineBytes> PtyServer::Traffic() const {
  std::lock_guard<std::mutex> guard(lock_);
  return traffic_;
}

void PtyServer::AppendFile(const std::string& path, const std::string& text) {
  if (path.empty() || text.empty()) return;
  std::ofstream file(path, std::ios::binary | std::ios::app);
  file << text;
}

void PtyServer::WriteAll(const std::string& bytes) {
  std::size_t done = 0;
  int stalls = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      stalls = 0;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      // Nobody reads the line and its queue is full: the rest is lost, as on
      // a real line with nobody listening.
      if (++stalls > 50 || stopping_) return;
      SleepMs(2);
    }
  }
}

void PtyServer::Serve(const std::string& frame) {
  Transmission sent;
  std::string paper;
  {
    std::lock_guard<std::mutex> guard(lock_);
    sent = device_.Exchange(frame);
    paper = device_.Core().TakeNewPaper();
    trace_.push_back(sent.trace);
    LineBytes bytes;
    bytes.request = frame.size();
    for (const std::string& piece : sent.pieces) bytes.reply += piece.size();
    traffic_.push_back(bytes);
    if (!options_.stateDir.empty() && sent.record.parsed && !IsQuery(sent.record.request.code)) {
      device_.Core().Save(options_.stateDir);
    }
  }
  AppendFile(options_.paperPath, paper);
  AppendFile(options_.tracePath, sent.trace + "\n");
  if (sent.pieces.empty()) return;
  Transmit(sent, frame.size());
}

void PtyServer::Pause(int ms) {
  // In short steps, so that Stop does not wait out a long late reply.
  using Clock = std::chrono::steady_clock;
  const Clock::time_point until = Clock::now() + std::chrono::milliseconds(ms);
  while (!stopping_ && Clock::now() < until) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    SleepMs(static_cast<int>(left < 20 ? left : 20));
  }
}

void PtyServer::Transmit(const Transmission& sent, std::size_t requestBytes) {
  // The printer's time before it answers: its think time for a command it
  // carried out, a late reply's delay, or the time an answer from memory takes.
  const int beforeMs = sent.lateMs;
  if (options_.baud <= 0) {
    Pause(beforeMs);
    for (std::size_t i = 0; i < sent.pieces.size(); ++i) {
      if (i > 0) SleepMs(sent.pauseMs);
      WriteAll(sent.pieces[i]);
    }
    return;
  }
  // At a simulated rate the printer has the request only once its last byte
  // crossed the line (the pty delivered it at once), and each byte of the
  // reply reaches the host's queue only after its own ten bits. Deadlines are
  // absolute, so the sleeps' overshoot does not add up over a long reply.
  using Clock = std::chrono::steady_clock;
  const auto wire = [this](std::size_t bytes) {
    return std::chrono::microseconds(static_cast<long long>(bytes) * 10 * 1000000 / options_.baud);
  };
  constexpr std::size_t kChunk = 16;  // a UART's receive FIFO
  Clock::time_point due = Clock::now() + wire(requestBytes) + std::chrono::milliseconds(beforeMs);
  for (std::size_t i = 0; i < sent.pieces.size(); ++i) {
    if (i > 0) due += std::chrono::milliseconds(sent.pauseMs);
    const std::string& piece = sent.pieces[i];
    for (std::size_t at = 0; at < piece.size() && !stopping_; at += kChunk) {
      const std::string chunk = piece.substr(at, kChunk);
      due += wire(chunk.size());
      std::this_thread::sleep_until(due);
      WriteAll(chunk);
    }
  }
}

void PtyServer::ReadControl() {
  char buffer[512];
  while (true) {
    ssize_t n = ::read(control_, buffer, sizeof buffer);
    if (n <= 0) break;
    controlBuffer_.append(buffer, static_cast<std::size_t>(n));
  }
  if (controlBuffer_.size() > 65536) controlBuffer_.clear();
  std::size_t end;
  while ((end = controlBuffer_.find('\n')) != std::string::npos) {
    std::string line = controlBuffer_.substr(0, end);
    controlBuffer_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::string answer = Inject(line);
    std::fprintf(stderr, "control: %s -> %s\n", line.c_str(), answer.c_str());
  }
}

void PtyServer::Run() {
  FrameAssembler assembler;
  char buffer[4096];
  while (!stopping_) {
    pollfd fds[3];
    nfds_t count = 0;
    fds[count++] = {master_, POLLIN, 0};
    fds[count++] = {wake_[0], POLLIN, 0};
    if (control_ >= 0) fds[count++] = {control_, POLLIN, 0};
    int ready = ::poll(fds, count, 100);
    if (stopping_) break;
    if (ready < 0) {
      if (errno != EINTR) SleepMs(20);
      continue;
    }
    // Commands first: a fault written before a request applies to it.
    if (control_ >= 0 && (fds[2].revents & POLLIN)) ReadControl();
    if (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) {
      ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n > 0) {
        assembler.Feed(buffer, static_cast<std::size_t>(n));
      } else if (n < 0 && (errno == EIO || errno == EAGAIN)) {
        SleepMs(20);  // the other side is between close and reopen
      } else if (n == 0) {
        SleepMs(20);
      }
    }
    std::string frame;
    while (assembler.Next(frame)) Serve(frame);
  }
}

}  // namespace kestrel::emulator
