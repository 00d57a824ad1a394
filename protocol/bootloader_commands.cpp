#include "protocol/bootloader_commands.h"

#include <initializer_list>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "link/exchange.h"
#include "link/link.h"
#include "protocol/constants.h"

namespace {

constexpr uint8_t kFailed = 16;

constexpr uint8_t kId[] = {'I', 'D'};
constexpr uint8_t kVersion[] = {'V', 'E', 'R', 'S', 'I', 'O', 'N'};
constexpr uint8_t kErase[] = {'E', 'R', 'A', 'S', 'E'};
constexpr uint8_t kUpdate[] = {'U', 'P', 'D', 'A', 'T', 'E'};
constexpr uint8_t kEot[] = {plc::kEot};

constexpr uint32_t kIdReplyLength = 3;
constexpr uint32_t kAckReplyLength = 1;

template <size_t N>
constexpr uint32_t LengthOf(const uint8_t (&)[N]) {
  return static_cast<uint32_t>(N);
}

// One command answered by a single ACK byte.
ExchangeResult ExchangeForAck(Link* link, const uint8_t* request, uint32_t length,
                              uint8_t maxFailures = 6) {
  uint8_t reply[kAckReplyLength] = {};
  return Exchange(
      link, request, length, reply, kAckReplyLength,
      [&](uint32_t countRead) {
        return countRead == kAckReplyLength && reply[0] == plc::kAck ? Verdict::Accept
                                                                     : Verdict::BadReply;
      },
      ExchangeOptions{.maxFailures = maxFailures});
}

bool SelectedIsOneOf(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (SelectedModelIs(name)) return true;
  }
  return false;
}

uint32_t CeilDiv(uint32_t value, uint32_t unit) {
  return value / unit + (value % unit != 0 ? 1 : 0);
}

}  // namespace

uint8_t CheckID_B(Link* link) {
  LinkSetTimeouts(link, CommandTimeouts(plc::kReadConstantMs));
  const uint16_t expected = selectedPLCID;
  const bool usb = IsUsbModel(SelectedModelName());
  uint8_t reply[kIdReplyLength] = {};
  const ExchangeResult result =
      Exchange(link, kId, LengthOf(kId), reply, kIdReplyLength, [&](uint32_t countRead) {
        if (countRead != kIdReplyLength || reply[0] != plc::kAck) return Verdict::BadReply;
        const auto id = static_cast<uint16_t>(reply[1] * 256 + reply[2]);
        if (usb) {
          if (id != expected) return Verdict::BadReply;
          errCounter = 0;
          return Verdict::Accept;
        }
        // A PLC reporting 13 also passes for a selected identifier 12; on this
        // path errCounter keeps the count set before the read.
        if (expected == 0x000C)
          return id == 0x000C || id == 0x000D ? Verdict::Accept : Verdict::BadReply;
        // COM bootloaders report the identifier without its top bit.
        if (id != (expected & 0x7FFF)) return Verdict::BadReply;
        errCounter = 0;
        return Verdict::Accept;
      });
  return result == ExchangeResult::Accepted ? 0 : kFailed;
}

uint8_t read_fu_version_B() {
  Link* const link = hSerial;
  LinkSetTimeouts(link, CommandTimeouts(plc::kReadConstantMs));
  uint8_t reply[kIdReplyLength] = {};
  const ExchangeResult result =
      Exchange(link, kVersion, LengthOf(kVersion), reply, kIdReplyLength, [&](uint32_t countRead) {
        return countRead == kIdReplyLength && reply[0] == plc::kAck ? Verdict::Accept
                                                                    : Verdict::BadReply;
      });
  if (result != ExchangeResult::Accepted) return kFailed;
  // Low nibble of A is the major number, high nibble of B the minor one.
  KQ_fu_version = static_cast<uint8_t>(reply[1] * 16 + reply[2] / 16);
  errCounter = 0;
  return 0;
}

uint16_t EraseCount(uint32_t length) {
  const char* const name = SelectedModelName();
  uint32_t count = 0;
  if (SelectedIsOneOf({"PM7-D-V2", "PM7-D-V4", "PN7-MOB", "RC28", "PM7-F", "TK26"})) {
    count = length / 131072 + 1;
  } else if (SelectedIsOneOf({"TK", "TK-G"})) {
    count = length / 16384 + 1;
  } else if (IsSectorModel(name)) {
    // The image's last 4 KiB is never sent, so it needs no erase either.
    count = length < plc::kSectorSize ? 0 : CeilDiv(length - plc::kSectorSize, plc::kSectorSize);
  } else if (SelectedIsOneOf({"KQ200-AIO", "PN8-AIO", "RV8-AIO"})) {
    count = CeilDiv(length, 2048);
  } else if (SelectedModelIs("30PN7-AIO")) {
    count = 4;
  } else {
    count = length / 2048 + 1;
  }
  return static_cast<uint16_t>(count);
}

uint8_t SendErase_B(Link* link) {
  const uint32_t length = fileLength;
  const bool sector = IsSectorModel(SelectedModelName());
  // A sector model's image ends in one whole sector that is never sent; a
  // shorter image has no erase count and would be read past its end.
  if (sector && length < plc::kSectorSize) return kFailed;

  LinkSetTimeouts(link, CommandTimeouts(plc::kReadConstantMs));
  const uint16_t count = EraseCount(length);
  flashStatus = 1;
  progress = 0;
  for (uint16_t k = 0; k < count; ++k) {
    // A sector model gets one attempt per ERASE; the EOT below gets the full six.
    const uint8_t maxFailures = sector ? 1 : 6;
    if (ExchangeForAck(link, kErase, LengthOf(kErase), maxFailures) != ExchangeResult::Accepted) {
      return kFailed;
    }
    errCounter = 0;
    progress = static_cast<int32_t>(static_cast<uint32_t>(k) * 100u / count);
  }
  if (ExchangeForAck(link, kEot, LengthOf(kEot)) != ExchangeResult::Accepted) return kFailed;
  errCounter = 0;
  progress = 100;
  return 0;
}

uint8_t SendUpdate(Link* link) {
  LinkSetTimeouts(link, CommandTimeouts(plc::kReadConstantMs));
  if (ExchangeForAck(link, kUpdate, LengthOf(kUpdate)) != ExchangeResult::Accepted) return kFailed;
  LinkApplyLineSettings(link, LineSettings::Fast);
  errCounter = 0;
  return 0;
}
