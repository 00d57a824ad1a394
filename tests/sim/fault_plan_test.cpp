// Fault plans as data: the option text of plcsim, and plans drawn from a seed.
#include <gtest/gtest.h>

#include "sim/fault_plan.h"

namespace {

TEST(ParseFault, ReadsEveryField) {
  const auto f = sim::ParseFault(
      "kind=refusal,req=handshake,attempt=2,count=3,index=4,b5=2,b6=0x03,id=0x2001,length=7,"
      "delay=3500,after=99");
  ASSERT_TRUE(f.has_value());
  EXPECT_EQ(f->kind, sim::FaultKind::Refusal);
  EXPECT_EQ(f->request, sim::Request::Handshake);
  EXPECT_EQ(f->attempt, 2u);
  EXPECT_EQ(f->attempts, 3u);
  EXPECT_EQ(f->index, 4u);
  EXPECT_EQ(f->byte5, 2);
  EXPECT_EQ(f->byte6, 3);
  EXPECT_EQ(f->id, 0x2001);
  EXPECT_EQ(f->length, 7u);
  EXPECT_EQ(f->delayMs, 3500u);
  EXPECT_EQ(f->afterBytes, 99u);
  const auto again = sim::ParseFault(sim::DescribeFault(*f));
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(sim::DescribeFault(*again), sim::DescribeFault(*f));
}

TEST(ParseFault, RefusesWhatItDoesNotUnderstand) {
  for (const char* text : {"", "req=block", "kind=nothing", "kind=noreply,req=nowhere",
                           "kind=noreply,attempt=x", "kind=noreply,b5=300", "kind=noreply,size=1",
                           "kind=noreply,attempt"}) {
    EXPECT_FALSE(sim::ParseFault(text).has_value()) << text;
  }
}

TEST(FaultHits, ByRequestAttemptAndIndex) {
  sim::Fault f;
  f.request = sim::Request::Block;
  f.attempt = 1;
  f.attempts = 2;
  f.index = 5;
  EXPECT_FALSE(f.Hits(sim::Request::Block, 0, 5));
  EXPECT_TRUE(f.Hits(sim::Request::Block, 1, 5));
  EXPECT_TRUE(f.Hits(sim::Request::Block, 2, 5));
  EXPECT_FALSE(f.Hits(sim::Request::Block, 3, 5));
  EXPECT_FALSE(f.Hits(sim::Request::Block, 1, 4));
  EXPECT_FALSE(f.Hits(sim::Request::FinalEot, 1, 5));
  f.request = sim::Request::Any;
  EXPECT_TRUE(f.Hits(sim::Request::FinalEot, 1, 0));
  f.kind = sim::FaultKind::PullCable;
  EXPECT_FALSE(f.Hits(sim::Request::FinalEot, 1, 0));
}

TEST(RandomFaultPlan, SameSeedSamePlanAndWithinTheOptions) {
  sim::RandomFaultOptions options;
  options.maxFaults = 5;
  options.blocks = 3;
  options.allowPullCable = true;
  options.maxPullAfter = 100;
  bool sawPull = false;
  bool sawSeveral = false;
  for (uint64_t seed = 0; seed < 500; ++seed) {
    const sim::FaultPlan a = sim::RandomFaultPlan(seed, options);
    const sim::FaultPlan b = sim::RandomFaultPlan(seed, options);
    ASSERT_EQ(a.faults.size(), b.faults.size());
    sawSeveral = sawSeveral || a.faults.size() > 1;
    for (size_t i = 0; i < a.faults.size(); ++i) {
      EXPECT_EQ(sim::DescribeFault(a.faults[i]), sim::DescribeFault(b.faults[i]));
      const sim::Fault& f = a.faults[i];
      if (f.kind == sim::FaultKind::PullCable) {
        sawPull = true;
        EXPECT_LT(f.afterBytes, 100u);
      } else {
        EXPECT_LT(f.attempt, options.maxAttempt);
        EXPECT_GE(f.attempts, 1u);
        if (f.request == sim::Request::Block) {
          EXPECT_LT(f.index, 3u);
        }
      }
    }
  }
  EXPECT_TRUE(sawPull);
  EXPECT_TRUE(sawSeveral);
  sim::RandomFaultOptions none;
  none.maxFaults = 0;
  EXPECT_TRUE(sim::RandomFaultPlan(1, none).faults.empty());
}

}  // namespace
