#pragma once
// The simulated PLC as the tool's link, on the virtual clock: a read with
// nothing to serve waits (advances the clock) up to the read constant in force,
// and a reply that comes later stays queued for the next read. Single-threaded:
// the tool's thread drives the PLC through its own reads and writes.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/link.h"
#include "link/virtual_clock.h"
#include "sim/simulated_plc.h"

namespace sim {

enum class LinkKind { Com, Usb };

class SimLink : public Link {
 public:
  SimLink(SimulatedPlc& plc, VirtualClock& clock, LinkKind kind);

  uint32_t Write(const uint8_t* data, uint32_t count) override;
  uint32_t Read(uint8_t* buffer, uint32_t count) override;
  void SetTimeouts(const LinkTimeouts& timeouts) override;
  void ApplyLineSettings(LineSettings settings) override;

  // A closed link transfers nothing, as a stale handle would.
  void MarkClosed() { closed_ = true; }
  bool Closed() const { return closed_; }
  LinkKind Kind() const { return kind_; }

  bool HasLineSettings() const { return hasSettings_; }
  LineSettings CurrentLineSettings() const { return settings_; }
  const std::vector<LineSettings>& LineSettingsCalls() const { return lineCalls_; }
  const std::vector<LinkTimeouts>& TimeoutCalls() const { return timeoutCalls_; }
  uint32_t Writes() const { return writes_; }
  uint32_t Reads() const { return reads_; }
  uint64_t BytesWritten() const { return bytesWritten_; }

 private:
  double CharMicros() const;
  LineSpeed Speed() const;

  SimulatedPlc& plc_;
  VirtualClock& clock_;
  LinkKind kind_;
  bool closed_ = false;
  bool hasSettings_ = false;
  LineSettings settings_ = LineSettings::Slow;
  bool hasTimeouts_ = false;
  LinkTimeouts timeouts_{};
  uint64_t lineFreeUs_ = 0;  // tool-to-PLC direction busy until then
  std::vector<LineSettings> lineCalls_;
  std::vector<LinkTimeouts> timeoutCalls_;
  uint32_t writes_ = 0;
  uint32_t reads_ = 0;
  uint64_t bytesWritten_ = 0;
};

struct ProviderCounters {
  uint32_t opens = 0;        // links handed out
  uint32_t closes = 0;       // of those, closed
  uint32_t failedOpens = 0;  // null returned
  uint32_t nullCloses = 0;   // Close(nullptr): closing the invalid handle
  uint32_t strayCloses = 0;  // a link closed twice, or one we never handed out
};

// Opens and closes the simulated PLC's link for the update worker. Closing
// the link is the unplug (or the power-off) and opening it again the replug.
class SimLinkProvider : public LinkProvider {
 public:
  SimLinkProvider(SimulatedPlc& plc, VirtualClock& clock, std::string comPort = "COM3");

  // Null when the PLC is not on that port (wrong name, a USB model), when a
  // link is already open (the port is not shared), when the cable is pulled
  // or when an open was set to fail.
  Link* OpenCom(const char* portName) override;
  // Null for a COM model, a non-empty suffix, a pulled cable, a set failure.
  Link* OpenUsb(const char* suffix) override;
  void Close(Link* link) override;

  void FailNextOpens(uint32_t count) { failNextOpens_ = count; }
  // The port the PLC is on; an operator may move the cable to another.
  void SetComPort(std::string name) { comPort_ = std::move(name); }
  const ProviderCounters& Counters() const { return counters_; }
  uint32_t OpenLinks() const;
  // True when every link handed out was closed exactly once.
  bool Balanced() const;
  SimLink* Current() const;  // the link open now, if any
  const std::vector<std::unique_ptr<SimLink>>& AllLinks() const { return links_; }
  const std::vector<std::string>& Log() const { return log_; }

 private:
  Link* Open(LinkKind kind, const std::string& what, bool right);

  SimulatedPlc& plc_;
  VirtualClock& clock_;
  std::string comPort_;
  uint32_t failNextOpens_ = 0;
  ProviderCounters counters_;
  std::vector<std::unique_ptr<SimLink>> links_;
  std::vector<std::string> log_;
};

// A PLC, its clock and its provider in one, for tests.
struct SimBench {
  explicit SimBench(PlcConfig config, std::string comPort = "COM3")
      : plc(std::move(config)), links(plc, clock, std::move(comPort)) {}
  VirtualClock clock;
  SimulatedPlc plc;
  SimLinkProvider links;
};

}  // namespace sim
