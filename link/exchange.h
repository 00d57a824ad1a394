#pragma once
// The exchange discipline shared by every command of both stages: write the
// request, read the whole expected reply, judge it; retry until six writes have
// fallen short or six replies were bad, counting every failed attempt in
// errCounter and totalErrCounter. There is no pause between attempts but the
// read's own waiting, and nothing is ever purged: a late reply stays queued for
// the next read.

#include <cstdint>
#include <cstring>

#include "catalogue/shared_state.h"
#include "link/link.h"

// What the command makes of one reply.
enum class Verdict {
  Accept,      // the exchange has succeeded
  BadReply,    // count it and send the request again
  ShortWrite,  // a write the command made after the read fell short: count it as one
  Stop,        // end the exchange at once, uncounted (e.g. the PLC's flash write error)
};

enum class ExchangeResult { Accepted, Failed, Stopped };

struct ExchangeOptions {
  uint8_t maxFailures = 6;            // of either kind; 1 gives a single attempt
  bool clearReplyBeforeRead = false;  // stage-1 commands clear their buffer before every read
};

// `judge(countRead)` sees the reply in `reply` and returns the verdict. The read
// never asks for more than `replyLength`, the size of the caller's buffer.
template <typename Judge>
ExchangeResult Exchange(Link* link, const uint8_t* request, uint32_t requestLength,
                        uint8_t* reply, uint32_t replyLength, Judge&& judge,
                        ExchangeOptions options = {}) {
  uint8_t writeFailures = 0;
  uint8_t replyFailures = 0;
  while (writeFailures < options.maxFailures && replyFailures < options.maxFailures) {
    if (LinkWrite(link, request, requestLength) != requestLength) {
      ++writeFailures;
      errCounter = writeFailures;
      ++totalErrCounter;
      continue;
    }
    errCounter = replyFailures;
    if (options.clearReplyBeforeRead) std::memset(reply, 0, replyLength);
    const uint32_t countRead = LinkRead(link, reply, replyLength);
    switch (judge(countRead)) {
      case Verdict::Accept:
        return ExchangeResult::Accepted;
      case Verdict::Stop:
        return ExchangeResult::Stopped;
      case Verdict::ShortWrite:
        ++writeFailures;
        errCounter = writeFailures;
        ++totalErrCounter;
        break;
      case Verdict::BadReply:
        ++replyFailures;
        errCounter = replyFailures;
        ++totalErrCounter;
        break;
    }
  }
  return ExchangeResult::Failed;
}
