#include "protocol/bootloader_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/shared_state.h"
#include "tests/protocol/protocol_fixture.h"

namespace {

using plctest::Bytes;
using plctest::Reaction;
using plctest::ScriptedLink;
using plctest::Text;

const Bytes kAck = {0x06};

class BootloaderCommandsTest : public ProtocolTest {
 protected:
  // Acknowledges every write, noting the progress the PLC would see on the panel
  // when each request arrives.
  void AckEverything(ScriptedLink& link) {
    link.SetResponder([this](const Bytes&) {
      progressAtWrite_.push_back(progress);
      return Reaction{Reaction::kWhole, kAck, 0};
    });
  }
  static size_t Count(const ScriptedLink& link, const Bytes& request) {
    size_t n = 0;
    for (const auto& write : link.WriteLog()) n += write.bytes == request;
    return n;
  }
  std::vector<int32_t> progressAtWrite_;
};

TEST_F(BootloaderCommandsTest, CheckIdResetsErrCounterExceptOnTheIdentifier12Path) {
  struct Case {
    const char* model;
    Bytes accepted;
    int32_t errCounter;
  };
  const Case cases[] = {
      {"TK-G", {0x06, 0xA0, 0x02}, 0},        // USB: exact
      {"QLT-PM7-V2", {0x06, 0x20, 0x01}, 0},  // COM: top bit cleared
      {"PM7-PN7-V2", {0x06, 0x00, 0x0D}, 2},  // identifier 12: count kept
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    ScriptedLink& link = Fresh(c.model);
    link.Answer({0x15, 0x00, 0x0C}).Answer({0x06, 0x00}).Answer(c.accepted);
    EXPECT_EQ(CheckID_B(&link), 0);
    EXPECT_EQ(errCounter, c.errCounter);
    EXPECT_EQ(totalErrCounter, 2);
    for (const auto& write : link.WriteLog()) EXPECT_EQ(write.bytes, Text("ID"));
    for (const auto& read : link.ReadLog()) EXPECT_EQ(read.asked, 3u);
  }
}

TEST_F(BootloaderCommandsTest, CheckIdWithoutAckSixTimesFails) {
  ScriptedLink& link = Fresh("TK-G");
  link.AnswerTimes(6, {0x07, 0xA0, 0x02});
  EXPECT_EQ(CheckID_B(&link), 16);
  EXPECT_EQ(errCounter, 6);
  EXPECT_EQ(totalErrCounter, 6);
}

TEST_F(BootloaderCommandsTest, VersionTakesTheInnerNibbles) {
  struct Case {
    uint8_t a, b, version;
  };
  for (const Case& c : {Case{0x01, 0x00, 0x10}, Case{0x00, 0x90, 0x09}, Case{0xF1, 0x23, 0x12},
                        Case{0xFF, 0xFF, 0xFF}}) {
    SCOPED_TRACE(int{c.version});
    ScriptedLink& link = Fresh("KQ200");
    link.Answer({0x15, 0x01, 0x00}).Answer({0x06, c.a, c.b});
    EXPECT_EQ(read_fu_version_B(), 0);
    EXPECT_EQ(KQ_fu_version, c.version);
    EXPECT_EQ(errCounter, 0);
    EXPECT_EQ(link.WriteLog().at(0).bytes, Text("VERSION"));
  }
}

TEST_F(BootloaderCommandsTest, FailedVersionReadKeepsThePreviousVersion) {
  ScriptedLink& link = Fresh("KQ200");
  KQ_fu_version = 0x09;
  link.AnswerTimes(6, {0x06, 0x01});  // one byte short
  EXPECT_EQ(read_fu_version_B(), 16);
  EXPECT_EQ(KQ_fu_version, 0x09);
  EXPECT_EQ(errCounter, 6);
}

TEST_F(BootloaderCommandsTest, EraseCountFollowsEachModelsUnit) {
  struct Case {
    const char* model;
    uint32_t length;
    uint16_t count;
  };
  const Case cases[] = {
      {"PM7-D-V2", 262143, 2}, {"PM7-D-V2", 262144, 3},
      {"PM7-D-V4", 0, 1},      {"PN7-MOB", 131071, 1},
      {"RC28", 131072, 2},     {"PM7-F", 131072, 2},
      {"TK26", 393216, 4},     {"TK", 16383, 1},
      {"TK", 16384, 2},        {"TK-G", 0, 1},
      {"KQ300", 4096, 0},      {"KQ200", 8192, 1},
      {"PM8-PN8", 8193, 2},    {"HVC-W", 4097, 1},
      {"KQ100", 12288, 2},     {"PM8-BUNDLE", 2076672, 506},
      {"RW8RV8", 4095, 0},     {"KQ200-AIO", 0, 0},
      {"KQ200-AIO", 2048, 1},  {"KQ200-AIO", 2049, 2},
      {"PN8-AIO", 4096, 2},    {"RV8-AIO", 4097, 3},
      {"30PN7-AIO", 0, 4},     {"30PN7-AIO", 900000, 4},
      {"PM7-PN7-V2", 0, 1},    {"PM7-PN7-V2", 2047, 1},
      {"RU7", 2048, 2},        {"PL8", 4095, 2},
      {"QLT-PM7-V4", 4096, 3}, {"RC7-G", 1000, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.model) + " " + std::to_string(c.length));
    ScriptedLink& link = Fresh(c.model);
    EXPECT_EQ(EraseCount(c.length), c.count);
    if (IsSectorModel(c.model) && c.length < 4096) continue;  // refused, below
    fileLength = c.length;
    AckEverything(link);
    EXPECT_EQ(SendErase_B(&link), 0);
    EXPECT_EQ(Count(link, Text("ERASE")), c.count);
    ASSERT_FALSE(link.WriteLog().empty());
    EXPECT_EQ(link.WriteLog().back().bytes, Bytes{0x04});
    EXPECT_EQ(link.WriteLog().size(), c.count + 1u);
  }
}

