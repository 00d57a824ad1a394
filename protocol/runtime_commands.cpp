#include "protocol/runtime_commands.h"

#include <cstring>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "link/exchange.h"
#include "link/link.h"
#include "protocol/constants.h"
#include "protocol/frames.h"

namespace {

// No first-stage request carries a value computed at run time, so each is kept
// as the exact text that goes out, CR LF included.
struct Request {
  const char* text;
  uint32_t Length() const { return static_cast<uint32_t>(std::strlen(text)); }
  const uint8_t* Bytes() const { return reinterpret_cast<const uint8_t*>(text); }
};

constexpr Request kDummy{":007F81\r\n"};
constexpr Request kConfirm{":006401590141\r\n"};
constexpr Request kConfirmAio{":0064015B013F\r\n"};
constexpr Request kCheckId{":006401594944B5\r\n"};
constexpr Request kCheckIdAio{":0064015B4944B3\r\n"};
constexpr Request kReadD1386{":0003156A00017D\r\n"};
constexpr Request kReadD1001{":000313E9000100\r\n"};
constexpr Request kReadD1148{":0003147C00016C\r\n"};
constexpr Request kFuVersion{":00640159053D\r\n"};
constexpr Request kErase{":006401594552415345D2\r\n"};
constexpr Request kEraseAio{":0064015B4552415345D0\r\n"};
constexpr Request kEraseFollowUp{":00640159063C\r\n"};
constexpr Request kEraseFollowUpAio{":0064015B063A\r\n"};

bool SelectedIsAio() { return IsAioModel(SelectedModelName()); }

Request Variant(const Request& standard, const Request& aio) {
  return SelectedIsAio() ? aio : standard;
}

void ApplySlowLineSettings(Link* link) {
  // A USB link has no serial line to set; only a COM port gets the slow settings.
  if (!IsUsbModel(SelectedModelName())) LinkApplyLineSettings(link, LineSettings::Slow);
}

// Buffer positions of decoded bytes: ':' stays at 0, decoded byte k lands at k + 1.
constexpr int kByte3 = 4;
constexpr int kByte4 = 5;
constexpr int kByte5 = 6;
constexpr int kByte6 = 7;
constexpr uint8_t kStatusHexCount = 16;
constexpr uint8_t kRegisterHexCount = 12;

using StatusReply = uint8_t[kStatusReplyLength];
using RegisterReply = uint8_t[kRegisterReplyLength];

bool StatusReplyPasses(StatusReply& reply, uint32_t countRead) {
  return countRead == kStatusReplyLength && CheckLRC(reply + 1, kStatusHexCount) == 0;
}

// The code of a failed exchange, taken from the last reply as its read and
// check left the buffer. With byte 5 equal to 2, each command gives 0x10 + byte 6
// for its own two reasons (firstReason and the one after it) and 0x15 for any
// other.
unsigned FailureCode(const StatusReply& reply, uint8_t firstReason, unsigned detail1Code) {
  if (reply[kByte4] != plc::kNak) return 0x18;
  if (reply[kByte5] == 1) return detail1Code;
  if (reply[kByte5] != 2) return 0x17;
  const uint8_t reason = reply[kByte6];
  if (reason == firstReason || reason == firstReason + 1) return 0x10u + reason;
  return 0x15;
}

unsigned ReadRegister(Link* link, const Request& request) {
  LinkSetTimeouts(link, CommandTimeouts(plc::kReadConstantMs));
  RegisterReply reply{};
  const ExchangeResult result = Exchange(
      link, request.Bytes(), request.Length(), reply, kRegisterReplyLength,
      [&](uint32_t countRead) {
        return countRead == kRegisterReplyLength && CheckLRC(reply + 1, kRegisterHexCount) == 0
                   ? Verdict::Accept
                   : Verdict::BadReply;
      },
      ExchangeOptions{.clearReplyBeforeRead = true});
  if (result != ExchangeResult::Accepted) return 0;
  return static_cast<unsigned>(reply[kByte3]) * 256u + reply[kByte4];
}

// For these three models a missing or partial answer to the ERASE request
// counts as acceptance: their firmware may restart before it has answered.
bool RestartsSilentlyOnErase() {
  return SelectedModelIs("PM7-D-V2") || SelectedModelIs("PM7-D-V4") || SelectedModelIs("PN7-MOB");
}

}  // namespace

