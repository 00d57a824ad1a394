// The bootloader: bare ASCII commands found in the byte stream, then the
// numbered, CRC-checked blocks of the image.
#include <string>

#include "protocol/constants.h"
#include "sim/sim_codec.h"
#include "sim/simulated_plc.h"

namespace sim {

namespace {

// A block whose bytes stop for this long is given up; the next STX starts afresh.
constexpr uint64_t kBlockGapUs = 500000;
constexpr size_t kLongestCommand = 7;  // "VERSION"

bool EndsWith(const std::string& text, const char* word) {
  const std::string w(word);
  return text.size() >= w.size() && text.compare(text.size() - w.size(), w.size(), w) == 0;
}

}  // namespace

void SimulatedPlc::HandleBootloaderFrame(const std::vector<uint8_t>& body, uint64_t atUs) {
  // Of the first-stage frames the bootloader knows the handshake only.
  const bool handshake = body.size() == 5 && body[1] == 0x64 && body[2] == 0x01 &&
                         body[3] == Variant() && body[4] == 0x01;
  if (!handshake) {
    ++counters_.framesIgnored;
    return;
  }
  ++counters_.bootHandshakes;
  const Fault* fault = NextFault(Request::BootHandshake, 0);
  if (!CarriesOut(fault)) {
    if (fault->kind == FaultKind::Refusal) {
      SendFrame({0x00, 0x64, 0x01, Variant(), plc::kNak, fault->byte5, fault->byte6}, nullptr,
                atUs, config_.replyLatencyUs);
    }
    return;
  }
  SendFrame({0x00, 0x64, 0x01, Variant(), plc::kReplyKindBootloader,
             static_cast<uint8_t>(bootloaderId_ >> 8), static_cast<uint8_t>(bootloaderId_)},
            fault, atUs, config_.replyLatencyUs);
}

void SimulatedPlc::BootloaderByte(uint8_t byte, uint64_t atUs) {
  if (inFrame_ || byte == ':') {
    FrameByte(byte, atUs);
    return;
  }
  if (byte == plc::kEot) {
    command_.clear();
    BootloaderCommand(Request::BootEraseEot, atUs);
    return;
  }
  command_.push_back(static_cast<char>(byte));
  if (command_.size() > kLongestCommand) command_.erase(0, command_.size() - kLongestCommand);
  Request request;
  if (EndsWith(command_, "VERSION")) {
    request = Request::BootVersion;
  } else if (EndsWith(command_, "UPDATE")) {
    request = Request::BootUpdate;
  } else if (EndsWith(command_, "ERASE")) {
    request = Request::BootErase;
  } else if (EndsWith(command_, "ID")) {
    request = Request::BootId;
  } else {
    return;
  }
  command_.clear();
  BootloaderCommand(request, atUs);
}

void SimulatedPlc::BootloaderCommand(Request request, uint64_t atUs) {
  const uint32_t index = request == Request::BootErase ? erasedBytes_ / rules_.eraseUnit : 0;
  const Fault* fault = NextFault(request, index);
  if (!CarriesOut(fault)) {
    if (fault->kind == FaultKind::Refusal) {
      SendRaw(request == Request::BootId || request == Request::BootVersion
                  ? std::vector<uint8_t>{plc::kNak, fault->byte5, fault->byte6}
                  : std::vector<uint8_t>{plc::kNak},
              nullptr, atUs, config_.replyLatencyUs);
    } else if (fault->kind == FaultKind::FlashWriteError) {
      SendRaw({plc::kFlashWriteError}, nullptr, atUs, config_.replyLatencyUs);
    }
    return;
  }
  switch (request) {
    case Request::BootId:
      ++counters_.bootIds;
      SendRaw({plc::kAck, static_cast<uint8_t>(bootloaderId_ >> 8),
               static_cast<uint8_t>(bootloaderId_)},
              fault, atUs, config_.replyLatencyUs);
      break;
    case Request::BootVersion:
      ++counters_.bootVersions;
      SendRaw({plc::kAck, config_.bootVersionA, config_.bootVersionB}, fault, atUs,
              config_.replyLatencyUs);
      break;
    case Request::BootErase:
      ++counters_.erases;
      erasedBytes_ += rules_.eraseUnit;
      SendRaw({plc::kAck}, fault, atUs, config_.eraseLatencyUs);
      break;
    case Request::BootEraseEot:
      ++counters_.eraseEots;
      eraseClosed_ = true;
      SendRaw({plc::kAck}, fault, atUs, config_.replyLatencyUs);
      break;
    case Request::BootUpdate:
      if (!eraseClosed_) {
        // Programming needs an erase sequence ended by EOT first.
        Event(atUs, "UPDATE refused: erase not ended");
        SendRaw({plc::kNak}, nullptr, atUs, config_.replyLatencyUs);
        break;
      }
      ++counters_.updates;
      // The ACK still goes out at the slow speed; the blocks come at the fast one.
      SendRaw({plc::kAck}, fault, atUs, config_.replyLatencyUs);
      state_ = PlcState::Receiving;
      block_.clear();
      expectedSeq_ = 1;
      Event(atUs, "update");
      break;
    default:
      break;
  }
}

void SimulatedPlc::BlockByte(uint8_t byte, uint64_t atUs) {
  if (!block_.empty()) {
    if (atUs - lastBlockByteUs_ > kBlockGapUs) {
      ++counters_.blocksDiscarded;
      block_.clear();
    } else {
      block_.push_back(byte);
      lastBlockByteUs_ = atUs;
      if (block_.size() == rules_.blockSize + 5) JudgeBlock(atUs);
      return;
    }
  }
  if (byte == plc::kStx && state_ == PlcState::Receiving) {
    block_.assign(1, byte);
    lastBlockByteUs_ = atUs;
    return;
  }
  if (byte == plc::kEot) {
    const Fault* fault = NextFault(Request::FinalEot, 0);
    if (!CarriesOut(fault)) {
      if (fault->kind == FaultKind::Refusal) SendRaw({plc::kNak}, nullptr, atUs, 0);
      return;
    }
    ++counters_.finalEots;
    SendRaw({plc::kAck}, fault, atUs, config_.replyLatencyUs);
    if (state_ != PlcState::Done) {
      state_ = PlcState::Done;
      Event(atUs, "image complete");
    }
    return;
  }
  ++counters_.bytesIgnored;
}

void SimulatedPlc::JudgeBlock(uint64_t atUs) {
  const size_t b = rules_.blockSize;
  const std::vector<uint8_t> frame = std::move(block_);
  block_.clear();
  const uint8_t seq = frame[1];
  const uint16_t crc = static_cast<uint16_t>(frame[3 + b] << 8 | frame[4 + b]);
  const bool intact = frame[2] == static_cast<uint8_t>(255 - seq) &&
                      Crc16Xmodem(frame.data() + 3, b) == crc;
  if (intact && seq == static_cast<uint8_t>(expectedSeq_ - 1) && !image_.empty()) {
    // Our ACK was lost: acknowledge again, store nothing.
    ++counters_.duplicateBlocks;
    SendRaw({plc::kAck}, nullptr, atUs, config_.replyLatencyUs);
    return;
  }
  // Every other frame is an attempt at the block the PLC waits for.
  const uint32_t index = static_cast<uint32_t>(image_.size() / b);
  const Fault* fault = NextFault(Request::Block, index);
  if (!intact || seq != expectedSeq_) {
    ++counters_.blocksRejected;
    return;
  }
  if (!CarriesOut(fault)) {
    if (fault->kind == FaultKind::Refusal) {
      SendRaw({plc::kNak}, nullptr, atUs, config_.replyLatencyUs);
    } else if (fault->kind == FaultKind::FlashWriteError) {
      ++counters_.flashWriteErrors;
      SendRaw({plc::kFlashWriteError}, nullptr, atUs, config_.replyLatencyUs);
    }
    return;
  }
  if (config_.checkErasedRegion && image_.size() + b > erasedBytes_) {
    ++counters_.flashWriteErrors;
    Event(atUs, "block beyond the erased flash");
    SendRaw({plc::kFlashWriteError}, nullptr, atUs, config_.replyLatencyUs);
    return;
  }
  image_.insert(image_.end(), frame.begin() + 3, frame.begin() + 3 + static_cast<std::ptrdiff_t>(b));
  ++counters_.blocksAccepted;
  ++expectedSeq_;
  SendRaw({plc::kAck}, fault, atUs, config_.replyLatencyUs);
}

}  // namespace sim
