#pragma once
// Talking to the simulated PLC from a test, byte by byte, with the test's own
// LRC so that the simulator's framing is checked, not restated.

#include <cstdint>
#include <string>
#include <vector>

#include "link/link.h"
#include "sim/sim_link.h"

namespace simtest {

// ':' + hex + LRC + CR LF of `bytes`, built here and not by the simulator.
inline std::string Frame(const std::vector<uint8_t>& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  int sum = 0;
  std::string out = ":";
  for (uint8_t b : bytes) {
    sum += b;
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  const int lrc = (-sum) & 0xFF;
  out += kHex[lrc >> 4];
  out += kHex[lrc & 15];
  out += "\r\n";
  return out;
}

inline void Send(Link& link, const std::string& text) {
  link.Write(reinterpret_cast<const uint8_t*>(text.data()), static_cast<uint32_t>(text.size()));
}

inline std::string ReadText(Link& link, uint32_t count) {
  std::string out(count, '\0');
  const uint32_t n = link.Read(reinterpret_cast<uint8_t*>(out.data()), count);
  out.resize(n);
  return out;
}

inline std::string Ask(Link& link, const std::string& request, uint32_t replyLength) {
  Send(link, request);
  return ReadText(link, replyLength);
}

inline std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

// A COM or USB link straight on a PLC, at the slow settings and 3000 ms.
struct Wire {
  explicit Wire(sim::PlcConfig config)
      : plc(std::move(config)),
        link(plc, clock, plc.Rules().usb ? sim::LinkKind::Usb : sim::LinkKind::Com) {
    link.SetTimeouts(CommandTimeouts(3000));
    if (!plc.Rules().usb) link.ApplyLineSettings(LineSettings::Slow);
  }
  VirtualClock clock;
  sim::SimulatedPlc plc;
  sim::SimLink link;
};

inline sim::PlcConfig Model(const std::string& name) {
  sim::PlcConfig c;
  c.model = name;
  return c;
}

}  // namespace simtest
