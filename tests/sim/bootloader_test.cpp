// The bootloader: bare commands in the byte stream, the handshake frame, and
// the blocks, of which only intact ones in sequence are acknowledged.
#include <gtest/gtest.h>

#include <numeric>

#include "sim/sim_codec.h"
#include "tests/sim/sim_test_support.h"

using simtest::Ask;
using simtest::Bytes;
using simtest::Frame;
using simtest::Model;
using simtest::Wire;

namespace {

sim::PlcConfig InBootloader(const std::string& model) {
  sim::PlcConfig c = Model(model);
  c.start = sim::StartState::Bootloader;
  return c;
}

std::string Block(uint8_t seq, const std::vector<uint8_t>& data) {
  std::string f;
  f.push_back(0x02);
  f.push_back(static_cast<char>(seq));
  f.push_back(static_cast<char>(255 - seq));
  f.append(data.begin(), data.end());
  const uint16_t crc = sim::Crc16Xmodem(data.data(), data.size());
  f.push_back(static_cast<char>(crc >> 8));
  f.push_back(static_cast<char>(crc & 0xFF));
  return f;
}

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 7);
  return v;
}

// Up to the first block: ERASE x n, EOT, UPDATE, then the fast settings.
void ReadyForBlocks(Wire& w, int erases) {
  for (int i = 0; i < erases; ++i) ASSERT_EQ(Ask(w.link, "ERASE", 1), Bytes({6}));
  ASSERT_EQ(Ask(w.link, "\x04", 1), Bytes({6}));
  ASSERT_EQ(Ask(w.link, "UPDATE", 1), Bytes({6}));
  w.link.ApplyLineSettings(LineSettings::Fast);
}

TEST(BootloaderCrc, IsXmodem) {
  const char digits[] = "123456789";
  EXPECT_EQ(sim::Crc16Xmodem(reinterpret_cast<const uint8_t*>(digits), 9), 0x31C3);
}

struct IdCase {
  const char* model;
  uint16_t reported;
};

class BootloaderId : public ::testing::TestWithParam<IdCase> {};

TEST_P(BootloaderId, HandshakeAndIdReportTheBootloadersId) {
  const IdCase& c = GetParam();
  Wire w(InBootloader(c.model));
  const bool aio = w.plc.Rules().aio;
  const std::string handshake = aio ? ":0064015B013F\r\n" : ":006401590141\r\n";
  const uint8_t hi = static_cast<uint8_t>(c.reported >> 8);
  const uint8_t lo = static_cast<uint8_t>(c.reported & 0xFF);
  EXPECT_EQ(Ask(w.link, handshake, 19),
            Frame({0x00, 0x64, 0x01, static_cast<uint8_t>(aio ? 0x5B : 0x59), 0x06, hi, lo}));
  EXPECT_EQ(Ask(w.link, "ID", 3), Bytes({6, hi, lo}));
}

INSTANTIATE_TEST_SUITE_P(Models, BootloaderId,
                         ::testing::Values(IdCase{"QLT-PM7-V2", 0x2001}, IdCase{"RC7-G", 0x2003},
                                           IdCase{"PN7-MOB", 0x2006}, IdCase{"TK-G", 0xA002},
                                           IdCase{"HVC-W", 0xA00B}, IdCase{"PM7-PN7-V2", 0x000C},
                                           IdCase{"30PN7-AIO", 0x000D}, IdCase{"PL8", 0x0000}));

TEST(BootloaderCommands, EachWordIsAnswered) {
  sim::PlcConfig c = InBootloader("KQ200-AIO");
  c.bootVersionA = 0xF1;
  c.bootVersionB = 0x23;
  Wire w(c);
  EXPECT_EQ(Ask(w.link, "VERSION", 3), Bytes({6, 0xF1, 0x23}));
  EXPECT_EQ(Ask(w.link, "ERASE", 1), Bytes({6}));
  EXPECT_EQ(Ask(w.link, "ERASE", 1), Bytes({6}));
  EXPECT_EQ(Ask(w.link, "\x04", 1), Bytes({6}));
  EXPECT_EQ(Ask(w.link, "UPDATE", 1), Bytes({6}));
  EXPECT_EQ(w.plc.Counters().erases, 2u);
  EXPECT_EQ(w.plc.Counters().eraseEots, 1u);
  EXPECT_EQ(w.plc.ErasedBytes(), 4096u);
  EXPECT_EQ(w.plc.State(), sim::PlcState::Receiving);
}

