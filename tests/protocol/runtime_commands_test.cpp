#include "protocol/runtime_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "catalogue/shared_state.h"
#include "tests/protocol/protocol_fixture.h"
#include "tests/support/ascii_frames.h"

namespace {

using plctest::Bytes;
using plctest::LinkCallKind;
using plctest::StatusReply;
using plctest::Text;

class RuntimeCommandsTest : public ProtocolTest {};

// The code each command derives from the last of six equal bad replies.
TEST_F(RuntimeCommandsTest, FailureCodesComeFromTheLastReply) {
  struct Case {
    uint8_t byte4, byte5, byte6;
    unsigned confirm, checkId, erase;
  };
  const Case cases[] = {
      {0x07, 0x02, 0x01, 0x18, 0x18, 0x18},  // not a refusal
      {0x00, 0x00, 0x00, 0x18, 0x18, 0x18}, {0x15, 0x01, 0x00, 0x16, 0x17, 0x17},
      {0x15, 0x01, 0x09, 0x16, 0x17, 0x17}, {0x15, 0x02, 0x01, 0x11, 0x15, 0x15},
      {0x15, 0x02, 0x02, 0x12, 0x12, 0x15}, {0x15, 0x02, 0x03, 0x15, 0x13, 0x13},
      {0x15, 0x02, 0x04, 0x15, 0x15, 0x14}, {0x15, 0x02, 0x00, 0x15, 0x15, 0x15},
      {0x15, 0x02, 0x05, 0x15, 0x15, 0x15}, {0x15, 0x02, 0xFF, 0x15, 0x15, 0x15},
      {0x15, 0x00, 0x02, 0x17, 0x17, 0x17}, {0x15, 0x03, 0x01, 0x17, 0x17, 0x17},
      {0x15, 0xFF, 0x02, 0x17, 0x17, 0x17},
  };
  struct Command {
    const char* name;
    unsigned (*run)(Link*);
    unsigned Case::*code;
  };
  const Command commands[] = {
      {"ConfirmComm", ConfirmComm, &Case::confirm},
      {"CheckID_A", CheckID_A, &Case::checkId},
      {"SendErase_A", SendErase_A, &Case::erase},
  };
  for (const Command& command : commands) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(command.name) + " " + std::to_string(c.byte4) + "/" +
                   std::to_string(c.byte5) + "/" + std::to_string(c.byte6));
      plctest::ScriptedLink& link = Fresh("PM7-PN7-V2");
      totalErrCounter = 40;
      link.AnswerTimes(6, StatusReply(c.byte4, c.byte5, c.byte6));
      EXPECT_EQ(command.run(&link), c.*command.code);
      EXPECT_EQ(link.WriteLog().size(), 6u);
      EXPECT_EQ(errCounter, 6);
      EXPECT_EQ(totalErrCounter, 46);
    }
  }
}

