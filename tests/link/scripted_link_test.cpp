// The test link's own read and write semantics, which every command test and
// the other helpers' tests rely on.
#include "tests/support/scripted_link.h"

#include <gtest/gtest.h>

namespace {

using plctest::Bytes;
using plctest::LinkCallKind;
using plctest::Reaction;
using plctest::ScriptedLink;
using plctest::Text;

TEST(ScriptedLinkTest, WaitingBytesReturnAtOnceEvenFewerThanAsked) {
  ScriptedLink link;
  link.SetTimeouts(CommandTimeouts(3000));
  link.Arrive(Text("ABC"));
  uint8_t buffer[8] = {};
  EXPECT_EQ(link.Read(buffer, 8), 3u);
  EXPECT_EQ(link.NowMicros(), 0u);
  EXPECT_EQ(Bytes(buffer, buffer + 3), Text("ABC"));
}

TEST(ScriptedLinkTest, WaitsForTheWholeCountUpToTheReadConstant) {
  ScriptedLink link;
  link.SetTimeouts(CommandTimeouts(3000));
  uint8_t buffer[4] = {};
  link.Arrive(Text("AB"), 10);
  link.Arrive(Text("CD"), 20);
  EXPECT_EQ(link.Read(buffer, 4), 4u);  // complete at 20 ms
  EXPECT_EQ(link.NowMillis(), 20u);

  link.Arrive(Text("EF"), 5);  // two bytes only: the read runs to its constant
  EXPECT_EQ(link.Read(buffer, 4), 2u);
  EXPECT_EQ(link.NowMillis(), 3020u);
  EXPECT_EQ(link.ReadLog().back().returned, Text("EF"));
  EXPECT_EQ(link.ReadLog().back().readConstantMs, 3000u);
}

TEST(ScriptedLinkTest, LateReplyStaysQueuedForTheNextRead) {
  ScriptedLink link;
  link.SetTimeouts(CommandTimeouts(200));
  link.Answer(Text("LATE"), 250);
  uint8_t buffer[4] = {};
  const uint8_t request[] = {'Q'};
  EXPECT_EQ(link.Write(request, 1), 1u);
  EXPECT_EQ(link.Read(buffer, 4), 0u);
  EXPECT_EQ(link.NowMillis(), 200u);
  EXPECT_EQ(link.QueuedBytes(), 4u);
  EXPECT_EQ(link.Read(buffer, 4), 4u);
  EXPECT_EQ(link.NowMillis(), 250u);
}

TEST(ScriptedLinkTest, RepliesKeepTheirOrderOnTheLine) {
  ScriptedLink link;
  link.SetTimeouts(CommandTimeouts(3000));
  link.Answer(Text("1"), 100).Answer(Text("2"), 0);
  const uint8_t request[] = {'Q'};
  uint8_t buffer[2] = {};
  link.Write(request, 1);
  link.Write(request, 1);
  EXPECT_EQ(link.Read(buffer, 2), 2u);
  EXPECT_EQ(Bytes(buffer, buffer + 2), Text("12"));
}

TEST(ScriptedLinkTest, ShortWriteCostsTheWriteConstantAndIsRecorded) {
  ScriptedLink link;
  link.SetTimeouts(CommandTimeouts(3000));
  link.FallShort(1, 2);
  const Bytes request = Text("HELLO");
  EXPECT_EQ(link.Write(request.data(), 5), 2u);
  EXPECT_EQ(link.NowMillis(), 3000u);
  EXPECT_EQ(link.WriteLog().at(0).bytes, request);
  EXPECT_EQ(link.WriteLog().at(0).written, 2u);
}

TEST(ScriptedLinkTest, ResponderAnswersOnceTheScriptIsUsedUp) {
  ScriptedLink link;
  link.SetTimeouts(CommandTimeouts(3000));
  link.Silence();
  link.SetResponder([](const Bytes& written) { return Reaction{Reaction::kWhole, written, 0}; });
  const uint8_t request[] = {'E', 'C'};
  uint8_t buffer[2] = {};
  link.Write(request, 2);
  EXPECT_EQ(link.Read(buffer, 2), 0u);
  link.Write(request, 2);
  EXPECT_EQ(link.Read(buffer, 2), 2u);
  EXPECT_EQ(buffer[1], 'C');
}

TEST(ScriptedLinkTest, RecordsEveryCallInOrder) {
  ScriptedLink link;
  link.ApplyLineSettings(LineSettings::Slow);
  link.SetTimeouts(CommandTimeouts(200));
  const uint8_t request[] = {'Q'};
  uint8_t buffer[1];
  link.Write(request, 1);
  link.Read(buffer, 1);
  ASSERT_EQ(link.Calls().size(), 4u);
  EXPECT_EQ(link.Calls()[0].kind, LinkCallKind::LineSettings);
  EXPECT_EQ(link.Calls()[1].kind, LinkCallKind::Timeouts);
  EXPECT_EQ(link.Calls()[2].kind, LinkCallKind::Write);
  EXPECT_EQ(link.Calls()[3].kind, LinkCallKind::Read);
  EXPECT_EQ(link.TimeoutLog().at(0), CommandTimeouts(200));
  EXPECT_EQ(link.LineSettingsLog().at(0), LineSettings::Slow);
}

}  // namespace
