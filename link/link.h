#pragma once
// The link seam: the bytes to and from the PLC, and nothing more than the
// commands use. One implementation per platform (COM port, USB device) and one
// on a virtual clock for tests.

#include <cstdint>

inline constexpr uint32_t kMaxDword = 0xFFFFFFFFu;

// The five fields of the Windows COMMTIMEOUTS record, in its order.
struct LinkTimeouts {
  uint32_t readInterval;
  uint32_t readMultiplier;
  uint32_t readConstant;
  uint32_t writeMultiplier;
  uint32_t writeConstant;
  bool operator==(const LinkTimeouts&) const = default;
};

// What every command sets: an interval of MAXDWORD with a zero multiplier, so a
// read returns at once with waiting bytes and otherwise waits up to the constant
// for the whole count.
constexpr LinkTimeouts CommandTimeouts(uint32_t constantMs) {
  return LinkTimeouts{kMaxDword, 0, constantMs, 0, constantMs};
}

// Slow: 9600 baud 7E1 for the running firmware. Fast: 115200 8N1 for the block
// transfer. Both with DTR and RTS held low.
enum class LineSettings { Slow, Fast };

class Link {
 public:
  virtual ~Link() = default;
  // One synchronous write; returns the count written (short on failure or time-out).
  virtual uint32_t Write(const uint8_t* data, uint32_t count) = 0;
  // One synchronous read of up to `count` bytes, with the semantics above;
  // returns the count read.
  virtual uint32_t Read(uint8_t* buffer, uint32_t count) = 0;
  virtual void SetTimeouts(const LinkTimeouts& timeouts) = 0;
  virtual void ApplyLineSettings(LineSettings settings) = 0;
};

// How the worker opens and closes links. A null Link* is the invalid handle.
class LinkProvider {
 public:
  virtual ~LinkProvider() = default;
  virtual Link* OpenCom(const char* portName) = 0;
  // The PLC's USB device, found afresh at every call (OpenMyDevPipe).
  virtual Link* OpenUsb(const char* suffix) = 0;
  virtual void Close(Link* link) = 0;
};

// The commands reach the link through these. An invalid (null) link behaves as
// an invalid handle does: every write and read transfers nothing.
inline uint32_t LinkWrite(Link* link, const uint8_t* data, uint32_t count) {
  return link != nullptr ? link->Write(data, count) : 0;
}
inline uint32_t LinkRead(Link* link, uint8_t* buffer, uint32_t count) {
  return link != nullptr ? link->Read(buffer, count) : 0;
}
inline void LinkSetTimeouts(Link* link, const LinkTimeouts& timeouts) {
  if (link != nullptr) link->SetTimeouts(timeouts);
}
inline void LinkApplyLineSettings(Link* link, LineSettings settings) {
  if (link != nullptr) link->ApplyLineSettings(settings);
}
