#pragma once
// The simulated PLC behind a pseudo-terminal, in real time. The master side
// stays open for the whole run; the tool opens and closes the slave side as it
// would a COM port, and a close followed by an open is the PLC's unplug and
// replug.

#include <cstdint>
#include <string>

#include "sim/simulated_plc.h"

namespace sim {

struct PtyHostOptions {
  bool paceWire = false;
  bool strictLine = false;
  bool exitAfterUpdate = false;
  double timeoutSeconds = 0;
};

class PtyHost {
 public:
  PtyHost(SimulatedPlc& plc, PtyHostOptions options);
  ~PtyHost();
  PtyHost(const PtyHost&) = delete;
  PtyHost& operator=(const PtyHost&) = delete;

  // Opens the master; false with `error` set when there is no pseudo-terminal.
  bool Open(std::string& error);
  const std::string& SlavePath() const { return slavePath_; }

  // Serves the PLC until the update is over (with exitAfterUpdate), the
  // time-out, the cable pull, or `stop` becomes nonzero.
  void Run(const volatile int& stop);

  // Microseconds since the host was created: the PLC's time base.
  uint64_t NowMicros() const;

 private:
  LineSpeed SpeedInForce(double& charUs) const;
  void CloseMaster();

  SimulatedPlc& plc_;
  PtyHostOptions options_;
  int master_ = -1;
  std::string slavePath_;
  uint64_t startNs_ = 0;
};

}  // namespace sim