TEST(BootloaderCommands, UpdateIsRefusedUntilAnEotHasEndedTheErase) {
  Wire w(InBootloader("RU7"));
  EXPECT_EQ(Ask(w.link, "UPDATE", 1), Bytes({0x15}));
  EXPECT_EQ(Ask(w.link, "ERASE", 1), Bytes({6}));
  EXPECT_EQ(Ask(w.link, "UPDATE", 1), Bytes({0x15}));
  EXPECT_EQ(Ask(w.link, "\x04", 1), Bytes({6}));
  EXPECT_EQ(Ask(w.link, "UPDATE", 1), Bytes({6}));
  EXPECT_EQ(w.plc.Counters().updates, 1u);
}

TEST(BootloaderCommands, AreFoundInNoiseAndAcrossWrites) {
  Wire w(InBootloader("RU7"));
  simtest::Send(w.link, "zzI");
  EXPECT_EQ(Ask(w.link, "Dq", 3), Bytes({6, 0x00, 0x0E}));
  simtest::Send(w.link, "VER");
  EXPECT_EQ(Ask(w.link, "SION", 3), Bytes({6, 0x01, 0x20}));
  EXPECT_EQ(Ask(w.link, "idERASe", 1), "");  // case counts
}

TEST(BootloaderCommands, FirstStageFramesOtherThanTheHandshakeGoUnanswered) {
  Wire w(InBootloader("RU7"));
  for (const char* frame : {":007F81\r\n", ":006401594944B5\r\n", ":0003156A00017D\r\n",
                            ":006401594552415345D2\r\n", ":0064015B013F\r\n"}) {
    EXPECT_EQ(Ask(w.link, frame, 19), "") << frame;
  }
  EXPECT_EQ(w.plc.State(), sim::PlcState::Bootloader);
  EXPECT_EQ(w.plc.Counters().erases, 0u);
}

TEST(BootloaderBlocks, StoresAcknowledgedBlocksAndHoldsTheImageAfterEot) {
  Wire w(InBootloader("RU7"));  // 128-byte blocks
  ReadyForBlocks(w, 1);
  const std::vector<uint8_t> image = Pattern(200, 3);
  std::vector<uint8_t> first(image.begin(), image.begin() + 128);
  std::vector<uint8_t> last(image.begin() + 128, image.end());
  last.resize(128, 0x1A);
  EXPECT_EQ(Ask(w.link, Block(1, first), 1), Bytes({6}));
  EXPECT_FALSE(w.plc.HoldsExactly(image.data(), image.size()));  // no EOT yet
  EXPECT_EQ(Ask(w.link, Block(2, last), 1), Bytes({6}));
  EXPECT_EQ(Ask(w.link, "\x04", 1), Bytes({6}));
  EXPECT_TRUE(w.plc.ImageComplete());
  EXPECT_TRUE(w.plc.HoldsExactly(image.data(), image.size()));
  EXPECT_FALSE(w.plc.HoldsExactly(image.data(), 199));  // one byte less is not the same
  std::vector<uint8_t> other = image;
  other[150] ^= 1;
  EXPECT_FALSE(w.plc.HoldsExactly(other.data(), other.size()));
  EXPECT_EQ(w.plc.ReceivedImage().size(), 256u);
}

