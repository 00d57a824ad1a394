// The running firmware answers each first-stage request with exactly the
// characters a PLC sends, and refuses or ignores what it would.
#include <gtest/gtest.h>

#include "tests/sim/sim_test_support.h"

using simtest::Ask;
using simtest::Frame;
using simtest::Model;
using simtest::Wire;

namespace {

struct ReplyCase {
  const char* label;
  const char* model;
  std::string request;
  uint32_t replyLength;
  std::vector<uint8_t> expectedBytes;  // the reply without its LRC
};

sim::PlcConfig Configured(const char* model) {
  sim::PlcConfig c = Model(model);
  c.d1386 = 0x4138;
  c.d1001 = 0x0045;
  c.d1148 = 0x0001;
  c.firmwareVersion = 0x10;
  return c;
}

class FirmwareReplies : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(FirmwareReplies, AreExactFrames) {
  const ReplyCase& c = GetParam();
  Wire w(Configured(c.model));
  const std::string reply = Ask(w.link, c.request, c.replyLength);
  EXPECT_EQ(reply, Frame(c.expectedBytes));
  EXPECT_EQ(reply.size(), c.replyLength);
}

INSTANTIATE_TEST_SUITE_P(
    EachRequest, FirmwareReplies,
    ::testing::Values(
        ReplyCase{"probe", "RU7", ":007F81\r\n", 11, {0x00, 0xFF, 0x01}},
        ReplyCase{"handshake", "RU7", ":006401590141\r\n", 19,
                  {0x00, 0x64, 0x01, 0x59, 0x05, 0x00, 0x0E}},
        ReplyCase{"handshake_aio", "30PN7-AIO", ":0064015B013F\r\n", 19,
                  {0x00, 0x64, 0x01, 0x5B, 0x05, 0x00, 0x0D}},
        ReplyCase{"id", "QLT-PM7-V2", ":006401594944B5\r\n", 19,
                  {0x00, 0x64, 0x01, 0x59, 0x06, 0xA0, 0x01}},
        ReplyCase{"id_aio_usb", "KQ200-AIO", ":0064015B4944B3\r\n", 19,
                  {0x00, 0x64, 0x01, 0x5B, 0x06, 0x30, 0x10}},
        ReplyCase{"d1386", "PM7-D-V2", ":0003156A00017D\r\n", 15, {0x00, 0x03, 0x02, 0x41, 0x38}},
        ReplyCase{"d1001", "PM7-D-V2", ":000313E9000100\r\n", 15, {0x00, 0x03, 0x02, 0x00, 0x45}},
        ReplyCase{"d1148", "RC28", ":0003147C00016C\r\n", 15, {0x00, 0x03, 0x02, 0x00, 0x01}},
        ReplyCase{"version", "KQ200", ":00640159053D\r\n", 19,
                  {0x00, 0x64, 0x01, 0x59, 0x10, 0x00, 0x00}},
        ReplyCase{"version_aio_standard_bytes", "PN8-AIO", ":00640159053D\r\n", 19,
                  {0x00, 0x64, 0x01, 0x59, 0x10, 0x00, 0x00}},
        ReplyCase{"erase", "RU7", ":006401594552415345D2\r\n", 19,
                  {0x00, 0x64, 0x01, 0x59, 0x06, 0x00, 0x00}},
        ReplyCase{"erase_aio", "30PN7-AIO", ":0064015B4552415345D0\r\n", 19,
                  {0x00, 0x64, 0x01, 0x5B, 0x06, 0x00, 0x00}},
        // Refusals: another family's request is the wrong PLC type (0x15, 2, 1).
        ReplyCase{"standard_request_to_aio", "30PN7-AIO", ":006401590141\r\n", 19,
                  {0x00, 0x64, 0x01, 0x59, 0x15, 0x02, 0x01}},
        ReplyCase{"aio_request_to_standard", "RU7", ":0064015B4944B3\r\n", 19,
                  {0x00, 0x64, 0x01, 0x5B, 0x15, 0x02, 0x01}},
        // A register nobody asks for: Modbus exception "illegal data address".
        ReplyCase{"unknown_register", "RU7", Frame({0x00, 0x03, 0x10, 0x00, 0x00, 0x01}),
                  11, {0x00, 0x83, 0x02}}),
    [](const auto& tc) { return std::string(tc.param.label); });

TEST(FirmwareRunMode, RefusesHandshakeAndEraseWithDetailOne) {
  sim::PlcConfig c = Model("RU7");
  c.start = sim::StartState::RunMode;
  Wire w(c);
  EXPECT_EQ(Ask(w.link, ":006401590141\r\n", 19), Frame({0x00, 0x64, 0x01, 0x59, 0x15, 0x01, 0x00}));
  EXPECT_EQ(Ask(w.link, ":006401594552415345D2\r\n", 19),
            Frame({0x00, 0x64, 0x01, 0x59, 0x15, 0x01, 0x00}));
  EXPECT_EQ(w.plc.State(), sim::PlcState::RunMode);
}

TEST(FirmwareIgnores, FramesAModbusStationWouldNotAnswer) {
  const char* const kIgnored[] = {
      ":006401590142\r\n",  // LRC one off
      ":006401594944b5\r\n",  // lower-case hex
      ":016401590140\r\n",  // another station
      ":006401590141\n",    // no CR
      "006401590141\r\n",   // no colon
  };
  for (const char* request : kIgnored) {
    Wire w(Model("RU7"));
    EXPECT_EQ(Ask(w.link, request, 19), "") << request;
    EXPECT_EQ(w.clock.NowMillis(), 3000u) << request;  // the read waited its whole constant
  }
}

TEST(FirmwareStream, FindsAFrameAfterNoiseAndSplitWrites) {
  Wire w(Model("RU7"));
  simtest::Send(w.link, "\x13garbage");
  simtest::Send(w.link, ":0064015");
  simtest::Send(w.link, "90141\r\n");
  EXPECT_EQ(simtest::ReadText(w.link, 19), Frame({0x00, 0x64, 0x01, 0x59, 0x05, 0x00, 0x0E}));
}

TEST(FirmwareFollowUp, IgnoredUnlessTheEraseRequestWasAcknowledged) {
  Wire w(Model("RU7"));
  EXPECT_EQ(Ask(w.link, ":00640159063C\r\n", 19), "");
  EXPECT_EQ(w.plc.State(), sim::PlcState::Firmware);
  Ask(w.link, ":006401594552415345D2\r\n", 19);
  EXPECT_EQ(Ask(w.link, ":00640159063C\r\n", 19), "");  // no reply: it restarts
  EXPECT_EQ(w.plc.Counters().restarts, 1u);
}

TEST(FirmwareLineSpeed, ComModelHearsNothingAtTheFastSettings) {
  Wire w(Model("RU7"));
  w.link.ApplyLineSettings(LineSettings::Fast);
  EXPECT_EQ(Ask(w.link, ":006401590141\r\n", 19), "");
  EXPECT_EQ(w.plc.Counters().bytesAtWrongSpeed, 15u);
}

TEST(FirmwareLineSpeed, ComModelHearsNothingBeforeAnySettings) {
  sim::SimulatedPlc plc(Model("RU7"));
  VirtualClock clock;
  sim::SimLink link(plc, clock, sim::LinkKind::Com);
  link.SetTimeouts(CommandTimeouts(3000));
  EXPECT_EQ(Ask(link, ":006401590141\r\n", 19), "");
}

TEST(FirmwareLineSpeed, UsbModelNeedsNoSettings) {
  sim::SimulatedPlc plc(Model("KQ200"));
  VirtualClock clock;
  sim::SimLink link(plc, clock, sim::LinkKind::Usb);
  link.SetTimeouts(CommandTimeouts(3000));
  EXPECT_EQ(Ask(link, ":006401590141\r\n", 19), Frame({0x00, 0x64, 0x01, 0x59, 0x05, 0x30, 0x10}));
}

TEST(FirmwareTiming, ReplyArrivesAfterItsWireTime) {
  Wire w(Model("RU7"));
  Ask(w.link, ":006401590141\r\n", 19);
  // 15 + 19 characters at 1.04 ms and half a millisecond to answer.
  EXPECT_NEAR(static_cast<double>(w.clock.NowMicros()), 34 * 1041.67 + 500, 5);
}

}  // namespace
