#include "sim/sim_link.h"

#include <algorithm>
#include <cmath>

#include "sim/sim_codec.h"

namespace sim {

SimLink::SimLink(SimulatedPlc& plc, VirtualClock& clock, LinkKind kind)
    : plc_(plc), clock_(clock), kind_(kind) {}

double SimLink::CharMicros() const {
  if (kind_ == LinkKind::Usb) return kFastCharMicros;
  return hasSettings_ && settings_ == LineSettings::Fast ? kFastCharMicros : kSlowCharMicros;
}

LineSpeed SimLink::Speed() const {
  if (kind_ == LinkKind::Usb) return LineSpeed::Any;
  if (!hasSettings_) return LineSpeed::Other;  // whatever the port was left at
  return settings_ == LineSettings::Fast ? LineSpeed::Fast : LineSpeed::Slow;
}

uint32_t SimLink::Write(const uint8_t* data, uint32_t count) {
  ++writes_;
  if (closed_ || data == nullptr) return 0;
  const uint64_t now = clock_.NowMicros();
  plc_.Advance(now);
  // A USB device that has gone takes nothing; a COM port still sends into a
  // cable that leads nowhere.
  if (plc_.CablePulled()) return kind_ == LinkKind::Usb ? 0 : count;
  const uint32_t through = plc_.CableLets(count, now);
  const uint64_t start = std::max(now, lineFreeUs_);
  lineFreeUs_ = plc_.Receive(data, through, start, CharMicros(), Speed());
  bytesWritten_ += through;
  if (through < count && kind_ == LinkKind::Usb) return through;
  return count;
}

uint32_t SimLink::Read(uint8_t* buffer, uint32_t count) {
  ++reads_;
  if (closed_ || buffer == nullptr || count == 0) return 0;
  const uint64_t now = clock_.NowMicros();
  plc_.Advance(now);
  if (plc_.CablePulled() && kind_ == LinkKind::Usb) return 0;  // the device is gone
  if (plc_.ArrivedCount(now) > 0) {
    return static_cast<uint32_t>(plc_.Take(buffer, count, now));
  }
  if (!hasTimeouts_) return 0;
  const uint64_t totalMs =
      uint64_t{timeouts_.readMultiplier} * count + uint64_t{timeouts_.readConstant};
  const uint64_t deadline = now + totalMs * 1000;
  const uint64_t whole = plc_.ArrivalOf(count);
  const uint64_t until = (whole != 0 && whole <= deadline) ? whole : deadline;
  clock_.AdvanceTo(until);
  plc_.Advance(until);
  return static_cast<uint32_t>(plc_.Take(buffer, count, until));
}

void SimLink::SetTimeouts(const LinkTimeouts& timeouts) {
  timeoutCalls_.push_back(timeouts);
  timeouts_ = timeouts;
  hasTimeouts_ = true;
}

void SimLink::ApplyLineSettings(LineSettings settings) {
  lineCalls_.push_back(settings);
  settings_ = settings;
  hasSettings_ = true;
}

SimLinkProvider::SimLinkProvider(SimulatedPlc& plc, VirtualClock& clock, std::string comPort)
    : plc_(plc), clock_(clock), comPort_(std::move(comPort)) {}

Link* SimLinkProvider::OpenCom(const char* portName) {
  const std::string name = portName != nullptr ? portName : "";
  return Open(LinkKind::Com, "open " + name, !plc_.Rules().usb && name == comPort_);
}

Link* SimLinkProvider::OpenUsb(const char* suffix) {
  const bool emptySuffix = suffix == nullptr || *suffix == '\0';
  return Open(LinkKind::Usb, std::string("open USB") + (emptySuffix ? "" : suffix),
              plc_.Rules().usb && emptySuffix && !plc_.CablePulled());
}

Link* SimLinkProvider::Open(LinkKind kind, const std::string& what, bool right) {
  bool ok = right && OpenLinks() == 0;
  if (ok && failNextOpens_ > 0) {
    --failNextOpens_;
    ok = false;
  }
  if (!ok) {
    ++counters_.failedOpens;
    log_.push_back(what + ": failed");
    return nullptr;
  }
  ++counters_.opens;
  log_.push_back(what);
  plc_.LinkOpened(clock_.NowMicros());
  links_.push_back(std::make_unique<SimLink>(plc_, clock_, kind));
  return links_.back().get();
}

void SimLinkProvider::Close(Link* link) {
  if (link == nullptr) {
    ++counters_.nullCloses;
    log_.push_back("close invalid handle");
    return;
  }
  const auto it = std::find_if(links_.begin(), links_.end(),
                               [link](const auto& l) { return l.get() == link; });
  if (it == links_.end() || (*it)->Closed()) {
    ++counters_.strayCloses;
    log_.push_back("close: stray");
    return;
  }
  (*it)->MarkClosed();
  ++counters_.closes;
  log_.push_back("close");
  plc_.LinkClosed(clock_.NowMicros());
}

uint32_t SimLinkProvider::OpenLinks() const {
  return static_cast<uint32_t>(
      std::count_if(links_.begin(), links_.end(), [](const auto& l) { return !l->Closed(); }));
}

bool SimLinkProvider::Balanced() const {
  return counters_.opens == counters_.closes && counters_.strayCloses == 0 && OpenLinks() == 0;
}

SimLink* SimLinkProvider::Current() const {
  for (const auto& l : links_) {
    if (!l->Closed()) return l.get();
  }
  return nullptr;
}

}  // namespace sim
