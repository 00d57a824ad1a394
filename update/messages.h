#pragma once
// Every text the worker shows the operator, and the tables that turn a failed
// command's code into one of them. The texts are the tool's own, trailing
// spaces included.

#include <cstdint>

namespace msg {

inline constexpr const char* kCaptionError = "ERROR";
inline constexpr const char* kCaptionInformation = "Information";
inline constexpr const char* kCaptionSuccessPlain = "INFORMATION";

// Image checks, before the link is opened.
inline constexpr const char* kImageMissing = "The firmware image is MISSING";
inline constexpr const char* kImageBelowSectorMinimum =
    "The file size is BELOW the MINIMUM size (4 * 1024)";

// Reconnect prompts after the stage-1 erase command.
inline constexpr const char* kReplugPrompt =
    "Please REPLUG the USB Cable, and then press OK to continue";
inline constexpr const char* kPowerCyclePrompt =
    "Please POWER OFF=>ON the PLC, and then press OK to continue";

inline constexpr const char* kPlcTypeWrong = "PLC type is WRONG";

// Stage 2.
inline constexpr const char* kNoVersionReply = "PLC DOES NOT respond to the version read";
inline constexpr const char* kNoEraseReply = "PLC DOES NOT respond to the erasing signal";
inline constexpr const char* kNoUpdateReply = "PLC DOES NOT respond to the update signal";
inline constexpr const char* kSuccessReplug =
    "Firmware update is SUCCESSFUL!, please REPLUG the USB cable";
inline constexpr const char* kSuccess = "Firmware update is SUCCESSFUL";
inline constexpr const char* kFlashWriteError =
    "Flash write error, maybe due to flash write protection. RE-POWER PLC and update FW again";
inline constexpr const char* kUpdateFailed = "Firmware update is FAILED";

// Bootloader-version gate.
inline constexpr const char* kGateV09 =
    "The bootloader version is V0.9, do not support AIO FW update";
inline constexpr const char* kGateV10 =
    "The bootloader version is V1.0, do not support AIO FW update";
inline constexpr const char* kGateUnknown =
    "The bootloader version is unknown, do not support AIO FW update";

// Variant checks of stage 1: "Check PLC, <selected> is different than <found>".
inline constexpr const char* kRc7IsNotRc28 = "Check PLC, 12RC7 is different than 28RC7";
inline constexpr const char* kRc28IsNotRc7 = "Check PLC, 28RC7 is different than 12RC7";
inline constexpr const char* kTkIsNotTk26 = "Check PLC, 12TK is different than 26TK";
inline constexpr const char* kTk26IsNotTk = "Check PLC, 26TK is different than 12TK";
inline constexpr const char* kRvNoDowngrade = "RV V4.xx CAN NOT downgrade to V3.xx ";
inline constexpr const char* kRvNoUpgrade = "RV V3.xx CAN NOT upgrade to V4.xx ";
inline constexpr const char* kQltNoDowngrade =
    "QLT-PM7 V4.xx CAN NOT downgrade to V2.xx / V3.xx ";
inline constexpr const char* kQltNoUpgrade = "QLT-PM7 V2.xx / V3.xx CAN NOT upgrade to V4.xx ";
inline constexpr const char* kPn7IsNotPm7D = "Check PLC, PM7-PN7 is different than PM7-D";
inline constexpr const char* kPm7DNoDowngrade =
    "PM7-D V4.xx CAN NOT downgrade to V2.xx / V3.xx ";
inline constexpr const char* kPm7DNoUpgrade = "PM7-D V2.xx / V3.xx CAN NOT upgrade to V4.xx ";
inline constexpr const char* kPm7Pn7NoDowngrade =
    "PM7-PN7 V4.xx CAN NOT downgrade to V2.xx / V3.xx ";
inline constexpr const char* kPm7Pn7NoUpgrade =
    "PM7-PN7 V2.xx / V3.xx CAN NOT upgrade to V4.xx ";

// "CANNOT open " + port name or "USB" + " Port!!!": a port name has at most 9
// characters, so 12 + 9 + 8 and the NUL fill the buffer exactly.
inline constexpr int kLinkFailureSlot = 30;

}  // namespace msg

// The message of a failed stage-1 step, chosen by the low four bits of its code.
const char* HandshakeFailureMessage(unsigned code);  // ConfirmComm, "State 1"
const char* CheckIdFailureMessage(unsigned code);    // CheckID_A, "State 2"
const char* EraseFailureMessage(unsigned code);      // SendErase_A, "State 3"

// The final message of a transfer, by SendFW's result.
struct FinalMessage {
  const char* text;
  const char* caption;
  bool isError;
};
FinalMessage TransferResultMessage(uint8_t code, bool usbModel);

// Writes "CANNOT open <port> Port!!!" into `out` (msg::kLinkFailureSlot bytes).
void ComposeLinkFailure(char* out, const char* portName);
