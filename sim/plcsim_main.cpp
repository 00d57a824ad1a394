// plcsim: the simulated PLC on a pseudo-terminal, for the tool's real links.
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sim/plcsim_options.h"
#include "sim/pty_host.h"
#include "sim/simulated_plc.h"

namespace {

volatile sig_atomic_t stopRequested = 0;
volatile int stopFlag = 0;

void OnSignal(int) {
  stopRequested = 1;
  stopFlag = 1;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string s;
  for (uint8_t b : bytes) {
    s.push_back(kDigits[b >> 4]);
    s.push_back(kDigits[b & 0x0F]);
  }
  return s;
}

std::string JsonString(const std::string& text) {
  std::string s = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') s.push_back('\\');
    s.push_back(c);
  }
  return s + "\"";
}

bool WriteTranscript(const sim::SimulatedPlc& plc, const std::string& path) {
  struct Line {
    uint64_t at;
    std::string text;
  };
  std::vector<Line> lines;
  for (const auto& e : plc.Transcript()) {
    lines.push_back({e.atUs, "{\"t_us\":" + std::to_string(e.atUs) + ",\"dir\":\"" +
                                 (e.toPlc ? "to_plc" : "from_plc") + "\",\"hex\":\"" +
                                 Hex(e.bytes) + "\"}"});
  }
  for (const auto& e : plc.Events()) {
    lines.push_back({e.atUs, "{\"t_us\":" + std::to_string(e.atUs) +
                                 ",\"event\":" + JsonString(e.what) + "}"});
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const Line& a, const Line& b) { return a.at < b.at; });
  std::ofstream out(path);
  for (const auto& l : lines) out << l.text << '\n';
  return static_cast<bool>(out);
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  const auto options = sim::ParsePlcsimOptions(argc, argv, error);
  if (!options) {
    std::fprintf(stderr, "plcsim: %s (see --help)\n", error.c_str());
    return 2;
  }
  if (options->help) {
    std::fputs(sim::PlcsimHelp(), stdout);
    return 0;
  }
  std::vector<uint8_t> expected;
  if (!options->expectPath.empty() && !ReadFile(options->expectPath, expected)) {
    std::fprintf(stderr, "plcsim: cannot read %s\n", options->expectPath.c_str());
    return 2;
  }

  sim::SimulatedPlc plc(options->plc);
  sim::PtyHostOptions hostOptions;
  hostOptions.paceWire = options->paceWire;
  hostOptions.strictLine = options->strictLine;
  hostOptions.exitAfterUpdate = options->exitAfterUpdate;
  hostOptions.timeoutSeconds = options->timeoutSeconds;
  sim::PtyHost host(plc, hostOptions);
  if (!host.Open(error)) {
    std::fprintf(stderr, "plcsim: %s\n", error.c_str());
    return 3;
  }
  if (!options->linkPath.empty()) {
    unlink(options->linkPath.c_str());
    if (symlink(host.SlavePath().c_str(), options->linkPath.c_str()) != 0) {
      std::fprintf(stderr, "plcsim: cannot make the link %s\n", options->linkPath.c_str());
      return 3;
    }
  }
  std::printf("%s\n", host.SlavePath().c_str());
  std::fflush(stdout);

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  host.Run(stopFlag);

  if (!options->linkPath.empty()) unlink(options->linkPath.c_str());
  if (!options->outPath.empty()) {
    std::ofstream out(options->outPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(plc.ReceivedImage().data()),
              static_cast<std::streamsize>(plc.ReceivedImage().size()));
  }
  if (!options->transcriptPath.empty() && !WriteTranscript(plc, options->transcriptPath)) {
    std::fprintf(stderr, "plcsim: cannot write %s\n", options->transcriptPath.c_str());
  }
  const auto& c = plc.Counters();
  std::fprintf(stderr,
               "plcsim: %s, %u ERASE, %u blocks accepted, %u rejected, %zu bytes received%s\n",
               plc.ImageComplete() ? "image complete" : "no complete image", c.erases,
               c.blocksAccepted, c.blocksRejected, plc.ReceivedImage().size(),
               stopRequested != 0 ? " (stopped)" : "");
  if (!plc.ImageComplete()) return 1;
  if (!options->expectPath.empty() && !plc.HoldsImage(expected.data(), expected.size())) {
    std::fprintf(stderr, "plcsim: the received image differs from %s\n",
                 options->expectPath.c_str());
    return 1;
  }
  return 0;
}
