#include "protocol/block_transfer.h"

#include <cstring>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "link/exchange.h"
#include "link/link.h"
#include "protocol/constants.h"

namespace {

constexpr uint8_t kFailed = 16;
constexpr int32_t kLargeBlock = 256;
constexpr int32_t kSmallBlock = 128;
constexpr uint32_t kFrameOverhead = 5;  // STX, s, 255 - s, CRC high, CRC low
constexpr uint32_t kAckReplyLength = 1;

// The image bytes that go out: a sector model keeps its last sector.
uint32_t PayloadLength(uint32_t length) {
  return IsSectorModel(SelectedModelName()) ? length - plc::kSectorSize : length;
}

enum class BlockOutcome { Acknowledged, Unacknowledged, FlashWriteError };

BlockOutcome SendFrame(Link* link, const uint8_t* frame, uint32_t frameLength) {
  uint8_t reply[kAckReplyLength] = {};
  const ExchangeResult result =
      Exchange(link, frame, frameLength, reply, kAckReplyLength, [&](uint32_t countRead) {
        if (countRead != kAckReplyLength) return Verdict::BadReply;
        if (reply[0] == plc::kAck) return Verdict::Accept;
        // The PLC could not program the block: no further attempt, no EOT.
        if (reply[0] == plc::kFlashWriteError) return Verdict::Stop;
        return Verdict::BadReply;
      });
  switch (result) {
    case ExchangeResult::Accepted:
      return BlockOutcome::Acknowledged;
    case ExchangeResult::Stopped:
      return BlockOutcome::FlashWriteError;
    case ExchangeResult::Failed:
      break;
  }
  return BlockOutcome::Unacknowledged;
}

}  // namespace

int32_t BlockSize() {
  const char* const name = SelectedModelName();
  if (SelectedModelIs("TK") || SelectedModelIs("TK-G") || IsAioModel(name) || IsSectorModel(name)) {
    return kLargeBlock;
  }
  return kSmallBlock;
}

void FileRead(uint8_t* destination, int32_t count) {
  if (count <= 0) return;
  const auto wanted = static_cast<size_t>(count);
  size_t available = 0;
  if (fin != nullptr && finEnd != nullptr && finEnd > fin) {
    available = static_cast<size_t>(finEnd - fin);
  }
  const size_t copied = wanted < available ? wanted : available;
  if (copied > 0) {
    std::memcpy(destination, fin, copied);
    fin += copied;
  }
  std::memset(destination + copied, 0, wanted - copied);
}

uint8_t SendFW(Link* link) {
  const uint32_t length = fileLength;
  // A sector model's image shorter than its kept last sector has nothing to send
  // and no block count: refuse it before a single byte goes out.
  if (IsSectorModel(SelectedModelName()) && length < plc::kSectorSize) return kFailed;

  LinkSetTimeouts(link, CommandTimeouts(plc::kReadConstantMs));
  const int32_t blockSize = BlockSize();
  const uint32_t payload = PayloadLength(length);
  const auto unit = static_cast<uint32_t>(blockSize);
  const auto blockCount = static_cast<int32_t>(payload / unit + (payload % unit != 0 ? 1 : 0));
  const auto remainder = static_cast<int32_t>(payload % unit);

  flashStatus = 2;
  progress = 0;
  uint8_t sequence = 1;
  int32_t acknowledged = 0;

  uint8_t frame[kLargeBlock + kFrameOverhead] = {};
  const uint32_t frameLength = unit + kFrameOverhead;
  uint8_t* const data = frame + 3;
  for (int32_t block = 0; block < blockCount; ++block) {
    frame[0] = plc::kStx;
    frame[1] = sequence;
    frame[2] = static_cast<uint8_t>(255 - sequence);
    if (block >= blockCount - 1 && remainder != 0) {
      FileRead(data, remainder);
      std::memset(data + remainder, plc::kBlockFill, static_cast<size_t>(blockSize - remainder));
    } else {
      FileRead(data, blockSize);
    }
    const int crc = CRC(data, blockSize);
    data[blockSize] = static_cast<uint8_t>((crc >> 8) & 0xFF);
    data[blockSize + 1] = static_cast<uint8_t>(crc & 0xFF);

    errCounter = 0;
    switch (SendFrame(link, frame, frameLength)) {
      case BlockOutcome::Acknowledged:
        break;
      case BlockOutcome::FlashWriteError:
        return plc::kFlashWriteError;
      case BlockOutcome::Unacknowledged:
        return kFailed;
    }
    ++sequence;
    ++acknowledged;
    progress = static_cast<int32_t>(static_cast<int64_t>(acknowledged) * 100 / (blockCount + 1));
  }

  errCounter = 0;
  const uint8_t eot[] = {plc::kEot};
  uint8_t reply[kAckReplyLength] = {};
  // Only ACK ends the transfer; a 0x16 to EOT is an ordinary bad reply.
  const ExchangeResult result =
      Exchange(link, eot, 1, reply, kAckReplyLength, [&](uint32_t countRead) {
        return countRead == kAckReplyLength && reply[0] == plc::kAck ? Verdict::Accept
                                                                     : Verdict::BadReply;
      });
  if (result != ExchangeResult::Accepted) return kFailed;
  progress = 100;
  errCounter = 0;
  return 0;
}