TEST_F(RuntimeCommandsTest, FailureCodeIgnoresEarlierRefusals) {
  struct Case {
    const char* name;
    std::function<void(plctest::ScriptedLink&)> script;
    unsigned confirm;
  };
  const Bytes refusal = StatusReply(0x15, 0x01, 0x00);
  const Case cases[] = {
      {"refusals, then silence", [&](auto& l) { l.AnswerTimes(5, refusal).Silence(); }, 0x18},
      // The short last reply leaves zeros where the refusal's decoded bytes were.
      {"refusals, then a short reply",
       [&](auto& l) { l.AnswerTimes(5, refusal).Answer(Text(":00")); }, 0x18},
      {"silence, then a refusal", [&](auto& l) { l.Silence(5).Answer(refusal); }, 0x16},
      {"every write short", [&](auto& l) { l.FallShort(6); }, 0x18},
      {"refusals, then six short writes", [&](auto& l) { l.AnswerTimes(3, refusal).FallShort(6); },
       0x16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plctest::ScriptedLink& link = Fresh("PM7-PN7-V2");
    c.script(link);
    EXPECT_EQ(ConfirmComm(&link), c.confirm);
    EXPECT_EQ(errCounter, 6);
  }
}

TEST_F(RuntimeCommandsTest, ConfirmCommTellsFirmwareFromBootloader) {
  for (const uint8_t kind : {uint8_t{5}, uint8_t{6}}) {
    SCOPED_TRACE(kind);
    plctest::ScriptedLink& link = Fresh("PM7-PN7-V2");
    totalErrCounter = 3;
    link.AnswerTimes(5, StatusReply(0x15, 0x01, 0x00)).Answer(StatusReply(kind));
    EXPECT_EQ(ConfirmComm(&link), kind);
    EXPECT_EQ(errCounter, 0);
    EXPECT_EQ(totalErrCounter, 8);
  }
}

TEST_F(RuntimeCommandsTest, RepliesAreJudgedByLengthLrcAndDigitsOnly) {
  Bytes unframed = StatusReply(5);
  unframed.front() = 'X';  // neither ':' nor CR LF is looked at
  unframed[17] = 'a';
  unframed[18] = 'b';
  const Bytes upper = StatusReply(0x05, 0xAB, 0xCD);
  std::string lower(upper.begin(), upper.end());
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  Bytes badLrc = StatusReply(5);
  badLrc[16] = badLrc[16] == '0' ? '1' : '0';
  Bytes longer = StatusReply(5);
  longer.insert(longer.begin(), '0');  // 20 characters: the read takes 19 and the check fails

  struct Case {
    const char* name;
    Bytes reply;
    bool accepted;
  };
  const Case cases[] = {
      {"no frame characters", unframed, true},
      {"lower-case hex", Text(lower), false},
      {"bad LRC", badLrc, false},
      {"one character short", Bytes(upper.begin(), upper.end() - 1), false},
      {"shifted by one character", longer, false},
      {"byte 4 neither 5 nor 6", StatusReply(7), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plctest::ScriptedLink& link = Fresh("PM7-PN7-V2");
    link.Answer(c.reply);
    const unsigned result = ConfirmComm(&link);
    EXPECT_EQ(result == 5, c.accepted) << result;
    EXPECT_EQ(link.WriteLog().size(), c.accepted ? 1u : 6u);
  }
}

TEST_F(RuntimeCommandsTest, SlowLineSettingsOnlyOnAComLinkAndBeforeTheTimeouts) {
  struct Case {
    const char* model;
    bool slow;
  };
  for (const Case& c : {Case{"PM7-PN7-V2", true}, Case{"30PN7-AIO", true}, Case{"TK26", false},
                        Case{"RV8-AIO", false}}) {
    SCOPED_TRACE(c.model);
    plctest::ScriptedLink& link = Fresh(c.model);
    link.ApplyLineSettings(LineSettings::Fast);  // left over from an earlier pass
    link.Silence(5).Answer(StatusReply(5));
    DummyComm(&link);
    ConfirmComm(&link);
    std::vector<LineSettings> expected{LineSettings::Fast};
    if (c.slow) expected = {LineSettings::Fast, LineSettings::Slow, LineSettings::Slow};
    EXPECT_EQ(link.LineSettingsLog(), expected);
    EXPECT_EQ(link.TimeoutLog(),
              (std::vector<LinkTimeouts>{CommandTimeouts(200), CommandTimeouts(3000)}));
    // In each command the line settings come before the time-outs.
    std::vector<LinkCallKind> setup;
    for (const auto& call : link.Calls()) {
      if (call.kind == LinkCallKind::Timeouts || call.kind == LinkCallKind::LineSettings)
        setup.push_back(call.kind);
    }
    if (c.slow) {
      EXPECT_EQ(setup,
                (std::vector<LinkCallKind>{LinkCallKind::LineSettings, LinkCallKind::LineSettings,
                                           LinkCallKind::Timeouts, LinkCallKind::LineSettings,
                                           LinkCallKind::Timeouts}));
    }
  }
}

TEST_F(RuntimeCommandsTest, DummyCommWaitsAtMostTenReadsAndCountsNothing) {
  plctest::ScriptedLink& link = Fresh("PM7-PN7-V2");
  errCounter = 4;
  totalErrCounter = 9;
  link.FallShort(2);
  DummyComm(&link);
  EXPECT_EQ(link.NowMillis(), 2 * 200u + 10 * 200u);  // two short writes, ten empty reads
  EXPECT_EQ(errCounter, 4);
  EXPECT_EQ(totalErrCounter, 9);
}

TEST_F(RuntimeCommandsTest, SilentPlcCostsSixReadConstants) {
  plctest::ScriptedLink& link = Fresh("PM7-PN7-V2");
  EXPECT_EQ(ConfirmComm(&link), 0x18u);
  EXPECT_EQ(link.NowMillis(), 18000u);
  EXPECT_EQ(link.ReadLog().size(), 6u);
  for (const auto& read : link.ReadLog()) EXPECT_EQ(read.asked, 19u);
}

TEST_F(RuntimeCommandsTest, CheckIdKeepsTheCountSetBeforeTheAcceptedRead) {
  plctest::ScriptedLink& link = Fresh("RU7");
  link.Answer(StatusReply(0x05, 0x00, 0x0E))
      .Answer(StatusReply(0x06, 0x00, 0x0F))
      .Answer(StatusReply(0x06, 0x00, 0x0E));
  EXPECT_EQ(CheckID_A(&link), 0u);
  EXPECT_EQ(errCounter, 2);
  EXPECT_EQ(totalErrCounter, 2);
}

TEST_F(RuntimeCommandsTest, CheckIdWithAForeignIdentifierEveryTimeGives24) {
  plctest::ScriptedLink& link = Fresh("RU7");
  link.AnswerTimes(6, StatusReply(0x06, 0x00, 0x0F));
  EXPECT_EQ(CheckID_A(&link), 0x18u);
}

TEST_F(RuntimeCommandsTest, RegisterReadsReturnTheValueOrZero) {
  struct Case {
    const char* name;
    std::function<void(plctest::ScriptedLink&)> script;
    unsigned value;
    int32_t errCounter;
  };
  Bytes badLrc = plctest::RegisterReply(0x1234);
  badLrc[12] = badLrc[12] == '0' ? '1' : '0';
  const Case cases[] = {
      {"value", [](auto& l) { l.Answer(plctest::RegisterReply(0x1234)); }, 0x1234, 0},
      {"largest value", [](auto& l) { l.Answer(plctest::RegisterReply(0xFFFF)); }, 0xFFFF, 0},
      {"zero", [](auto& l) { l.Answer(plctest::RegisterReply(0)); }, 0, 0},
      {"after two bad",
       [&](auto& l) { l.Answer(badLrc).Silence().Answer(plctest::RegisterReply(0x0102)); }, 0x0102,
       2},
      {"no answer", [](auto&) {}, 0, 6},
      {"a status reply is too long", [](auto& l) { l.AnswerTimes(6, StatusReply(6)); }, 0, 6},
  };
  struct Command {
    const char* name;
    unsigned (*run)(Link*);
  };
  for (const Command& command :
       {Command{"D1386", READ_D1386}, Command{"D1001", READ_D1001}, Command{"D1148", READ_D1148}}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(command.name) + " " + c.name);
      plctest::ScriptedLink& link = Fresh("KQ200");
      c.script(link);
      EXPECT_EQ(command.run(&link), c.value);
      EXPECT_EQ(errCounter, c.errCounter);
      EXPECT_EQ(link.TimeoutLog(), std::vector<LinkTimeouts>{CommandTimeouts(3000)});
      for (const auto& read : link.ReadLog()) EXPECT_EQ(read.asked, 15u);
    }
  }
}

