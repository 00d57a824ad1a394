#include "update/messages.h"

#include <cstring>

const char* HandshakeFailureMessage(unsigned code) {
  switch (code & 0x0Fu) {
    case 1:
    case 2:
    case 5:
      return msg::kPlcTypeWrong;
    case 6:
      return "PLC in RUN MODE";
    case 7:
      return "UNKNOWN ERROR CODE @ State 1";
    case 8:
      return "NO RESPONSE @ State 1";
    default:
      return "UNKNOWN MESSAGE";
  }
}

const char* CheckIdFailureMessage(unsigned code) {
  switch (code & 0x0Fu) {
    case 2:
    case 3:
    case 5:
      return msg::kPlcTypeWrong;
    case 7:
      return "UNKNOWN ERROR CODE @ State 2";
    case 8:
      return "NO RESPONSE @ State 2";
    default:
      return "UNKNOWN MESSAGE @ State 2";
  }
}

const char* EraseFailureMessage(unsigned code) {
  switch (code & 0x0Fu) {
    case 3:
    case 4:
    case 5:
      return msg::kPlcTypeWrong;
    case 7:
      return "UNKNOWN ERROR CODE @ State 3";
    case 8:
      return "NO RESPONSE @ State 3";
    default:
      return "UNKNOWN MESSAGE @ State 3";
  }
}

FinalMessage TransferResultMessage(uint8_t code, bool usbModel) {
  if (code == 0) {
    return usbModel ? FinalMessage{msg::kSuccessReplug, msg::kCaptionInformation, false}
                    : FinalMessage{msg::kSuccess, msg::kCaptionSuccessPlain, false};
  }
  if (code == 22) return FinalMessage{msg::kFlashWriteError, msg::kCaptionError, true};
  return FinalMessage{msg::kUpdateFailed, msg::kCaptionError, true};
}

void ComposeLinkFailure(char* out, const char* portName) {
  static constexpr char kHead[] = "CANNOT open ";
  static constexpr char kTail[] = " Port!!!";
  constexpr size_t kNameRoom = msg::kLinkFailureSlot - (sizeof kHead - 1) - (sizeof kTail - 1) - 1;
  size_t at = 0;
  std::memcpy(out, kHead, sizeof kHead - 1);
  at += sizeof kHead - 1;
  for (size_t i = 0; i < kNameRoom && portName != nullptr && portName[i] != '\0'; ++i) {
    out[at++] = portName[i];
  }
  std::memcpy(out + at, kTail, sizeof kTail);  // with its NUL
}
