// Every message a run can end with, each reached by what the simulated PLC
// does: its replies, its registers, its bootloader version, its faults.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "update/messages.h"
#include "whole_update.h"

namespace {

using sim::FaultKind;
using sim::PlcConfig;
using sim::Request;

enum class Erased { Nothing, Anything };  // whether the run may have erased flash
enum class Timer { BeforeMessage, AfterMessage };

struct Scenario {
  const char* name;
  const char* model;
  std::function<void(PlcConfig&)> setUp;
  const char* text;
  const char* caption;
  MessageIcon icon;
  Erased erased = Erased::Anything;
  Timer timer = Timer::BeforeMessage;
};

constexpr MessageIcon kErr = MessageIcon::Error;
constexpr MessageIcon kInfo = MessageIcon::Information;

auto Fault(sim::Fault fault) {
  return [fault](PlcConfig& c) { c.faults.faults.push_back(fault); };
}
auto Registers(uint16_t d1386, uint16_t d1001, uint16_t d1148) {
  return [=](PlcConfig& c) {
    c.d1386 = d1386;
    c.d1001 = d1001;
    c.d1148 = d1148;
  };
}
auto FirmwareReportsVersion(uint8_t version) {
  return [=](PlcConfig& c) { c.firmwareVersion = version; };
}
// The bootloader's VERSION reply bytes A and B give ((A * 16) + (B / 16)) mod 256.
auto BootloaderAnswersFirst(uint8_t a = 0x01, uint8_t b = 0x20) {
  return [=](PlcConfig& c) {
    c.start = sim::StartState::Bootloader;
    c.bootVersionA = a;
    c.bootVersionB = b;
  };
}
auto InBootloader(sim::Fault fault) {
  return [fault](PlcConfig& c) {
    c.start = sim::StartState::Bootloader;
    c.faults.faults.push_back(fault);
  };
}
sim::Fault NthBlock(FaultKind kind, uint32_t index, uint32_t attempts = 1) {
  sim::Fault f;
  f.request = Request::Block;
  f.kind = kind;
  f.index = index;
  f.attempts = attempts;
  return f;
}

const char* kWrong = "PLC type is WRONG";

const Scenario kScenarios[] = {
    // Handshake, "State 1".
    {"HandshakeRefusedWrongType1", "RU7", Fault(Refuse(Request::Handshake, 2, 1)), kWrong, "ERROR", kErr, Erased::Nothing},
    {"HandshakeRefusedWrongType2", "RU7", Fault(Refuse(Request::Handshake, 2, 2)), kWrong, "ERROR", kErr, Erased::Nothing},
    {"HandshakeRefusedOtherReason", "KQ200", Fault(Refuse(Request::Handshake, 2, 5)), kWrong, "ERROR", kErr, Erased::Nothing},
    {"PlcInRunMode", "RU7", [](PlcConfig& c) { c.start = sim::StartState::RunMode; }, "PLC in RUN MODE", "ERROR", kErr, Erased::Nothing},
    {"HandshakeRefusedUnknownDetail", "RU7", Fault(Refuse(Request::Handshake, 3, 0)), "UNKNOWN ERROR CODE @ State 1", "ERROR", kErr, Erased::Nothing},
    {"HandshakeUnanswered", "TK", Fault(Always(Request::Handshake, FaultKind::NoReply)), "NO RESPONSE @ State 1", "ERROR", kErr, Erased::Nothing},
    {"HandshakeGarbled", "RU7", Fault(Always(Request::Handshake, FaultKind::BadLrc)), "NO RESPONSE @ State 1", "ERROR", kErr, Erased::Nothing},
    // Identifier, "State 2".
    {"IdRefusedReason2", "RU7", Fault(Refuse(Request::IdQuery, 2, 2)), kWrong, "ERROR", kErr, Erased::Nothing},
    {"IdRefusedReason3", "KQ200-AIO", Fault(Refuse(Request::IdQuery, 2, 3)), kWrong, "ERROR", kErr, Erased::Nothing},
    {"IdRefusedOtherReason", "RU7", Fault(Refuse(Request::IdQuery, 2, 0)), kWrong, "ERROR", kErr, Erased::Nothing},
    {"IdRefusedDetail1", "RU7", Fault(Refuse(Request::IdQuery, 1, 0)), "UNKNOWN ERROR CODE @ State 2", "ERROR", kErr, Erased::Nothing},
    {"IdUnanswered", "RU7", Fault(Always(Request::IdQuery, FaultKind::NoReply)), "NO RESPONSE @ State 2", "ERROR", kErr, Erased::Nothing},
    {"IdOfAnotherModel", "RU7", [](PlcConfig& c) { c.firmwareId = 0x000F; }, "NO RESPONSE @ State 2", "ERROR", kErr, Erased::Nothing},
    // Erase command, "State 3".
    {"EraseRefusedReason3", "RU7", Fault(Refuse(Request::EraseRequest, 2, 3)), kWrong, "ERROR", kErr},
    {"EraseRefusedReason4", "RU7", Fault(Refuse(Request::EraseRequest, 2, 4)), kWrong, "ERROR", kErr},
    {"EraseRefusedOtherReason", "KQ200", Fault(Refuse(Request::EraseRequest, 2, 1)), kWrong, "ERROR", kErr},
    {"EraseRefusedDetail3", "RU7", Fault(Refuse(Request::EraseRequest, 3, 0)), "UNKNOWN ERROR CODE @ State 3", "ERROR", kErr},
    {"EraseUnanswered", "RU7", Fault(Always(Request::EraseRequest, FaultKind::NoReply)), "NO RESPONSE @ State 3", "ERROR", kErr},
    // Variant checks: nothing is erased after a refusal.
    {"Rc7SelectedForRc28", "RC7", Registers(0, 0, 1), "Check PLC, 12RC7 is different than 28RC7", "ERROR", kErr, Erased::Nothing},
    {"Rc28SelectedForRc7", "RC28", Registers(0, 0, 0), "Check PLC, 28RC7 is different than 12RC7", "ERROR", kErr, Erased::Nothing},
    {"Rc28RegisterUnreadable", "RC28", [](PlcConfig& c) { c.d1148 = 1; c.faults.faults.push_back(Always(Request::ReadD1148, FaultKind::NoReply)); }, "Check PLC, 28RC7 is different than 12RC7", "ERROR", kErr, Erased::Nothing},
    {"TkSelectedForTk26", "TK", Registers(0, 0, 2), "Check PLC, 12TK is different than 26TK", "ERROR", kErr, Erased::Nothing},
    {"Tk26SelectedForTk", "TK26", Registers(0, 0, 0), "Check PLC, 26TK is different than 12TK", "ERROR", kErr, Erased::Nothing},
    {"RvV3SelectedForV4", "RV-V3", Registers(0, 0x40, 0), "RV V4.xx CAN NOT downgrade to V3.xx ", "ERROR", kErr, Erased::Nothing},
    {"RvV4SelectedForV3", "RV-V4", Registers(0, 0x3F, 0), "RV V3.xx CAN NOT upgrade to V4.xx ", "ERROR", kErr, Erased::Nothing},
    {"QltV2SelectedForV4", "QLT-PM7-V2", Registers(0, 0x41, 0), "QLT-PM7 V4.xx CAN NOT downgrade to V2.xx / V3.xx ", "ERROR", kErr, Erased::Nothing},
    {"QltV4SelectedForV2", "QLT-PM7-V4", Registers(0, 0x20, 0), "QLT-PM7 V2.xx / V3.xx CAN NOT upgrade to V4.xx ", "ERROR", kErr, Erased::Nothing},
    {"Pm7Pn7SelectedForPm7D", "PM7-PN7-V2", Registers(0x4137, 0x30, 0), "Check PLC, PM7-PN7 is different than PM7-D", "ERROR", kErr, Erased::Nothing},
    {"Pm7DV2SelectedForV4", "PM7-D-V2", Registers(0x4138, 0x40, 0), "PM7-D V4.xx CAN NOT downgrade to V2.xx / V3.xx ", "ERROR", kErr, Erased::Nothing},
    {"Pm7DV4SelectedForV2", "PM7-D-V4", Registers(0x4138, 0x30, 0), "PM7-D V2.xx / V3.xx CAN NOT upgrade to V4.xx ", "ERROR", kErr, Erased::Nothing},
    {"Pm7DV4SelectedForPn7V4", "PM7-D-V4", Registers(0, 0x45, 0), "PM7-PN7 V4.xx CAN NOT downgrade to V2.xx / V3.xx ", "ERROR", kErr, Erased::Nothing},
    {"Pm7Pn7V4SelectedForV2", "PM7-PN7-V4", Registers(0x1111, 0x30, 0), "PM7-PN7 V2.xx / V3.xx CAN NOT upgrade to V4.xx ", "ERROR", kErr, Erased::Nothing},
    // Bootloader-version gate, stage 1: the timer stops after the message.
    {"Kq200AioBootloaderV09", "KQ200-AIO", FirmwareReportsVersion(0x09), "The bootloader version is V0.9, do not support AIO FW update", "ERROR", kErr, Erased::Nothing, Timer::AfterMessage},
    {"Kq200AioBootloaderV0F", "KQ200-AIO", FirmwareReportsVersion(0x0F), "The bootloader version is unknown, do not support AIO FW update", "ERROR", kErr, Erased::Nothing, Timer::AfterMessage},
    {"Rv8AioVersionUnreadable", "RV8-AIO", Fault(Always(Request::VersionQuery, FaultKind::NoReply)), "The bootloader version is unknown, do not support AIO FW update", "ERROR", kErr, Erased::Nothing, Timer::AfterMessage},
    {"Pn8AioBootloaderV10", "PN8-AIO", FirmwareReportsVersion(0x10), "The bootloader version is V1.0, do not support AIO FW update", "ERROR", kErr, Erased::Nothing, Timer::AfterMessage},
    {"Pn8AioBootloaderV11", "PN8-AIO", FirmwareReportsVersion(0x11), "The bootloader version is unknown, do not support AIO FW update", "ERROR", kErr, Erased::Nothing, Timer::AfterMessage},
    // Stage 2, the bootloader answering from the start.
    {"BootIdOfAnotherModel", "KQ200", InBootloader(Always(Request::BootId, FaultKind::WrongId)), kWrong, "ERROR", kErr, Erased::Nothing},
    {"BootVersionUnanswered", "KQ200", InBootloader(Always(Request::BootVersion, FaultKind::NoReply)), "PLC DOES NOT respond to the version read", "ERROR", kErr, Erased::Nothing},
    {"BootGateV09", "RV8-AIO", BootloaderAnswersFirst(0x00, 0x90), "The bootloader version is V0.9, do not support AIO FW update", "ERROR", kErr, Erased::Nothing, Timer::AfterMessage},
    {"BootGateV10", "PN8-AIO", BootloaderAnswersFirst(0x01, 0x00), "The bootloader version is V1.0, do not support AIO FW update", "ERROR", kErr, Erased::Nothing, Timer::AfterMessage},
    {"BootGateUnknown", "KQ200-AIO", BootloaderAnswersFirst(0x00, 0xF0), "The bootloader version is unknown, do not support AIO FW update", "ERROR", kErr, Erased::Nothing, Timer::AfterMessage},
    {"SectorEraseUnanswered", "KQ200", InBootloader(Always(Request::BootErase, FaultKind::NoReply)), "PLC DOES NOT respond to the erasing signal", "ERROR", kErr},
    {"EraseEotUnanswered", "RU7", InBootloader(Always(Request::BootEraseEot, FaultKind::NoReply)), "PLC DOES NOT respond to the erasing signal", "ERROR", kErr},
    {"UpdateUnanswered", "TK", InBootloader(Always(Request::BootUpdate, FaultKind::NoReply)), "PLC DOES NOT respond to the update signal", "ERROR", kErr},
    {"FlashWriteError", "RU7", InBootloader(NthBlock(FaultKind::FlashWriteError, 3)), "Flash write error, maybe due to flash write protection. RE-POWER PLC and update FW again", "ERROR", kErr},
    {"BlockUnanswered", "KQ300", InBootloader(NthBlock(FaultKind::NoReply, 2, 6)), "Firmware update is FAILED", "ERROR", kErr},
    {"FinalEotUnanswered", "RU7", InBootloader(Always(Request::FinalEot, FaultKind::NoReply)), "Firmware update is FAILED", "ERROR", kErr},
    {"SuccessOverUsb", "TK", [](PlcConfig&) {}, "Firmware update is SUCCESSFUL!, please REPLUG the USB cable", "Information", kInfo},
    {"SuccessOverCom", "RU7", [](PlcConfig&) {}, "Firmware update is SUCCESSFUL", "INFORMATION", kInfo},
};

void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name << " (" << s.model << ")"; }

