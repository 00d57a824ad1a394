#pragma once
// A pseudo-terminal pair for the link tests: the test plays the PLC on the
// master side, the link under test opens the slave by its path.

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

class PtyPair {
 public:
  PtyPair() {
    int slave = -1;
    char name[128] = {};
    if (::openpty(&master_, &slave, name, nullptr, nullptr) == 0) {
      path_ = name;
      // Keep one slave descriptor open so the master never sees a hang-up
      // between the link's close and reopen.
      slave_ = slave;
    }
  }
  ~PtyPair() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0 && !path_.empty(); }
  const std::string& path() const { return path_; }
  int master() const { return master_; }

  void Send(const std::string& bytes) const {
    [[maybe_unused]] auto n = ::write(master_, bytes.data(), bytes.size());
  }
  // Waits (up to 2 s) until `count` bytes sent from the master wait on the
  // slave side, so a test knows they are "already waiting" for the link.
  bool WaitForInput(int count) const {
    for (int i = 0; i < 2000; ++i) {
      int waiting = 0;
      if (::ioctl(slave_, FIONREAD, &waiting) == 0 && waiting >= count) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  // On Linux the master's tcgetattr reports the slave's settings.
  termios SlaveSettings() const {
    termios t{};
    ::tcgetattr(master_, &t);
    return t;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};