void DummyComm(Link* link) {
  ApplySlowLineSettings(link);
  LinkSetTimeouts(link, CommandTimeouts(plc::kDummyConstantMs));
  // Probes whose answers are only drained from the input, never looked at.
  uint8_t discard[kDummyReadLength] = {};
  for (int i = 0; i < 5; ++i) {
    LinkWrite(link, kDummy.Bytes(), kDummy.Length());
    LinkRead(link, discard, kDummyReadLength);
  }
  for (int i = 0; i < 5; ++i) LinkRead(link, discard, kDummyReadLength);
}

unsigned ConfirmComm(Link* link) {
  ApplySlowLineSettings(link);
  LinkSetTimeouts(link, CommandTimeouts(plc::kReadConstantMs));
  const Request request = Variant(kConfirm, kConfirmAio);
  StatusReply reply{};
  uint8_t kind = 0;
  const ExchangeResult result = Exchange(
      link, request.Bytes(), request.Length(), reply, kStatusReplyLength,
      [&](uint32_t countRead) {
        if (!StatusReplyPasses(reply, countRead)) return Verdict::BadReply;
        kind = reply[kByte4];
        if (kind != plc::kReplyKindFirmware && kind != plc::kReplyKindBootloader) {
          return Verdict::BadReply;
        }
        errCounter = 0;
        return Verdict::Accept;
      },
      ExchangeOptions{.clearReplyBeforeRead = true});
  if (result == ExchangeResult::Accepted) return kind;
  return FailureCode(reply, 1, 0x16);
}

unsigned CheckID_A(Link* link) {
  LinkSetTimeouts(link, CommandTimeouts(plc::kReadConstantMs));
  const Request request = Variant(kCheckId, kCheckIdAio);
  const uint16_t expected = selectedPLCID;
  StatusReply reply{};
  const ExchangeResult result = Exchange(
      link, request.Bytes(), request.Length(), reply, kStatusReplyLength,
      [&](uint32_t countRead) {
        if (!StatusReplyPasses(reply, countRead) || reply[kByte4] != plc::kAck) {
          return Verdict::BadReply;
        }
        const auto id = static_cast<uint16_t>(reply[kByte5] * 256 + reply[kByte6]);
        // A PLC reporting 13 also passes for a selected identifier 12.
        const bool matches = id == expected || (expected == 0x000C && id == 0x000D);
        return matches ? Verdict::Accept : Verdict::BadReply;
      },
      ExchangeOptions{.clearReplyBeforeRead = true});
  if (result == ExchangeResult::Accepted) return 0;
  return FailureCode(reply, 2, 0x17);
}

unsigned READ_D1386(Link* link) { return ReadRegister(link, kReadD1386); }
unsigned READ_D1001(Link* link) { return ReadRegister(link, kReadD1001); }
unsigned READ_D1148(Link* link) { return ReadRegister(link, kReadD1148); }

unsigned read_fu_version_A() {
  Link* const link = hSerial;
  LinkSetTimeouts(link, CommandTimeouts(plc::kReadConstantMs));
  StatusReply reply{};
  const ExchangeResult result = Exchange(
      link, kFuVersion.Bytes(), kFuVersion.Length(), reply, kStatusReplyLength,
      [&](uint32_t countRead) {
        return StatusReplyPasses(reply, countRead) ? Verdict::Accept : Verdict::BadReply;
      },
      ExchangeOptions{.clearReplyBeforeRead = true});
  return result == ExchangeResult::Accepted ? reply[kByte4] : 0u;
}

unsigned SendErase_A(Link* link) {
  LinkSetTimeouts(link, CommandTimeouts(plc::kReadConstantMs));
  const Request request = Variant(kErase, kEraseAio);
  const Request followUp = Variant(kEraseFollowUp, kEraseFollowUpAio);
  StatusReply reply{};
  const ExchangeResult result = Exchange(
      link, request.Bytes(), request.Length(), reply, kStatusReplyLength,
      [&](uint32_t countRead) {
        if (countRead != kStatusReplyLength) {
          if (!RestartsSilentlyOnErase()) return Verdict::BadReply;
          errCounter = 0;
          return Verdict::Accept;
        }
        if (CheckLRC(reply + 1, kStatusHexCount) != 0 || reply[kByte4] != plc::kAck) {
          return Verdict::BadReply;
        }
        errCounter = 0;
        if (LinkWrite(link, followUp.Bytes(), followUp.Length()) != followUp.Length()) {
          return Verdict::ShortWrite;
        }
        return Verdict::Accept;
      },
      ExchangeOptions{.clearReplyBeforeRead = true});
  if (result == ExchangeResult::Accepted) return 0;
  return FailureCode(reply, 3, 0x17);
}