TEST_F(BootloaderCommandsTest, ProgressClimbsPerAcknowledgedErase) {
  ScriptedLink& link = Fresh("30PN7-AIO");  // four ERASE commands
  fileLength = 100000;
  AckEverything(link);
  EXPECT_EQ(SendErase_B(&link), 0);
  // Seen at the next request: after ERASE 1..4, then EOT acknowledged.
  EXPECT_EQ(progressAtWrite_, (std::vector<int32_t>{0, 0, 25, 50, 75}));
  EXPECT_EQ(progress, 100);
  EXPECT_EQ(flashStatus, 1);
  EXPECT_EQ(errCounter, 0);
  EXPECT_EQ(link.TimeoutLog(), std::vector<LinkTimeouts>{CommandTimeouts(3000)});
}

TEST_F(BootloaderCommandsTest, EachAcknowledgedEraseClearsErrCounter) {
  ScriptedLink& link = Fresh("30PN7-AIO");
  fileLength = 1;
  link.Answer({0x15}).Answer(kAck).Answer({0x00}).Answer({0x00}).Answer(kAck);
  std::vector<int32_t> errCounterAtWrite;
  link.SetResponder([&](const Bytes&) {
    errCounterAtWrite.push_back(errCounter);
    return Reaction{Reaction::kWhole, kAck, 0};
  });
  EXPECT_EQ(SendErase_B(&link), 0);
  // ERASE 3 and 4 and the EOT, each after an acknowledged ERASE, see 0.
  EXPECT_EQ(errCounterAtWrite, (std::vector<int32_t>{0, 0, 0}));
  EXPECT_EQ(link.WriteLog().size(), 8u);
  EXPECT_EQ(totalErrCounter, 3);
}

