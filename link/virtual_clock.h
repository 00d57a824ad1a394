#pragma once
// Time for the test links and the in-process PLC: it moves only when a link
// waits, so a read that would block for 3000 ms costs nothing real and still
// shows as 3000 ms to the test.

#include <cstdint>

class VirtualClock {
 public:
  uint64_t NowMicros() const { return nowUs_; }
  uint64_t NowMillis() const { return nowUs_ / 1000; }
  void AdvanceMicros(uint64_t us) { nowUs_ += us; }
  void AdvanceMillis(uint64_t ms) { nowUs_ += ms * 1000; }
  void AdvanceTo(uint64_t us) {
    if (us > nowUs_) nowUs_ = us;
  }

 private:
  uint64_t nowUs_ = 0;
};
