// The running firmware's side of the first stage: Modbus-ASCII frames.
#include <vector>

#include "protocol/constants.h"
#include "sim/simulated_plc.h"

namespace sim {

namespace {

const std::vector<uint8_t> kHandshake = {0x01};
const std::vector<uint8_t> kIdText = {'I', 'D'};
const std::vector<uint8_t> kEraseText = {'E', 'R', 'A', 'S', 'E'};
const std::vector<uint8_t> kVersion = {0x05};
const std::vector<uint8_t> kFollowUp = {0x06};

constexpr uint8_t kIllegalFunction = 0x01;
constexpr uint8_t kIllegalAddress = 0x02;
constexpr uint8_t kIllegalValue = 0x03;

// Refusal details (bytes 5 and 6): another model's request, an unknown command,
// the PLC in RUN mode.
constexpr uint8_t kRefusedRunMode = 0x01;
constexpr uint8_t kRefusedOther = 0x02;
constexpr uint8_t kRefusedWrongType = 0x01;
constexpr uint8_t kRefusedUnknown = 0x03;

}  // namespace

void SimulatedPlc::HandleFirmwareFrame(const std::vector<uint8_t>& body, uint64_t atUs) {
  const uint8_t function = body[1];
  if (function == 0x7F && body.size() == 2) {
    ++counters_.probes;
    const Fault* fault = NextFault(Request::Probe, 0);
    if (!CarriesOut(fault)) return;
    // The function is none the firmware knows: a Modbus exception.
    SendFrame({0x00, 0xFF, kIllegalFunction}, fault, atUs, config_.replyLatencyUs);
    return;
  }
  if (function == 0x03) {
    HandleRegisterRead(body, atUs);
    return;
  }
  if (function == 0x64) {
    HandleFunction64(body, atUs);
    return;
  }
  SendFrame({0x00, static_cast<uint8_t>(function | 0x80), kIllegalFunction}, nullptr, atUs,
            config_.replyLatencyUs);
}

void SimulatedPlc::HandleRegisterRead(const std::vector<uint8_t>& body, uint64_t atUs) {
  if (body.size() != 6) {
    SendFrame({0x00, 0x83, kIllegalValue}, nullptr, atUs, config_.replyLatencyUs);
    return;
  }
  const unsigned address = body[2] * 256u + body[3];
  const unsigned quantity = body[4] * 256u + body[5];
  Request request;
  uint16_t value;
  if (address == plc::kRegisterBase + plc::kD1386) {
    request = Request::ReadD1386;
    value = config_.d1386;
  } else if (address == plc::kRegisterBase + plc::kD1001) {
    request = Request::ReadD1001;
    value = config_.d1001;
  } else if (address == plc::kRegisterBase + plc::kD1148) {
    request = Request::ReadD1148;
    value = config_.d1148;
  } else {
    SendFrame({0x00, 0x83, kIllegalAddress}, nullptr, atUs, config_.replyLatencyUs);
    return;
  }
  if (quantity != 1) {
    SendFrame({0x00, 0x83, kIllegalValue}, nullptr, atUs, config_.replyLatencyUs);
    return;
  }
  ++counters_.registerReads;
  const Fault* fault = NextFault(request, 0);
  if (!CarriesOut(fault)) {
    if (fault != nullptr && fault->kind == FaultKind::Refusal) {
      SendFrame({0x00, 0x83, 0x04}, nullptr, atUs, config_.replyLatencyUs);
    }
    return;
  }
  SendFrame({0x00, 0x03, 0x02, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)},
            fault, atUs, config_.replyLatencyUs);
}

void SimulatedPlc::HandleFunction64(const std::vector<uint8_t>& body, uint64_t atUs) {
  if (body.size() < 5 || body[2] != 0x01) {
    SendFrame({0x00, 0x64, 0x01, 0x59, plc::kNak, kRefusedOther, kRefusedUnknown}, nullptr, atUs,
              config_.replyLatencyUs);
    return;
  }
  const uint8_t variant = body[3];
  const std::vector<uint8_t> command(body.begin() + 4, body.end());
  auto reply = [&](uint8_t status, uint8_t b5, uint8_t b6, const Fault* fault) {
    SendFrame({0x00, 0x64, 0x01, variant, status, b5, b6}, fault, atUs, config_.replyLatencyUs);
  };
  // True when a fault keeps the request from being carried out; a refusal
  // still answers.
  auto stopped = [&](const Fault* fault) {
    if (CarriesOut(fault)) return false;
    if (fault->kind == FaultKind::Refusal) reply(plc::kNak, fault->byte5, fault->byte6, nullptr);
    return true;
  };

  // The version query has one form for every model.
  if (command == kVersion && variant == 0x59) {
    ++counters_.versionQueries;
    const Fault* fault = NextFault(Request::VersionQuery, 0);
    if (stopped(fault)) return;
    reply(config_.firmwareVersion, 0x00, 0x00, fault);
    return;
  }

  Request request;
  if (command == kHandshake) {
    request = Request::Handshake;
  } else if (command == kIdText) {
    request = Request::IdQuery;
  } else if (command == kEraseText) {
    request = Request::EraseRequest;
  } else if (command == kFollowUp) {
    request = Request::FollowUp;
  } else {
    reply(plc::kNak, kRefusedOther, kRefusedUnknown, nullptr);
    return;
  }
  if (variant != Variant()) {
    // The other family's request: this firmware is not of that type.
    ++counters_.framesIgnored;
    if (request != Request::FollowUp) reply(plc::kNak, kRefusedOther, kRefusedWrongType, nullptr);
    return;
  }

  const bool runMode = state_ == PlcState::RunMode;
  switch (request) {
    case Request::Handshake: {
      ++counters_.handshakes;
      const Fault* fault = NextFault(request, 0);
      if (stopped(fault)) return;
      if (runMode) {
        reply(plc::kNak, kRefusedRunMode, 0x00, fault);
      } else {
        reply(plc::kReplyKindFirmware, static_cast<uint8_t>(firmwareId_ >> 8),
              static_cast<uint8_t>(firmwareId_), fault);
      }
      return;
    }
    case Request::IdQuery: {
      ++counters_.idQueries;
      const Fault* fault = NextFault(request, 0);
      if (stopped(fault)) return;
      reply(plc::kAck, static_cast<uint8_t>(firmwareId_ >> 8), static_cast<uint8_t>(firmwareId_),
            fault);
      return;
    }
    case Request::EraseRequest: {
      ++counters_.eraseRequests;
      const Fault* fault = NextFault(request, 0);
      if (stopped(fault)) return;
      if (runMode) {
        reply(plc::kNak, kRefusedRunMode, 0x00, fault);
        return;
      }
      if (rules_.eraseRequestMayGoUnanswered && config_.silentEraseRestart) {
        Event(atUs, "erase request: restart without reply");
        BeginRestart(atUs);
        return;
      }
      eraseArmed_ = true;
      reply(plc::kAck, 0x00, 0x00, fault);
      return;
    }
    case Request::FollowUp: {
      ++counters_.followUps;
      const Fault* fault = NextFault(request, 0);
      if (fault != nullptr && fault->kind == FaultKind::NoReply) return;
      if (!eraseArmed_) {
        ++counters_.framesIgnored;
        return;
      }
      BeginRestart(atUs);
      return;
    }
    default:
      return;
  }
}

}  // namespace sim