TEST_F(BootloaderCommandsTest, SectorModelGivesEachEraseOneAttempt) {
  struct Case {
    const char* name;
    std::function<void(ScriptedLink&)> script;
    size_t writes;
    uint64_t virtualMs;
  };
  const Case cases[] = {
      {"first ERASE refused", [](auto& l) { l.Answer({0x15}); }, 1, 0},
      {"first ERASE unanswered", [](auto& l) { l.Silence(); }, 1, 3000},
      {"first ERASE falls short", [](auto& l) { l.FallShort(); }, 1, 3000},
      {"second ERASE answered wrongly", [](auto& l) { l.Answer(kAck).Answer({0x16}); }, 2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedLink& link = Fresh("KQ200");
    fileLength = 4096 + 3 * 4096;
    totalErrCounter = 7;
    c.script(link);
    link.SetResponder([](const Bytes&) { return Reaction{Reaction::kWhole, kAck, 0}; });
    EXPECT_EQ(SendErase_B(&link), 16);
    EXPECT_EQ(link.WriteLog().size(), c.writes);
    EXPECT_EQ(errCounter, 1);
    EXPECT_EQ(totalErrCounter, 8);
    EXPECT_EQ(link.NowMillis(), c.virtualMs);
    EXPECT_EQ(flashStatus, 1);
  }
}

TEST_F(BootloaderCommandsTest, OtherModelsRetryEachEraseAndTheEot) {
  ScriptedLink& link = Fresh("PM7-PN7-V2");
  fileLength = 2047;  // one ERASE
  link.AnswerTimes(5, {0x15}).Answer(kAck).Silence(5).Answer({0x16}, 0);
  link.SetResponder([](const Bytes&) { return Reaction{Reaction::kWhole, kAck, 0}; });
  EXPECT_EQ(SendErase_B(&link), 16);  // the EOT got six bad replies
  EXPECT_EQ(link.WriteLog().size(), 12u);
  EXPECT_EQ(errCounter, 6);
  EXPECT_EQ(totalErrCounter, 11);
  EXPECT_EQ(progress, 0);

  ScriptedLink& again = Fresh("PM7-PN7-V2");
  fileLength = 2047;
  again.AnswerTimes(5, {0x15}).Answer(kAck).AnswerTimes(5, {0x15}).Answer(kAck);
  EXPECT_EQ(SendErase_B(&again), 0);
  EXPECT_EQ(totalErrCounter, 10);
  EXPECT_EQ(progress, 100);
}

TEST_F(BootloaderCommandsTest, SectorImageShorterThanOneSectorIsRefusedBeforeAnythingIsSent) {
  for (const uint32_t length : {0u, 1u, 4095u}) {
    SCOPED_TRACE(length);
    ScriptedLink& link = Fresh("KQ300");
    fileLength = length;
    AckEverything(link);
    EXPECT_EQ(SendErase_B(&link), 16);
    EXPECT_TRUE(link.WriteLog().empty());
    EXPECT_TRUE(link.ReadLog().empty());
    EXPECT_EQ(flashStatus, 0);
  }
}

TEST_F(BootloaderCommandsTest, UpdateSwitchesToTheFastLineOnlyWhenAcknowledged) {
  struct Case {
    const char* model;
    bool acknowledged;
  };
  for (const Case& c : {Case{"PM7-PN7-V2", true}, Case{"KQ200", true}, Case{"PM7-PN7-V2", false}}) {
    SCOPED_TRACE(std::string(c.model) + (c.acknowledged ? " ack" : " silent"));
    ScriptedLink& link = Fresh(c.model);
    if (c.acknowledged) link.Answer({0x15}).Answer(kAck);
    EXPECT_EQ(SendUpdate(&link), c.acknowledged ? 0 : 16);
    EXPECT_EQ(link.WriteLog().at(0).bytes, Text("UPDATE"));
    EXPECT_EQ(link.LineSettingsLog(), c.acknowledged ? std::vector<LineSettings>{LineSettings::Fast}
                                                     : std::vector<LineSettings>{});
    EXPECT_EQ(errCounter, c.acknowledged ? 0 : 6);
    if (c.acknowledged) {
      EXPECT_EQ(link.Calls().back().kind, plctest::LinkCallKind::LineSettings);
    }
  }
}

}  // namespace
