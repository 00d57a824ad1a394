// The in-process link and its provider on the virtual clock: read waiting,
// late replies, the open/close bookkeeping, the restart and reconnect rules,
// the cable, and the faults a plan puts into the replies.
#include <gtest/gtest.h>

#include "sim/sim_codec.h"
#include "tests/sim/sim_test_support.h"

using simtest::Ask;
using simtest::Bytes;
using simtest::Frame;
using simtest::Model;
using simtest::Wire;

namespace {

const std::string kHandshake = ":006401590141\r\n";
const std::string kErase = ":006401594552415345D2\r\n";
const std::string kFollowUp = ":00640159063C\r\n";
const std::string kHandshakeReply = Frame({0x00, 0x64, 0x01, 0x59, 0x05, 0x00, 0x0E});  // RU7

sim::Fault On(sim::Request r, sim::FaultKind k, uint32_t attempt = 0, uint32_t attempts = 1) {
  sim::Fault f;
  f.request = r;
  f.kind = k;
  f.attempt = attempt;
  f.attempts = attempts;
  return f;
}

TEST(SimLinkRead, WithNothingToServeWaitsTheWholeConstant) {
  Wire w(Model("RU7"));
  EXPECT_EQ(simtest::ReadText(w.link, 19), "");
  EXPECT_EQ(w.clock.NowMillis(), 3000u);
  w.link.SetTimeouts(CommandTimeouts(200));
  EXPECT_EQ(simtest::ReadText(w.link, 11), "");
  EXPECT_EQ(w.clock.NowMillis(), 3200u);
}

TEST(SimLinkRead, ReturnsAtOnceWithWhatIsWaiting) {
  Wire w(Model("RU7"));
  simtest::Send(w.link, kHandshake);
  EXPECT_EQ(simtest::ReadText(w.link, 5), kHandshakeReply.substr(0, 5));
  w.clock.AdvanceMillis(50);  // the rest has come meanwhile
  const uint64_t before = w.clock.NowMicros();
  EXPECT_EQ(simtest::ReadText(w.link, 100), kHandshakeReply.substr(5));  // the rest, at once
  EXPECT_EQ(w.clock.NowMicros(), before);
}

TEST(SimLinkRead, LateReplyStaysQueuedForTheNextRead) {
  sim::PlcConfig c = Model("RU7");
  c.faults.faults.push_back(On(sim::Request::Handshake, sim::FaultKind::LateReply));
  Wire w(c);
  EXPECT_EQ(Ask(w.link, kHandshake, 19), "");
  EXPECT_EQ(w.clock.NowMillis(), 3000u);
  // The second request's read finds the first, late reply; the second one waits behind it.
  EXPECT_EQ(Ask(w.link, kHandshake, 19), kHandshakeReply);
  EXPECT_EQ(simtest::ReadText(w.link, 19), kHandshakeReply);
}

struct ReplyFaultCase {
  const char* label;
  sim::Fault fault;
  std::string expected;
};

class HandshakeFaults : public ::testing::TestWithParam<ReplyFaultCase> {};

TEST_P(HandshakeFaults, ChangeTheReplyAsPlanned) {
  const ReplyFaultCase& c = GetParam();
  sim::PlcConfig config = Model("RU7");
  config.faults.faults.push_back(c.fault);
  Wire w(config);
  EXPECT_EQ(Ask(w.link, kHandshake, 19), c.expected);
  EXPECT_EQ(Ask(w.link, kHandshake, 19), kHandshakeReply);  // only the first attempt is hit
}

sim::Fault Refusal(uint8_t b5, uint8_t b6) {
  sim::Fault f = On(sim::Request::Handshake, sim::FaultKind::Refusal);
  f.byte5 = b5;
  f.byte6 = b6;
  return f;
}
sim::Fault WrongId(uint16_t id) {
  sim::Fault f = On(sim::Request::Handshake, sim::FaultKind::WrongId);
  f.id = id;
  return f;
}
sim::Fault Short(uint32_t length) {
  sim::Fault f = On(sim::Request::Handshake, sim::FaultKind::ShortReply);
  f.length = length;
  return f;
}
std::string Lower(std::string s) {
  for (char& ch : s) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return s;
}
std::string WithLrc(std::string frame, const char* lrc) {
  frame.replace(frame.size() - 4, 2, lrc);
  return frame;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, HandshakeFaults,
    ::testing::Values(
        ReplyFaultCase{"noreply", On(sim::Request::Handshake, sim::FaultKind::NoReply), ""},
        ReplyFaultCase{"lost", On(sim::Request::Handshake, sim::FaultKind::LostReply), ""},
        ReplyFaultCase{"refusal", Refusal(2, 3), Frame({0x00, 0x64, 0x01, 0x59, 0x15, 2, 3})},
        ReplyFaultCase{"wrongid", WrongId(0x1234), Frame({0x00, 0x64, 0x01, 0x59, 0x05, 0x12, 0x34})},
        ReplyFaultCase{"badlrc", On(sim::Request::Handshake, sim::FaultKind::BadLrc),
                       WithLrc(kHandshakeReply, "30")},
        ReplyFaultCase{"lowercase", On(sim::Request::Handshake, sim::FaultKind::LowerCaseHex),
                       Lower(kHandshakeReply)},
        ReplyFaultCase{"garbage", On(sim::Request::Handshake, sim::FaultKind::Garbage),
                       std::string(19, '?')},
        ReplyFaultCase{"short", Short(0), kHandshakeReply.substr(0, 18)},
        ReplyFaultCase{"short7", Short(7), kHandshakeReply.substr(0, 7)}),
    [](const auto& tc) { return std::string(tc.param.label); });

TEST(SimLinkFaults, RunOfAttemptsAndAnyRequest) {
  sim::PlcConfig c = Model("RU7");
  c.faults.faults.push_back(On(sim::Request::Any, sim::FaultKind::NoReply, 1, 2));
  Wire w(c);
  EXPECT_EQ(Ask(w.link, kHandshake, 19), kHandshakeReply);  // attempt 0
  EXPECT_EQ(Ask(w.link, kHandshake, 19), "");               // 1
  EXPECT_EQ(Ask(w.link, kHandshake, 19), "");               // 2
  EXPECT_EQ(Ask(w.link, kHandshake, 19), kHandshakeReply);  // 3
  EXPECT_EQ(w.plc.Attempts(sim::Request::Handshake), 4u);
}

sim::PlcConfig InBootloader(const char* model) {
  sim::PlcConfig c = Model(model);
  c.start = sim::StartState::Bootloader;
  return c;
}

std::string Block(uint8_t seq, size_t size) {
  std::vector<uint8_t> data(size, static_cast<uint8_t>(seq));
  std::string f = {0x02, static_cast<char>(seq), static_cast<char>(255 - seq)};
  f.append(data.begin(), data.end());
  const uint16_t crc = sim::Crc16Xmodem(data.data(), data.size());
  f.push_back(static_cast<char>(crc >> 8));
  f.push_back(static_cast<char>(crc & 0xFF));
  return f;
}

TEST(SimLinkFaults, BlockFaultsByIndexAndAttempt) {
  sim::PlcConfig c = InBootloader("TK");
  sim::Fault noAck = On(sim::Request::Block, sim::FaultKind::NoReply, 0, 2);
  noAck.index = 1;
  sim::Fault writeError = On(sim::Request::Block, sim::FaultKind::FlashWriteError);
  writeError.index = 2;
  c.faults.faults = {noAck, writeError, On(sim::Request::FinalEot, sim::FaultKind::NoReply)};
  Wire w(c);
  for (const char* word : {"ERASE", "\x04", "UPDATE"}) ASSERT_EQ(Ask(w.link, word, 1), Bytes({6}));
  EXPECT_EQ(Ask(w.link, Block(1, 256), 1), Bytes({6}));
  EXPECT_EQ(Ask(w.link, Block(2, 256), 1), "");
  EXPECT_EQ(Ask(w.link, Block(2, 256), 1), "");
  EXPECT_EQ(Ask(w.link, Block(2, 256), 1), Bytes({6}));
  EXPECT_EQ(Ask(w.link, Block(3, 256), 1), Bytes({0x16}));
  EXPECT_EQ(Ask(w.link, Block(3, 256), 1), Bytes({6}));
  EXPECT_EQ(Ask(w.link, "\x04", 1), "");
  EXPECT_EQ(Ask(w.link, "\x04", 1), Bytes({6}));
  EXPECT_EQ(w.plc.Counters().blocksAccepted, 3u);
  EXPECT_EQ(w.plc.ReceivedImage().size(), 768u);
}

// After the erase request and its follow-up: when does the bootloader answer?
struct RestartCase {
  const char* model;
  sim::RestartKind kind;
};

class Restart : public ::testing::TestWithParam<RestartCase> {};

TEST_P(Restart, BootloaderAppearsAsTheModelDoes) {
  const RestartCase& c = GetParam();
  sim::SimBench bench(Model(c.model));
  const bool usb = bench.plc.Rules().usb;
  Link* link = usb ? bench.links.OpenUsb("") : bench.links.OpenCom("COM3");
  ASSERT_NE(link, nullptr);
  link->SetTimeouts(CommandTimeouts(3000));
  link->ApplyLineSettings(LineSettings::Slow);
  const std::string handshake = bench.plc.Rules().aio ? ":0064015B013F\r\n" : kHandshake;
  const std::string erase = bench.plc.Rules().aio ? ":0064015B4552415345D0\r\n" : kErase;
  const std::string followUp = bench.plc.Rules().aio ? ":0064015B063A\r\n" : kFollowUp;
  ASSERT_EQ(Ask(*link, handshake, 19).substr(0, 11).substr(9), "05");
  EXPECT_EQ(bench.plc.Rules().restart, c.kind);
  if (bench.plc.Rules().eraseRequestMayGoUnanswered) {
    EXPECT_EQ(Ask(*link, erase, 19), "");  // restarts on the request itself
  } else {
    ASSERT_EQ(Ask(*link, erase, 19).size(), 19u);
    simtest::Send(*link, followUp);
  }
  if (c.kind == sim::RestartKind::ByItself) {
    bench.clock.AdvanceMillis(1000);  // the tool's one-second wait
    EXPECT_EQ(Ask(*link, handshake, 19).substr(9, 2), "06");
    bench.links.Close(link);
  } else {
    bench.clock.AdvanceMillis(10000);
    EXPECT_EQ(Ask(*link, handshake, 19), "") << "the old link hears nothing";
    bench.links.Close(link);
    bench.clock.AdvanceMillis(5000);
    Link* again = usb ? bench.links.OpenUsb("") : bench.links.OpenCom("COM3");
    ASSERT_NE(again, nullptr);
    again->SetTimeouts(CommandTimeouts(3000));
    again->ApplyLineSettings(LineSettings::Slow);
    EXPECT_EQ(Ask(*again, handshake, 19).substr(9, 2), "06");
    EXPECT_EQ(bench.plc.Counters().reconnects, 1u);
    bench.links.Close(again);
  }
  EXPECT_EQ(bench.plc.State(), sim::PlcState::Bootloader);
  EXPECT_TRUE(bench.links.Balanced());
}

INSTANTIATE_TEST_SUITE_P(Kinds, Restart,
                         ::testing::Values(RestartCase{"RU7", sim::RestartKind::ByItself},
                                           RestartCase{"30PN7-AIO", sim::RestartKind::ByItself},
                                           RestartCase{"KQ200", sim::RestartKind::Replug},
                                           RestartCase{"TK26", sim::RestartKind::Replug},
                                           RestartCase{"PM7-D-V2", sim::RestartKind::PowerCycle},
                                           RestartCase{"PN7-MOB", sim::RestartKind::PowerCycle}));

TEST(Restart, PowerCycleModelCanAlsoAcknowledgeAndWaitForTheFollowUp) {
  sim::PlcConfig c = Model("PM7-D-V4");
  c.silentEraseRestart = false;
  Wire w(c);
  EXPECT_EQ(Ask(w.link, kErase, 19), Frame({0x00, 0x64, 0x01, 0x59, 0x06, 0x00, 0x00}));
  EXPECT_EQ(w.plc.State(), sim::PlcState::Firmware);
  simtest::Send(w.link, kFollowUp);
  EXPECT_EQ(w.plc.State(), sim::PlcState::AwaitingReconnect);
}

TEST(Restart, BootloaderIsDeafWhileItComesUp) {
  Wire w(Model("RU7"));
  Ask(w.link, kErase, 19);
  simtest::Send(w.link, kFollowUp);
  w.clock.AdvanceMillis(100);
  EXPECT_EQ(Ask(w.link, "ID", 3), "");  // still restarting 100 ms later ... then 3 s of read
  EXPECT_EQ(Ask(w.link, "ID", 3), Bytes({6, 0x00, 0x0E}));
}

TEST(Provider, OpensOnlyWhereThePlcIs) {
  sim::SimBench com(Model("RU7"), "COM7");
  EXPECT_EQ(com.links.OpenCom("COM3"), nullptr);
  EXPECT_EQ(com.links.OpenUsb(""), nullptr);
  Link* link = com.links.OpenCom("COM7");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(com.links.OpenCom("COM7"), nullptr) << "the port is not shared";
  com.links.Close(link);
  com.links.FailNextOpens(1);
  EXPECT_EQ(com.links.OpenCom("COM7"), nullptr);
  Link* second = com.links.OpenCom("COM7");
  ASSERT_NE(second, nullptr);
  com.links.Close(second);
  EXPECT_EQ(com.links.Counters().opens, 2u);
  EXPECT_EQ(com.links.Counters().closes, 2u);
  EXPECT_EQ(com.links.Counters().failedOpens, 4u);
  EXPECT_TRUE(com.links.Balanced());

  sim::SimBench usb(Model("TK"));
  EXPECT_EQ(usb.links.OpenCom("COM3"), nullptr);
  EXPECT_EQ(usb.links.OpenUsb("\\extra"), nullptr);
  EXPECT_NE(usb.links.OpenUsb(""), nullptr);
  EXPECT_FALSE(usb.links.Balanced());
}

TEST(Provider, CountsStrayAndInvalidCloses) {
  sim::SimBench bench(Model("RU7"));
  Link* link = bench.links.OpenCom("COM3");
  bench.links.Close(link);
  bench.links.Close(link);
  bench.links.Close(nullptr);
  EXPECT_EQ(bench.links.Counters().strayCloses, 1u);
  EXPECT_EQ(bench.links.Counters().nullCloses, 1u);
  EXPECT_FALSE(bench.links.Balanced());
  EXPECT_EQ(link->Write(reinterpret_cast<const uint8_t*>("ID"), 2), 0u) << "a closed link is dead";
}

TEST(Provider, RecordsLineSettingsAndTimeouts) {
  sim::SimBench bench(Model("RU7"));
  Link* link = bench.links.OpenCom("COM3");
  link->ApplyLineSettings(LineSettings::Slow);
  link->SetTimeouts(CommandTimeouts(200));
  link->ApplyLineSettings(LineSettings::Fast);
  const sim::SimLink* sl = bench.links.Current();
  ASSERT_NE(sl, nullptr);
  EXPECT_EQ(sl->LineSettingsCalls(), (std::vector<LineSettings>{LineSettings::Slow, LineSettings::Fast}));
  ASSERT_EQ(sl->TimeoutCalls().size(), 1u);
  EXPECT_EQ(sl->TimeoutCalls()[0], CommandTimeouts(200));
  bench.links.Close(link);
}

TEST(Cable, PulledUsbCableFailsWritesAndReadsAtOnce) {
  sim::PlcConfig c = Model("KQ200");
  sim::Fault pull;
  pull.kind = sim::FaultKind::PullCable;
  pull.afterBytes = 20;
  c.faults.faults.push_back(pull);
  sim::SimBench bench(c);
  Link* link = bench.links.OpenUsb("");
  link->SetTimeouts(CommandTimeouts(3000));
  EXPECT_EQ(link->Write(reinterpret_cast<const uint8_t*>(kHandshake.data()), 15), 15u);
  EXPECT_EQ(simtest::ReadText(*link, 19).size(), 19u);
  EXPECT_EQ(link->Write(reinterpret_cast<const uint8_t*>(kHandshake.data()), 15), 5u);
  EXPECT_EQ(link->Write(reinterpret_cast<const uint8_t*>(kHandshake.data()), 15), 0u);
  const uint64_t before = bench.clock.NowMicros();
  EXPECT_EQ(simtest::ReadText(*link, 19), "");
  EXPECT_EQ(bench.clock.NowMicros(), before);
  bench.links.Close(link);
  EXPECT_EQ(bench.links.OpenUsb(""), nullptr);
  bench.plc.PlugCable(bench.clock.NowMicros());
  EXPECT_NE(bench.links.OpenUsb(""), nullptr);
}

TEST(Cable, PulledSerialCableSendsIntoNothing) {
  sim::PlcConfig c = Model("RU7");
  sim::Fault pull;
  pull.kind = sim::FaultKind::PullCable;
  pull.afterBytes = 0;
  c.faults.faults.push_back(pull);
  Wire w(c);
  EXPECT_EQ(Ask(w.link, kHandshake, 19), "");
  EXPECT_EQ(w.clock.NowMillis(), 3000u);
  EXPECT_EQ(w.plc.Counters().handshakes, 0u);
}

}  // namespace
