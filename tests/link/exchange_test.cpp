// The retry-and-count rule every command shares, driven through a trivial
// command: request "REQ", a 3-byte reply accepted only when it is "OK!".
#include "link/exchange.h"

#include <gtest/gtest.h>

#include <functional>

#include "catalogue/shared_state.h"
#include "tests/support/scripted_link.h"

namespace {

using plctest::Bytes;
using plctest::ScriptedLink;
using plctest::Text;

constexpr uint32_t kReplyLength = 3;
constexpr int32_t kTotalBefore = 100;

struct Outcome {
  ExchangeResult result;
  uint8_t reply[kReplyLength];
};

Outcome RunExchange(ScriptedLink& link, ExchangeOptions options = {}) {
  link.SetTimeouts(CommandTimeouts(3000));
  const Bytes request = Text("REQ");
  Outcome run{ExchangeResult::Failed, {}};
  run.result = Exchange(
      &link, request.data(), static_cast<uint32_t>(request.size()), run.reply, kReplyLength,
      [&](uint32_t countRead) {
        const bool ok =
            countRead == kReplyLength && Bytes(run.reply, run.reply + kReplyLength) == Text("OK!");
        if (countRead == kReplyLength && run.reply[0] == 'X') return Verdict::Stop;
        return ok ? Verdict::Accept : Verdict::BadReply;
      },
      options);
  return run;
}

class ExchangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSharedState();
    errCounter = 9;  // left over from a previous exchange
    totalErrCounter = kTotalBefore;
  }
};

struct DisciplineCase {
  const char* name;
  std::function<void(ScriptedLink&)> script;
  ExchangeResult result;
  size_t writes;
  size_t reads;
  int32_t errCounter;
  int32_t totalAdded;
  uint64_t virtualMs;
};

TEST_F(ExchangeTest, RetriesAndCountsAsTheDisciplineSays) {
  const DisciplineCase cases[] = {
      {"no answer at all", [](ScriptedLink& l) { l.Silence(6); }, ExchangeResult::Failed, 6, 6, 6,
       6, 18000},
      {"every write short", [](ScriptedLink& l) { l.FallShort(6, 2); }, ExchangeResult::Failed, 6,
       0, 6, 6, 18000},
      {"5 short writes, then 6 bad replies",
       [](ScriptedLink& l) { l.FallShort(5).AnswerTimes(6, Text("NO!")); }, ExchangeResult::Failed,
       11, 6, 6, 11, 15000},
      {"a short reply is bad", [](ScriptedLink& l) { l.AnswerTimes(6, Text("OK")); },
       ExchangeResult::Failed, 6, 6, 6, 6, 0},
      {"good reply at the first attempt", [](ScriptedLink& l) { l.Answer(Text("OK!")); },
       ExchangeResult::Accepted, 1, 1, 0, 0, 0},
      {"five bad replies, then a good one",
       [](ScriptedLink& l) { l.AnswerTimes(5, Text("NO!")).Answer(Text("OK!")); },
       ExchangeResult::Accepted, 6, 6, 5, 5, 0},
      {"late reply consumed by the next read",
       [](ScriptedLink& l) { l.Answer(Text("OK!"), 3500).Silence(); }, ExchangeResult::Accepted, 2,
       2, 1, 1, 3500},
      {"a stop verdict ends it uncounted",
       [](ScriptedLink& l) { l.Answer(Text("NO!")).Answer(Text("XXX")); }, ExchangeResult::Stopped,
       2, 2, 1, 1, 0},
  };
  for (const DisciplineCase& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    ScriptedLink link;
    c.script(link);
    const Outcome run = RunExchange(link);
    EXPECT_EQ(run.result, c.result);
    EXPECT_EQ(link.WriteLog().size(), c.writes);
    EXPECT_EQ(link.ReadLog().size(), c.reads);
    EXPECT_EQ(errCounter, c.errCounter);
    EXPECT_EQ(totalErrCounter - kTotalBefore, c.totalAdded);
    EXPECT_EQ(link.NowMillis(), c.virtualMs);
    for (const auto& write : link.WriteLog()) EXPECT_EQ(write.bytes, Text("REQ"));
    for (const auto& read : link.ReadLog()) EXPECT_EQ(read.asked, kReplyLength);
  }
}

TEST_F(ExchangeTest, SingleAttemptGivesUpAfterOneFailure) {
  ScriptedLink link;
  link.Silence(2);
  const Outcome run = RunExchange(link, ExchangeOptions{.maxFailures = 1});
  EXPECT_EQ(run.result, ExchangeResult::Failed);
  EXPECT_EQ(link.WriteLog().size(), 1u);
  EXPECT_EQ(errCounter, 1);
  EXPECT_EQ(totalErrCounter, kTotalBefore + 1);
}

TEST_F(ExchangeTest, ClearsTheReplyBeforeEveryReadOnlyWhenAsked) {
  for (const bool clear : {false, true}) {
    SCOPED_TRACE(clear);
    ScriptedLink link;
    link.Answer(Text("NO!")).AnswerTimes(5, Text("N"));  // short replies after a whole one
    const Outcome run = RunExchange(link, ExchangeOptions{.clearReplyBeforeRead = clear});
    // After the short last reply the buffer holds what came and, when cleared,
    // zeros after it; otherwise the earlier reply's tail.
    EXPECT_EQ(run.reply[0], 'N');
    EXPECT_EQ(run.reply[1], clear ? 0 : 'O');
  }
}

}  // namespace