TEST(BootloaderBlocks, DamagedOrOutOfSequenceBlocksAreNotAcknowledged) {
  const std::vector<uint8_t> data = Pattern(256, 9);
  std::string badCrc = Block(1, data);
  badCrc.back() = static_cast<char>(badCrc.back() ^ 0x01);
  std::string badComplement = Block(1, data);
  badComplement[2] = static_cast<char>(0xFF);
  std::string badData = Block(1, data);
  badData[100] = static_cast<char>(badData[100] ^ 0x40);
  const struct {
    const char* label;
    std::string frame;
  } kCases[] = {
      {"crc", badCrc},         {"complement", badComplement}, {"data", badData},
      {"sequence 2", Block(2, data)}, {"sequence 0", Block(0, data)},
  };
  for (const auto& c : kCases) {
    Wire w(InBootloader("TK"));
    ReadyForBlocks(w, 1);
    EXPECT_EQ(Ask(w.link, c.frame, 1), "") << c.label;
    EXPECT_EQ(w.plc.Counters().blocksRejected, 1u) << c.label;
    EXPECT_TRUE(w.plc.ReceivedImage().empty()) << c.label;
    // The intact block goes through afterwards.
    EXPECT_EQ(Ask(w.link, Block(1, data), 1), Bytes({6})) << c.label;
  }
}

TEST(BootloaderBlocks, RepeatedBlockIsAcknowledgedButStoredOnce) {
  Wire w(InBootloader("TK"));
  ReadyForBlocks(w, 1);
  const std::vector<uint8_t> data = Pattern(256, 1);
  EXPECT_EQ(Ask(w.link, Block(1, data), 1), Bytes({6}));
  EXPECT_EQ(Ask(w.link, Block(1, data), 1), Bytes({6}));
  EXPECT_EQ(w.plc.Counters().duplicateBlocks, 1u);
  EXPECT_EQ(w.plc.ReceivedImage().size(), 256u);
}

TEST(BootloaderBlocks, BlockBeyondTheErasedFlashIsAWriteError) {
  Wire w(InBootloader("RU7"));  // one ERASE makes 2048 bytes writable
  ReadyForBlocks(w, 1);
  for (int s = 1; s <= 16; ++s) {
    ASSERT_EQ(Ask(w.link, Block(static_cast<uint8_t>(s), Pattern(128, 0)), 1), Bytes({6}));
  }
  EXPECT_EQ(Ask(w.link, Block(17, Pattern(128, 0)), 1), Bytes({0x16}));
  EXPECT_EQ(w.plc.Counters().flashWriteErrors, 1u);
}

TEST(BootloaderBlocks, ComModelIgnoresBlocksAtTheSlowSettings) {
  Wire w(InBootloader("RU7"));
  for (const char* word : {"ERASE", "\x04", "UPDATE"}) ASSERT_EQ(Ask(w.link, word, 1), Bytes({6}));
  EXPECT_EQ(Ask(w.link, Block(1, Pattern(128, 0)), 1), "");  // still at 9600
  w.link.ApplyLineSettings(LineSettings::Fast);
  EXPECT_EQ(Ask(w.link, Block(1, Pattern(128, 0)), 1), Bytes({6}));
}

TEST(BootloaderBlocks, AFrameCutShortIsGivenUpAfterAPause) {
  Wire w(InBootloader("TK"));
  ReadyForBlocks(w, 1);
  const std::string frame = Block(1, Pattern(256, 5));
  EXPECT_EQ(Ask(w.link, frame.substr(0, 100), 1), "");  // waits 3 s for an ACK
  EXPECT_EQ(Ask(w.link, frame, 1), Bytes({6}));
  EXPECT_EQ(w.plc.Counters().blocksDiscarded, 1u);
}

TEST(BootloaderBlocks, SequenceWrapsAfter255) {
  Wire w(InBootloader("TK"));
  ReadyForBlocks(w, 5);  // 5 x 16 KiB
  for (int k = 1; k <= 257; ++k) {
    ASSERT_EQ(Ask(w.link, Block(static_cast<uint8_t>(k & 0xFF), Pattern(256, static_cast<uint8_t>(k))), 1),
              Bytes({6}))
        << k;
  }
  EXPECT_EQ(w.plc.Counters().blocksAccepted, 257u);
}

}  // namespace
