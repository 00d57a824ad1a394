// The machine's limit for stop-and-wait over a pseudo-terminal: N round trips
// of a B-byte write and a 1-byte acknowledgement, with plain blocking reads
// and writes on both sides and a peer process that does nothing but ACK.
// Prints the seconds taken; scripts/bench-link compares plcburn against it.
//
// With --via-link the tool's side goes through the POSIX link instead, to
// show what the link itself costs.
//
//   bench_pty_round_trip [--via-link] [blocks=8096] [frame=261]

#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "link/os_links.h"

namespace {

bool ReadAll(int fd, unsigned char* buffer, size_t count) {
  size_t got = 0;
  while (got < count) {
    const ssize_t n = ::read(fd, buffer + got, count - got);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const unsigned char* data, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd, data + done, count - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void Raw(int fd) {
  termios t{};
  ::tcgetattr(fd, &t);
  ::cfmakeraw(&t);
  ::cfsetispeed(&t, B115200);
  ::cfsetospeed(&t, B115200);
  ::tcsetattr(fd, TCSANOW, &t);
}

}  // namespace

int main(int argc, char** argv) {
  const bool viaLink = argc > 1 && std::strcmp(argv[1], "--via-link") == 0;
  if (viaLink) {
    --argc;
    ++argv;
  }
  const long blocks = argc > 1 ? std::atol(argv[1]) : 8096;
  const long frame = argc > 2 ? std::atol(argv[2]) : 261;
  if (blocks <= 0 || frame <= 0) {
    std::fprintf(stderr, "usage: %s [blocks] [frame bytes]\n", argv[0]);
    return 2;
  }
  int master = -1;
  int slave = -1;
  char slaveName[128] = {};
  if (::openpty(&master, &slave, slaveName, nullptr, nullptr) != 0) {
    std::perror("openpty");
    return 1;
  }
  Raw(slave);
  const pid_t peer = ::fork();
  if (peer == 0) {
    ::close(slave);
    std::vector<unsigned char> in(static_cast<size_t>(frame));
    const unsigned char ack = 0x06;
    for (long i = 0; i < blocks; ++i) {
      if (!ReadAll(master, in.data(), in.size()) || !WriteAll(master, &ack, 1)) _exit(1);
    }
    // Hold the master open until the last ACK has been read: closing it
    // hangs up the slave and drops what it has not read yet.
    unsigned char rest = 0;
    while (::read(master, &rest, 1) > 0) {
    }
    _exit(0);
  }
  ::close(master);
  std::vector<unsigned char> out(static_cast<size_t>(frame), 0x5A);
  unsigned char ack = 0;
  Link* link = viaLink ? OpenComLink(slaveName) : nullptr;
  if (viaLink && link == nullptr) {
    std::fprintf(stderr, "cannot open %s\n", slaveName);
    return 1;
  }
  if (link != nullptr) {
    link->ApplyLineSettings(LineSettings::Fast);
    link->SetTimeouts(CommandTimeouts(3000));
  }
  const auto size = static_cast<uint32_t>(out.size());
  const auto roundTrip = [&] {
    if (link == nullptr) return WriteAll(slave, out.data(), out.size()) && ReadAll(slave, &ack, 1);
    return link->Write(out.data(), size) == size && link->Read(&ack, 1) == 1;
  };
  const auto start = std::chrono::steady_clock::now();
  for (long i = 0; i < blocks; ++i) {
    if (!roundTrip() || ack != 0x06) {
      std::fprintf(stderr, "round trip %ld failed\n", i);
      return 1;
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  CloseLink(link);
  ::close(slave);
  int status = 0;
  ::waitpid(peer, &status, 0);
  std::printf("%.6f\n", seconds);
  std::fprintf(stderr, "%ld round trips of %ld+1 bytes in %.3f s (%.1f us each)\n", blocks, frame,
               seconds, seconds * 1e6 / static_cast<double>(blocks));
  return 0;
}
