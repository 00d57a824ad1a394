// Replies on their way out, and the faults the plan applies to them.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "sim/sim_codec.h"
#include "sim/simulated_plc.h"

namespace sim {

namespace {

constexpr uint8_t kNoise = 0x3F;

size_t ShortLength(const Fault& fault, size_t full) {
  if (full == 0) return 0;
  return fault.length > 0 && fault.length < full ? fault.length : full - 1;
}

}  // namespace

const Fault* SimulatedPlc::NextFault(Request request, uint32_t index) {
  const uint32_t attempt = attempts_[{request, index}]++;
  const Fault* fault = config_.faults.Find(request, attempt, index);
  if (fault != nullptr) ++counters_.faultsApplied;
  return fault;
}

bool SimulatedPlc::CarriesOut(const Fault* fault) {
  return fault == nullptr ||
         (fault->kind != FaultKind::NoReply && fault->kind != FaultKind::Refusal &&
          fault->kind != FaultKind::FlashWriteError);
}

void SimulatedPlc::SendFrame(std::vector<uint8_t> body, const Fault* fault, uint64_t atUs,
                             uint32_t latencyUs) {
  uint64_t delayUs = 0;
  if (fault != nullptr && fault->kind == FaultKind::WrongId && body.size() == 7) {
    body[5] = static_cast<uint8_t>(fault->id >> 8);
    body[6] = static_cast<uint8_t>(fault->id);
  }
  std::string text = AsciiFrame(body);
  if (fault != nullptr) {
    switch (fault->kind) {
      case FaultKind::LostReply:
        return;
      case FaultKind::BadLrc: {
        // The two digits before CR LF are the LRC; write it one off.
        static const char kDigits[] = "0123456789ABCDEF";
        const auto lrc = static_cast<uint8_t>(ModbusLrc(body) + 1);
        text[text.size() - 4] = kDigits[lrc >> 4];
        text[text.size() - 3] = kDigits[lrc & 0x0F];
        break;
      }
      case FaultKind::LowerCaseHex:
        std::transform(text.begin(), text.end(), text.begin(),
                       [](char c) { return static_cast<char>(std::tolower(c)); });
        break;
      case FaultKind::Garbage:
        std::fill(text.begin(), text.end(), static_cast<char>(kNoise));
        break;
      case FaultKind::ShortReply:
        text.resize(ShortLength(*fault, text.size()));
        break;
      case FaultKind::LateReply:
        delayUs = uint64_t{fault->delayMs} * 1000;
        break;
      default:
        break;
    }
  }
  Send(std::vector<uint8_t>(text.begin(), text.end()), atUs + latencyUs + delayUs);
}

void SimulatedPlc::SendRaw(std::vector<uint8_t> bytes, const Fault* fault, uint64_t atUs,
                           uint32_t latencyUs) {
  uint64_t delayUs = 0;
  if (fault != nullptr) {
    switch (fault->kind) {
      case FaultKind::LostReply:
        return;
      case FaultKind::WrongId:
        if (bytes.size() == 3) {
          bytes[1] = static_cast<uint8_t>(fault->id >> 8);
          bytes[2] = static_cast<uint8_t>(fault->id);
        }
        break;
      case FaultKind::BadLrc:  // raw replies carry no check: noise instead
      case FaultKind::Garbage:
        std::fill(bytes.begin(), bytes.end(), kNoise);
        break;
      case FaultKind::ShortReply:
        bytes.resize(ShortLength(*fault, bytes.size()));
        break;
      case FaultKind::LateReply:
        delayUs = uint64_t{fault->delayMs} * 1000;
        break;
      default:
        break;
    }
  }
  Send(bytes, atUs + latencyUs + delayUs);
}

void SimulatedPlc::Send(const std::vector<uint8_t>& bytes, uint64_t startUs) {
  if (bytes.empty() || cablePulled_) return;
  const uint64_t start = std::max(startUs, outputFreeUs_);
  const double charUs = config_.paceOutput ? CharMicros() : 0.0;
  uint64_t at = start;
  for (size_t i = 0; i < bytes.size(); ++i) {
    at = start + static_cast<uint64_t>(std::llround(charUs * static_cast<double>(i + 1)));
    output_.emplace_back(bytes[i], at);
  }
  outputFreeUs_ = at;
  if (config_.keepTranscript) transcript_.push_back(TranscriptEntry{start, false, bytes});
}

}  // namespace sim
