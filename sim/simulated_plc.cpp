#include "sim/simulated_plc.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "protocol/constants.h"
#include "sim/sim_codec.h"

namespace sim {

namespace {

// Two writes of the tool closer than this with no reply between them show as
// one entry of the transcript.
constexpr uint64_t kTranscriptJoinUs = 5000;

}  // namespace

SimulatedPlc::SimulatedPlc(PlcConfig config) : config_(std::move(config)) {
  const auto rules = RulesFor(config_.model);
  if (!rules) throw std::invalid_argument("unknown PLC model: " + config_.model);
  rules_ = *rules;
  firmwareId_ = config_.firmwareId.value_or(rules_.id);
  bootloaderId_ = config_.bootloaderId.value_or(rules_.bootloaderId);
  switch (config_.start) {
    case StartState::Firmware:
      state_ = PlcState::Firmware;
      break;
    case StartState::RunMode:
      state_ = PlcState::RunMode;
      break;
    case StartState::Bootloader:
      state_ = PlcState::Bootloader;
      break;
  }
}

void SimulatedPlc::Receive(uint8_t byte, uint64_t atUs, LineSpeed speed) {
  Advance(atUs);
  Record(true, byte, atUs);
  const LineSpeed expected = ExpectedSpeed();
  if (config_.checkLineSpeed && !rules_.usb && expected != LineSpeed::Any &&
      speed != LineSpeed::Any && speed != expected) {
    ++counters_.bytesAtWrongSpeed;
    return;
  }
  ReceiveByte(byte, atUs);
}

uint64_t SimulatedPlc::Receive(const uint8_t* data, size_t count, uint64_t startUs,
                               double charUs, LineSpeed speed) {
  uint64_t at = startUs;
  for (size_t i = 0; i < count; ++i) {
    at = startUs + static_cast<uint64_t>(std::llround(charUs * static_cast<double>(i + 1)));
    Receive(data[i], at, speed);
  }
  return at;
}

void SimulatedPlc::ReceiveByte(uint8_t byte, uint64_t atUs) {
  switch (state_) {
    case PlcState::Firmware:
    case PlcState::RunMode:
      FrameByte(byte, atUs);
      break;
    case PlcState::Bootloader:
      BootloaderByte(byte, atUs);
      break;
    case PlcState::Receiving:
    case PlcState::Done:  // a repeated final EOT is acknowledged again
      BlockByte(byte, atUs);
      break;
    case PlcState::Restarting:
    case PlcState::AwaitingReconnect:
      ++counters_.bytesIgnored;
      break;
  }
}

void SimulatedPlc::FrameByte(uint8_t byte, uint64_t atUs) {
  if (byte == ':') {
    if (inFrame_) ++counters_.framesIgnored;
    inFrame_ = true;
    frameText_.clear();
    return;
  }
  if (!inFrame_) {
    ++counters_.bytesIgnored;
    return;
  }
  if (byte != '\n') {
    frameText_.push_back(static_cast<char>(byte));
    if (frameText_.size() > 64) {  // no frame of either side is this long
      inFrame_ = false;
      ++counters_.framesIgnored;
    }
    return;
  }
  inFrame_ = false;
  if (frameText_.empty() || frameText_.back() != '\r') {
    ++counters_.framesIgnored;
    return;
  }
  frameText_.pop_back();
  const auto decoded = DecodeFrameBody(frameText_);
  if (!decoded || decoded->size() < 3 || (*decoded)[0] != 0x00) {
    ++counters_.framesIgnored;  // a Modbus station stays silent on a bad LRC
    return;
  }
  std::vector<uint8_t> body(decoded->begin(), decoded->end() - 1);
  if (state_ == PlcState::Bootloader) {
    HandleBootloaderFrame(body, atUs);
  } else {
    HandleFirmwareFrame(body, atUs);
  }
}

size_t SimulatedPlc::ArrivedCount(uint64_t nowUs) const {
  size_t n = 0;
  for (const auto& [byte, at] : output_) {
    if (at > nowUs) break;
    ++n;
  }
  return n;
}

uint64_t SimulatedPlc::ArrivalOf(size_t n) const {
  if (n == 0 || n > output_.size()) return 0;
  return output_[n - 1].second;
}

size_t SimulatedPlc::Take(uint8_t* buffer, size_t max, uint64_t nowUs) {
  size_t n = 0;
  while (n < max && !output_.empty() && output_.front().second <= nowUs) {
    buffer[n++] = output_.front().first;
    output_.pop_front();
  }
  return n;
}

void SimulatedPlc::LinkClosed(uint64_t atUs) {
  Advance(atUs);
  // Whatever was still on its way is lost with the link.
  output_.clear();
  ResetParsers();
  disconnected_ = true;
  Event(atUs, "link closed");
}

void SimulatedPlc::LinkOpened(uint64_t atUs) {
  Advance(atUs);
  Event(atUs, "link opened");
  if (!disconnected_) return;
  disconnected_ = false;
  if (state_ == PlcState::AwaitingReconnect) {
    ++counters_.reconnects;
    EnterBootloader(atUs, rules_.restart == RestartKind::Replug ? "replugged" : "power cycled");
  } else if (state_ == PlcState::Done && rules_.restart != RestartKind::ByItself) {
    state_ = PlcState::Firmware;  // the new firmware starts
    Event(atUs, "firmware started");
  }
}

void SimulatedPlc::PowerCycle(uint64_t atUs) {
  Advance(atUs);
  output_.clear();
  ResetParsers();
  Event(atUs, "power cycle");
  switch (state_) {
    case PlcState::Restarting:
    case PlcState::AwaitingReconnect:
    case PlcState::Bootloader:
    case PlcState::Receiving:
      // An unfinished update brings the bootloader up again.
      EnterBootloader(atUs, "power cycled");
      break;
    case PlcState::Done:
      state_ = PlcState::Firmware;
      break;
    case PlcState::Firmware:
    case PlcState::RunMode:
      break;
  }
}

void SimulatedPlc::Advance(uint64_t nowUs) {
  if (state_ == PlcState::Restarting && nowUs >= restartAtUs_) {
    EnterBootloader(restartAtUs_, "restarted");
  }
}

uint32_t SimulatedPlc::CableLets(uint32_t count, uint64_t atUs) {
  if (cablePulled_) return 0;
  const auto pullAfter = config_.faults.CablePullAfter();
  if (!pullAfter) {
    cableBytes_ += count;
    return count;
  }
  const uint64_t left = *pullAfter > cableBytes_ ? *pullAfter - cableBytes_ : 0;
  if (left >= count) {
    cableBytes_ += count;
    return count;
  }
  cableBytes_ += left;
  PullCable(atUs);
  return static_cast<uint32_t>(left);
}

void SimulatedPlc::PullCable(uint64_t atUs) {
  if (cablePulled_) return;
  cablePulled_ = true;
  output_.clear();
  ResetParsers();
  Event(atUs, "cable pulled");
}

void SimulatedPlc::PlugCable(uint64_t atUs) {
  if (!cablePulled_) return;
  cablePulled_ = false;
  Event(atUs, "cable plugged");
}

LineSpeed SimulatedPlc::ExpectedSpeed() const {
  if (rules_.usb) return LineSpeed::Any;
  return (state_ == PlcState::Receiving || state_ == PlcState::Done) ? LineSpeed::Fast
                                                                     : LineSpeed::Slow;
}

uint32_t SimulatedPlc::Attempts(Request request, uint32_t index) const {
  const auto it = attempts_.find({request, index});
  return it == attempts_.end() ? 0 : it->second;
}

bool SimulatedPlc::HoldsExactly(const uint8_t* intended, size_t length) const {
  if (!ImageComplete()) return false;
  const size_t b = rules_.blockSize;
  const size_t padded = (length + b - 1) / b * b;
  if (image_.size() != padded) return false;
  if (length > 0 && !std::equal(intended, intended + length, image_.begin())) return false;
  return std::all_of(image_.begin() + static_cast<std::ptrdiff_t>(length), image_.end(),
                     [](uint8_t v) { return v == plc::kBlockFill; });
}

bool SimulatedPlc::HoldsImage(const uint8_t* image, size_t length) const {
  if (rules_.sector && length < plc::kSectorSize) return false;
  return HoldsExactly(image, BytesSent(rules_, static_cast<uint32_t>(length)));
}

bool SimulatedPlc::HasEvent(const std::string& what) const {
  return std::any_of(events_.begin(), events_.end(),
                     [&what](const PlcEvent& e) { return e.what == what; });
}

void SimulatedPlc::BeginRestart(uint64_t atUs) {
  ++counters_.restarts;
  eraseArmed_ = false;
  ResetParsers();
  if (rules_.restart == RestartKind::ByItself) {
    state_ = PlcState::Restarting;
    restartAtUs_ = atUs + uint64_t{config_.restartDelayMs} * 1000;
    Event(atUs, "restarting");
  } else {
    state_ = PlcState::AwaitingReconnect;
    disconnected_ = false;
    Event(atUs, rules_.restart == RestartKind::Replug ? "waiting for replug"
                                                      : "waiting for power cycle");
  }
}

void SimulatedPlc::EnterBootloader(uint64_t atUs, const char* why) {
  state_ = PlcState::Bootloader;
  ResetParsers();
  erasedBytes_ = 0;
  eraseClosed_ = false;
  expectedSeq_ = 1;
  image_.clear();
  Event(atUs, std::string("bootloader (") + why + ")");
}

void SimulatedPlc::Event(uint64_t atUs, std::string what) {
  events_.push_back(PlcEvent{atUs, std::move(what)});
}

void SimulatedPlc::Record(bool toPlc, uint8_t byte, uint64_t atUs) {
  if (!config_.keepTranscript) return;
  const bool join = toPlc && !transcript_.empty() && transcript_.back().toPlc &&
                    atUs - lastInputUs_ <= kTranscriptJoinUs;
  if (toPlc) lastInputUs_ = atUs;
  if (join) {
    transcript_.back().bytes.push_back(byte);
    return;
  }
  transcript_.push_back(TranscriptEntry{atUs, toPlc, {byte}});
}

void SimulatedPlc::ResetParsers() {
  inFrame_ = false;
  frameText_.clear();
  command_.clear();
  block_.clear();
}

double SimulatedPlc::CharMicros() const {
  return ExpectedSpeed() == LineSpeed::Slow ? kSlowCharMicros : kFastCharMicros;
}

}  // namespace sim
