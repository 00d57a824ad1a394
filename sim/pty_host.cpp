#include "sim/pty_host.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <thread>
#include <utility>

#include "sim/sim_codec.h"

namespace sim {

namespace {

uint64_t MonotonicNs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

// While nobody holds the slave open the master reports POLLHUP at once; look
// again after this long.
constexpr int kIdlePollMs = 5;
constexpr uint64_t kLingerAfterUpdateUs = 2000000;

}  // namespace

PtyHost::PtyHost(SimulatedPlc& plc, PtyHostOptions options)
    : plc_(plc), options_(options), startNs_(MonotonicNs()) {}

PtyHost::~PtyHost() { CloseMaster(); }

uint64_t PtyHost::NowMicros() const { return (MonotonicNs() - startNs_) / 1000; }

bool PtyHost::Open(std::string& error) {
  // Wake on time: the default 50 us timer slack would add to every reply.
  prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
  master_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
    error = "no pseudo-terminal";
    return false;
  }
  const char* name = ptsname(master_);
  if (name == nullptr) {
    error = "no pseudo-terminal name";
    return false;
  }
  slavePath_ = name;
  // Raw until the tool sets its own: no echo of the tool's bytes back to it,
  // no line editing of the PLC's.
  termios t{};
  if (tcgetattr(master_, &t) == 0) {
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    tcsetattr(master_, TCSANOW, &t);
  }
  return true;
}

void PtyHost::CloseMaster() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}

LineSpeed PtyHost::SpeedInForce(double& charUs) const {
  charUs = kFastCharMicros;
  termios t{};
  if (master_ < 0 || tcgetattr(master_, &t) != 0) return LineSpeed::Any;
  // Linux keeps a pseudo-terminal at 8 data bits without parity whatever the
  // tool asks for, so the speed is all there is to tell the two settings apart.
  const speed_t speed = cfgetospeed(&t);
  if (speed == B9600) {
    charUs = kSlowCharMicros;
    return LineSpeed::Slow;
  }
  return speed == B115200 ? LineSpeed::Fast : LineSpeed::Other;
}

void PtyHost::Run(const volatile int& stop) {
  // A slave nobody has opened yet raises no hang-up on every kernel; count it
  // as open until the first hang-up says otherwise.
  bool slaveOpen = true;
  struct Heard {
    uint8_t byte;
    uint64_t atUs;
    LineSpeed speed;  // the line settings the byte was sent with
  };
  std::deque<Heard> input;
  double lastHeardUs = 0;
  uint64_t doneAtUs = 0;
  const uint64_t timeoutUs = static_cast<uint64_t>(options_.timeoutSeconds * 1e6);

  while (stop == 0 && master_ >= 0) {
    const uint64_t now = NowMicros();
    if (timeoutUs != 0 && now >= timeoutUs) break;
    plc_.Advance(now);

    // Hand the PLC what it has heard by now, then send what has left it.
    while (!input.empty() && input.front().atUs <= now) {
      plc_.Receive(input.front().byte, input.front().atUs, input.front().speed);
      input.pop_front();
    }
    if (plc_.CablePulled()) break;  // the terminal goes away with the cable
    uint8_t out[512];
    const size_t ready = plc_.Take(out, sizeof out, now);
    if (ready > 0 && slaveOpen) {
      const ssize_t ignored = write(master_, out, ready);
      (void)ignored;
    }

    if (plc_.ImageComplete() && plc_.QueuedCount() == 0) {
      if (doneAtUs == 0) doneAtUs = now;
      if (options_.exitAfterUpdate && (!slaveOpen || now - doneAtUs >= kLingerAfterUpdateUs)) break;
    }

    uint64_t waitUs = 50000;
    if (!input.empty()) {
      // The bytes of one request are heard back to back: wake when the last
      // is in, not for each (each still reaches the PLC with its own time).
      const uint64_t next = input.back().atUs;
      waitUs = std::min<uint64_t>(waitUs, next > now ? next - now : 0);
    }
    if (plc_.QueuedCount() > 0) {
      const uint64_t next = plc_.NextArrival();
      waitUs = std::min<uint64_t>(waitUs, next > now ? next - now : 0);
    }
    pollfd p{master_, POLLIN, 0};
    // Microsecond waits: a reply due in 500 us must not wait a whole ms.
    const timespec wait{static_cast<time_t>(waitUs / 1000000),
                        static_cast<long>((waitUs % 1000000) * 1000)};
    const int r = ppoll(&p, 1, &wait, nullptr);
    if (r < 0) {
      if (errno == EINTR) continue;
      break;
    }
    const uint64_t at = NowMicros();
    if ((p.revents & POLLIN) != 0) {
      if (!slaveOpen) {
        slaveOpen = true;
        plc_.LinkOpened(at);
      }
      uint8_t buffer[4096];
      const ssize_t n = read(master_, buffer, sizeof buffer);
      if (n > 0) {
        double charUs = 0;
        const LineSpeed inForce = SpeedInForce(charUs);
        const LineSpeed speed = options_.strictLine ? inForce : LineSpeed::Any;
        const uint32_t through = plc_.CableLets(static_cast<uint32_t>(n), at);
        for (uint32_t i = 0; i < through; ++i) {
          double heard = static_cast<double>(at);
          // A byte is heard whole one character time after it started, and
          // not before the one ahead of it.
          if (options_.paceWire) heard = std::max(heard + charUs, lastHeardUs + charUs);
          lastHeardUs = heard;
          input.push_back(Heard{buffer[i], static_cast<uint64_t>(heard), speed});
        }
      }
    }
    if ((p.revents & POLLHUP) != 0) {
      if (slaveOpen) {
        slaveOpen = false;
        // What the tool wrote before it let go still reaches the PLC: a
        // serial driver drains its output on close (the follow-up request
        // goes out just before the replug's close).
        uint64_t closedAt = at;
        for (const Heard& h : input) {
          plc_.Receive(h.byte, h.atUs, h.speed);
          closedAt = std::max(closedAt, h.atUs);
        }
        input.clear();
        plc_.LinkClosed(closedAt);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(kIdlePollMs));
      continue;
    }
    if (!slaveOpen) {
      slaveOpen = true;
      plc_.LinkOpened(at);
    }
  }
  // Whatever the PLC still had to say is lost with the terminal.
  CloseMaster();
}

}  // namespace sim
