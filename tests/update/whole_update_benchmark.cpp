// The whole stand-in KQ200 update in process, on the virtual clock: 506
// ERASEs and 8,096 blocks against the simulated PLC. The time spent inside
// the simulated PLC's link is measured apart and taken off, so that
// tool_us_per_block is the tool's own time per block.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "tests/update/recording_operator.h"
#include "tests/update/test_image.h"
#include "update/image_limit.h"
#include "update/native_image.h"
#include "update/worker.h"
#include "sim/sim_link.h"

namespace {

using Clock = std::chrono::steady_clock;

// Forwards to the simulated PLC's link and adds up the time spent there.
class TimedLink final : public Link {
 public:
  TimedLink(Link* inner, Clock::duration& spent) : inner_(inner), spent_(spent) {}
  uint32_t Write(const uint8_t* data, uint32_t count) override {
    const auto start = Clock::now();
    const uint32_t n = inner_->Write(data, count);
    spent_ += Clock::now() - start;
    return n;
  }
  uint32_t Read(uint8_t* buffer, uint32_t count) override {
    const auto start = Clock::now();
    const uint32_t n = inner_->Read(buffer, count);
    spent_ += Clock::now() - start;
    return n;
  }
  void SetTimeouts(const LinkTimeouts& t) override { inner_->SetTimeouts(t); }
  void ApplyLineSettings(LineSettings s) override { inner_->ApplyLineSettings(s); }
  Link* Inner() const { return inner_; }

 private:
  Link* inner_;
  Clock::duration& spent_;
};

class TimedLinks final : public LinkProvider {
 public:
  TimedLinks(LinkProvider& inner, Clock::duration& spent) : inner_(inner), spent_(spent) {}
  Link* OpenCom(const char* name) override { return Wrap(inner_.OpenCom(name)); }
  Link* OpenUsb(const char* suffix) override { return Wrap(inner_.OpenUsb(suffix)); }
  void Close(Link* link) override {
    const auto start = Clock::now();
    inner_.Close(static_cast<TimedLink*>(link)->Inner());
    spent_ += Clock::now() - start;
  }

 private:
  Link* Wrap(Link* link) {
    if (link == nullptr) return nullptr;
    links_.push_back(std::make_unique<TimedLink>(link, spent_));
    return links_.back().get();
  }
  LinkProvider& inner_;
  Clock::duration& spent_;
  std::vector<std::unique_ptr<TimedLink>> links_;
};

std::vector<uint8_t> StandInImage() {
  ImageBytes bytes;
  NativeBuiltInImage().Load(&bytes);
  std::vector<uint8_t> copy(bytes.data, bytes.data + bytes.length);
  NativeBuiltInImage().Release();
  if (copy.size() != ImageLimitFor("KQ200").maxLength) copy = PatternImage(0x1FB000);
  return copy;
}

void WholeKq200Update(benchmark::State& state) {
  const std::vector<uint8_t> bytes = StandInImage();
  const uint32_t blocks = static_cast<uint32_t>((bytes.size() - 4096) / 256);
  double toolSeconds = 0;
  double simSeconds = 0;
  bool allSucceeded = true;
  for (auto _ : state) {
    state.PauseTiming();
    sim::PlcConfig config;
    config.model = "KQ200";
    config.keepTranscript = false;
    sim::SimBench bench(config);
    RecordingOperator ui(&bench.clock);
    Clock::duration inSim{};
    TimedLinks links(bench.links, inSim);
    TestImage image(bytes);
    ResetSharedState();
    std::strcpy(selectedPLC, "KQ200");
    SelectModelByName(selectedPLC);
    ParamStruct param{&ui, &links, &image};
    state.ResumeTiming();

    const auto start = Clock::now();
    StartBurn(&param);
    const auto whole = Clock::now() - start;

    state.PauseTiming();
    allSucceeded = allSucceeded && bench.plc.HoldsImage(bytes.data(), bytes.size()) &&
                   bench.plc.Counters().erases == 506;
    toolSeconds += std::chrono::duration<double>(whole - inSim).count();
    simSeconds += std::chrono::duration<double>(inSim).count();
    state.ResumeTiming();
  }
  if (!allSucceeded) state.SkipWithError("the simulated PLC does not hold the image");
  const double runs = static_cast<double>(state.iterations());
  state.counters["blocks"] = blocks;
  state.counters["tool_us_per_block"] = toolSeconds / runs / blocks * 1e6;
  state.counters["sim_us_per_block"] = simSeconds / runs / blocks * 1e6;
  state.counters["tool_ms_per_update"] = toolSeconds / runs * 1e3;
}

BENCHMARK(WholeKq200Update)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