class EveryMessage : public ::testing::TestWithParam<Scenario> {};

TEST_P(EveryMessage, EndsTheRunWithItsTextCaptionAndIcon) {
  const Scenario& s = GetParam();
  PlcConfig config;
  config.model = s.model;
  s.setUp(config);
  WholeUpdate update(config, PatternImage(IsSectorModel(s.model) ? 12288 : 3000));
  update.Run();
  ASSERT_TRUE(update.EndedCleanly());

  const OperatorEvent final = update.ui.FinalMessage();
  EXPECT_EQ(final.text, s.text);
  EXPECT_EQ(final.caption, s.caption);
  EXPECT_EQ(final.icon, s.icon);

  const int message = update.ui.IndexOfLast(OperatorEvent::Message);
  const int stop = update.ui.IndexOfLast(OperatorEvent::StopTimer);
  ASSERT_GE(stop, 0);
  if (s.timer == Timer::BeforeMessage) {
    EXPECT_LT(stop, message);
  } else {
    EXPECT_GT(stop, message);
  }
  if (s.erased == Erased::Nothing) {
    EXPECT_EQ(update.bench.plc.Counters().eraseRequests, 0u);
    EXPECT_EQ(update.bench.plc.Counters().erases, 0u);
  }
  const bool success = final.icon == MessageIcon::Information;
  const auto& bytes = update.image.Bytes();
  EXPECT_EQ(update.bench.plc.HoldsImage(bytes.data(), bytes.size()), success);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, EveryMessage, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& param) {
                           return std::string(param.param.name);
                         });

// Codes no command returns still have a message: the tables' catch-alls.
TEST(FailureTables, CodesNoCommandReturnsFallToTheCatchAll) {
  for (unsigned code : {0x10u, 0x13u, 0x14u, 0x19u, 0x1Fu}) {
    EXPECT_STREQ(HandshakeFailureMessage(code), "UNKNOWN MESSAGE") << code;
  }
  for (unsigned code : {0x10u, 0x11u, 0x14u, 0x16u, 0x1Au}) {
    EXPECT_STREQ(CheckIdFailureMessage(code), "UNKNOWN MESSAGE @ State 2") << code;
  }
  for (unsigned code : {0x10u, 0x11u, 0x12u, 0x16u, 0x1Fu}) {
    EXPECT_STREQ(EraseFailureMessage(code), "UNKNOWN MESSAGE @ State 3") << code;
  }
}

}  // namespace