TEST_F(RuntimeCommandsTest, FirmwareVersionReadUsesTheSharedLink) {
  plctest::ScriptedLink& link = Fresh("KQ200");
  Bytes badLrc = StatusReply(0x11);
  badLrc[16] = badLrc[16] == '0' ? '1' : '0';
  link.Answer(badLrc).Answer(StatusReply(0x12));
  EXPECT_EQ(read_fu_version_A(), 0x12u);
  EXPECT_EQ(errCounter, 1);
  EXPECT_EQ(link.WriteLog().size(), 2u);

  Fresh("KQ200");
  EXPECT_EQ(read_fu_version_A(), 0u);
  hSerial = nullptr;  // an invalid link: every write falls short
  EXPECT_EQ(read_fu_version_A(), 0u);
  EXPECT_EQ(errCounter, 6);
}

TEST_F(RuntimeCommandsTest, EraseWithoutReplyIsSuccessOnlyForTheSilentRestarters) {
  struct Case {
    const char* model;
    unsigned result;
    size_t writes;
    uint64_t virtualMs;
  };
  const Case cases[] = {
      {"PM7-D-V2", 0, 1, 3000},       {"PM7-D-V4", 0, 1, 3000},  {"PN7-MOB", 0, 1, 3000},
      {"PM7-PN7-V2", 0x18, 6, 18000}, {"KQ200", 0x18, 6, 18000}, {"30PN7-AIO", 0x18, 6, 18000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.model);
    plctest::ScriptedLink& link = Fresh(c.model);
    errCounter = 3;
    EXPECT_EQ(SendErase_A(&link), c.result);
    EXPECT_EQ(link.WriteLog().size(), c.writes);  // no follow-up for the silent ones
    EXPECT_EQ(link.NowMillis(), c.virtualMs);
    EXPECT_EQ(errCounter, c.result == 0 ? 0 : 6);
  }
}

