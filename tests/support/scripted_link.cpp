#include "tests/support/scripted_link.h"

#include <algorithm>

namespace plctest {

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

ScriptedLink::ScriptedLink(VirtualClock* clock) : clock_(clock != nullptr ? clock : &ownClock_) {}

ScriptedLink& ScriptedLink::Then(const Reaction& reaction) {
  script_.push_back(reaction);
  return *this;
}

ScriptedLink& ScriptedLink::Answer(const Bytes& reply, uint64_t delayMs) {
  return Then(Reaction{Reaction::kWhole, reply, delayMs});
}

ScriptedLink& ScriptedLink::AnswerTimes(int times, const Bytes& reply, uint64_t delayMs) {
  for (int i = 0; i < times; ++i) Answer(reply, delayMs);
  return *this;
}

ScriptedLink& ScriptedLink::Silence(int times) {
  for (int i = 0; i < times; ++i) Then(Reaction{});
  return *this;
}

ScriptedLink& ScriptedLink::FallShort(int times, uint32_t accepted) {
  for (int i = 0; i < times; ++i) Then(Reaction{accepted, {}, 0});
  return *this;
}

void ScriptedLink::SetResponder(std::function<Reaction(const Bytes& written)> responder) {
  responder_ = std::move(responder);
}

void ScriptedLink::Arrive(const Bytes& bytes, uint64_t afterMs) {
  Schedule(bytes, clock_->NowMicros() + afterMs * 1000);
}

std::vector<Bytes> ScriptedLink::WrittenBytes() const {
  std::vector<Bytes> all;
  all.reserve(writes_.size());
  for (const WriteRecord& write : writes_) all.push_back(write.bytes);
  return all;
}

void ScriptedLink::Schedule(const Bytes& bytes, uint64_t arrivalMicros) {
  // A serial line keeps order: nothing overtakes bytes already on their way.
  if (!queue_.empty()) arrivalMicros = std::max(arrivalMicros, queue_.back().arrivalMicros);
  for (uint8_t value : bytes) queue_.push_back(QueuedByte{value, arrivalMicros});
}

Reaction ScriptedLink::NextReaction(const Bytes& written) {
  if (nextReaction_ < script_.size()) return script_[nextReaction_++];
  if (responder_) return responder_(written);
  return Reaction{};
}

uint32_t ScriptedLink::Write(const uint8_t* data, uint32_t count) {
  Bytes bytes(data, data + count);
  const uint64_t start = clock_->NowMicros();
  const Reaction reaction = NextReaction(bytes);
  const uint32_t written = std::min(reaction.accept, count);
  // A write that falls short has given up after its constant.
  if (written < count) clock_->AdvanceMillis(current_.writeConstant);
  writes_.push_back(WriteRecord{std::move(bytes), written, start});
  calls_.push_back(LinkCall{LinkCallKind::Write, writes_.size() - 1});
  if (!reaction.reply.empty())
    Schedule(reaction.reply, clock_->NowMicros() + reaction.replyDelayMs * 1000);
  return written;
}

uint32_t ScriptedLink::Read(uint8_t* buffer, uint32_t count) {
  const uint64_t start = clock_->NowMicros();
  auto arrivedBy = [&](uint64_t t) {
    size_t n = 0;
    while (n < queue_.size() && queue_[n].arrivalMicros <= t) ++n;
    return n;
  };
  size_t take = 0;
  const size_t waiting = arrivedBy(start);
  if (waiting > 0) {
    take = std::min<size_t>(waiting, count);
  } else if (count > 0) {
    const uint64_t deadline = start + uint64_t{current_.readConstant} * 1000;
    if (queue_.size() >= count && queue_[count - 1].arrivalMicros <= deadline) {
      take = count;
      clock_->AdvanceTo(queue_[count - 1].arrivalMicros);
    } else {
      take = std::min<size_t>(arrivedBy(deadline), count);
      clock_->AdvanceTo(deadline);
    }
  }
  Bytes returned;
  returned.reserve(take);
  for (size_t i = 0; i < take; ++i) {
    buffer[i] = queue_[i].value;
    returned.push_back(queue_[i].value);
  }
  queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(take));
  reads_.push_back(
      ReadRecord{count, current_.readConstant, std::move(returned), start, clock_->NowMicros()});
  calls_.push_back(LinkCall{LinkCallKind::Read, reads_.size() - 1});
  return static_cast<uint32_t>(take);
}

void ScriptedLink::SetTimeouts(const LinkTimeouts& timeouts) {
  current_ = timeouts;
  timeouts_.push_back(timeouts);
  calls_.push_back(LinkCall{LinkCallKind::Timeouts, timeouts_.size() - 1});
}

void ScriptedLink::ApplyLineSettings(LineSettings settings) {
  lineSettings_.push_back(settings);
  calls_.push_back(LinkCall{LinkCallKind::LineSettings, lineSettings_.size() - 1});
}

}  // namespace plctest
