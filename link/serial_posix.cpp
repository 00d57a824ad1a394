// The COM link on Linux: a tty opened exclusively, raw, without flow control,
// with reads and writes that keep the Windows driver's time-out behaviour.

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

#include "link/os_links.h"
#include "link/serial_posix.h"

namespace {

using Clock = std::chrono::steady_clock;

class PosixSerialLink final : public Link {
 public:
  explicit PosixSerialLink(int fd) : fd_(fd) {}
  ~PosixSerialLink() override {
    // A pseudo-terminal keeps its exclusive flag while the other side is
    // open; give it up so that the next open (after a replug) succeeds.
    ::ioctl(fd_, TIOCNXCL);
    // The last request (the follow-up before a replug) must leave the UART
    // before the port is let go.
    ::tcdrain(fd_);
    ::close(fd_);
  }
  PosixSerialLink(const PosixSerialLink&) = delete;
  PosixSerialLink& operator=(const PosixSerialLink&) = delete;

  uint32_t Write(const uint8_t* data, uint32_t count) override;
  uint32_t Read(uint8_t* buffer, uint32_t count) override;
  void SetTimeouts(const LinkTimeouts& timeouts) override { timeouts_ = timeouts; }
  void ApplyLineSettings(LineSettings settings) override;

 private:
  // Reads what is waiting now, up to `count`, without blocking.
  uint32_t ReadWaiting(uint8_t* buffer, uint32_t count);
  // Milliseconds left until `deadline`, at least 0; -1 waits without end.
  static int RemainingMs(Clock::time_point deadline, bool unbounded);

  int fd_;
  // Until a command sets its own, a read waits up to 3 s like every command's.
  LinkTimeouts timeouts_ = CommandTimeouts(3000);
};

int PosixSerialLink::RemainingMs(Clock::time_point deadline, bool unbounded) {
  if (unbounded) return -1;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return 0;
  // Round up so that poll never wakes a hair early and spins.
  return static_cast<int>(left.count()) + 1;
}

uint32_t PosixSerialLink::ReadWaiting(uint8_t* buffer, uint32_t count) {
  uint32_t got = 0;
  while (got < count) {
    const ssize_t n = ::read(fd_, buffer + got, count - got);
    if (n > 0) {
      got += static_cast<uint32_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    break;  // nothing more waiting (EAGAIN), end of file or an error
  }
  return got;
}

uint32_t PosixSerialLink::Read(uint8_t* buffer, uint32_t count) {
  if (count == 0) return 0;
  // Interval MAXDWORD, multiplier 0: bytes already waiting come back at once,
  // however few; only an empty queue waits, for the whole count.
  uint32_t got = ReadWaiting(buffer, count);
  if (got > 0 || timeouts_.readConstant == 0) return got;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeouts_.readConstant);
  while (got < count) {
    const int waitMs = RemainingMs(deadline, false);
    if (waitMs == 0) break;
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, waitMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    if ((p.revents & POLLIN) == 0) {
      // A hang-up with nothing to read: the other end is gone; wait out the
      // constant as the driver would, without spinning on the event.
      if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
        const int rest = RemainingMs(deadline, false);
        if (rest > 0) ::poll(nullptr, 0, rest);
        break;
      }
      continue;
    }
    const uint32_t n = ReadWaiting(buffer + got, count - got);
    if (n == 0 && (p.revents & (POLLHUP | POLLERR))) {
      const int rest = RemainingMs(deadline, false);
      if (rest > 0) ::poll(nullptr, 0, rest);
      break;
    }
    got += n;
  }
  return got;
}

uint32_t PosixSerialLink::Write(const uint8_t* data, uint32_t count) {
  // A zero constant and multiplier mean no write time-out on Windows.
  const bool unbounded = timeouts_.writeConstant == 0 && timeouts_.writeMultiplier == 0;
  const uint64_t limitMs =
      uint64_t{timeouts_.writeConstant} + uint64_t{timeouts_.writeMultiplier} * count;
  const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
  uint32_t written = 0;
  while (written < count) {
    const ssize_t n = ::write(fd_, data + written, count - written);
    if (n > 0) {
      written += static_cast<uint32_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;  // the device is gone
    const int waitMs = RemainingMs(deadline, unbounded);
    if (waitMs == 0) break;
    pollfd p{fd_, POLLOUT, 0};
    const int ready = ::poll(&p, 1, waitMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || (p.revents & (POLLERR | POLLHUP | POLLNVAL))) break;
  }
  return written;
}

void PosixSerialLink::ApplyLineSettings(LineSettings settings) {
  termios t{};
  if (::tcgetattr(fd_, &t) != 0) return;  // not examined, as on Windows
  ToLineSettings(t, settings);
  // Output already written (the bootloader's "UPDATE" request) goes out at
  // the old rate before the switch.
  ::tcsetattr(fd_, TCSADRAIN, &t);
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd_, TIOCMBIC, &lines);  // ENOTTY/EINVAL on a pseudo-terminal
}

// Raw bytes both ways: no echo, no line editing, no translation, no signals.
void MakeRaw(int fd) {
  termios t{};
  if (::tcgetattr(fd, &t) != 0) return;
  ::cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS | HUPCL);
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  ::tcsetattr(fd, TCSANOW, &t);
}

// USB-serial adapters hold received bytes for their latency timer (16 ms on
// FTDI) unless asked not to; in a stop-and-wait transfer that is every block.
void AskLowLatency(int fd) {
  serial_struct s{};
  if (::ioctl(fd, TIOCGSERIAL, &s) != 0) return;
  s.flags |= ASYNC_LOW_LATENCY;
  ::ioctl(fd, TIOCSSERIAL, &s);  // a driver that refuses keeps its timer
}

std::string DevicePath(const char* portName) {
  if (portName[0] == '/') return portName;
  return std::string("/dev/") + portName;
}

}  // namespace

void ToLineSettings(termios& t, LineSettings settings) {
  const bool slow = settings == LineSettings::Slow;
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  t.c_cflag |= slow ? static_cast<tcflag_t>(CS7 | PARENB) : static_cast<tcflag_t>(CS8);
  t.c_cflag |= CLOCAL | CREAD;
  // 7 data bits leave the eighth bit to parity; the kernel must not strip or
  // check it for us, nor turn bytes into flow control.
  t.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | ISTRIP | INPCK);
  const speed_t speed = slow ? B9600 : B115200;
  ::cfsetispeed(&t, speed);
  ::cfsetospeed(&t, speed);
}

Link* OpenComLink(const char* portName) {
  if (portName == nullptr || portName[0] == '\0') return nullptr;
  const std::string path = DevicePath(portName);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  // Only one holder at a time, as a Windows COM port: TIOCEXCL keeps other
  // opens out (except root's), the lock tells cooperating programs and root.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || !::isatty(fd)) {
    ::close(fd);
    return nullptr;
  }
  ::ioctl(fd, TIOCEXCL);
  MakeRaw(fd);
  AskLowLatency(fd);
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd, TIOCMBIC, &lines);
  return new PosixSerialLink(fd);
}

void CloseLink(Link* link) { delete link; }