TEST_F(RuntimeCommandsTest, EraseSilentRestarterStillRetriesAGarbledFullReply) {
  plctest::ScriptedLink& link = Fresh("PN7-MOB");
  link.Answer(StatusReply(0x15, 0x02, 0x03)).Answer(StatusReply(0x06));
  EXPECT_EQ(SendErase_A(&link), 0u);
  EXPECT_EQ(link.WriteLog().size(), 3u);  // ERASE, ERASE, follow-up
  EXPECT_EQ(totalErrCounter, 1);
}

TEST_F(RuntimeCommandsTest, EraseFollowUpFallingShortStartsAgainFromTheFirstRequest) {
  plctest::ScriptedLink& link = Fresh("PM7-PN7-V2");
  link.Answer(StatusReply(0x06)).FallShort(1, 3).Answer(StatusReply(0x06));
  EXPECT_EQ(SendErase_A(&link), 0u);
  const std::vector<Bytes> expected = {Text(":006401594552415345D2\r\n"), Text(":00640159063C\r\n"),
                                       Text(":006401594552415345D2\r\n"),
                                       Text(":00640159063C\r\n")};
  EXPECT_EQ(link.WrittenBytes(), expected);
  EXPECT_EQ(errCounter, 0);
  EXPECT_EQ(totalErrCounter, 1);
}

TEST_F(RuntimeCommandsTest, EraseFollowUpAlwaysShortEndsAfterSixShortWrites) {
  plctest::ScriptedLink& link = Fresh("PM7-PN7-V2");
  for (int i = 0; i < 6; ++i) link.Answer(StatusReply(0x06)).FallShort(1, 0);
  EXPECT_EQ(SendErase_A(&link), 0x18u);  // the accepted reply is no refusal
  EXPECT_EQ(link.WriteLog().size(), 12u);
  EXPECT_EQ(errCounter, 6);
  EXPECT_EQ(totalErrCounter, 6);
}

TEST_F(RuntimeCommandsTest, LateReplyIsReadByTheNextCommand) {
  plctest::ScriptedLink& link = Fresh("PM7-PN7-V2");
  // The firmware's answer to ConfirmComm comes after six read constants.
  link.Answer(StatusReply(5), 19000);
  EXPECT_EQ(ConfirmComm(&link), 0x18u);
  EXPECT_EQ(link.QueuedBytes(), 19u);
  link.Silence();
  EXPECT_EQ(ConfirmComm(&link), 5u);
  EXPECT_EQ(link.NowMillis(), 19000u);
}

}  // namespace
