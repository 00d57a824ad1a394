#include "sim/plcsim_options.h"

#include <cstdlib>
#include <cstring>

#include "sim/model_rules.h"

namespace sim {

namespace {

bool Number(const std::string& text, unsigned long max, unsigned long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtoul(text.c_str(), &end, 0);
  return end != nullptr && *end == '\0' && value <= max;
}

}  // namespace

std::optional<PlcsimOptions> ParsePlcsimOptions(int argc, char** argv, std::string& error) {
  PlcsimOptions o;
  o.plc.model.clear();
  std::optional<uint64_t> randomSeed;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      o.help = true;
      return o;
    }
    if (arg == "--exit-after-update") {
      o.exitAfterUpdate = true;
      continue;
    }
    if (arg == "--pace-wire") {
      o.paceWire = true;
      continue;
    }
    if (arg == "--strict-line") {
      o.strictLine = true;
      continue;
    }
    if (arg == "--erase-ack") {
      o.plc.silentEraseRestart = false;
      continue;
    }
    if (i + 1 >= argc) {
      error = "missing value after " + arg;
      return std::nullopt;
    }
    const std::string value = argv[++i];
    unsigned long n = 0;
    auto number = [&](unsigned long max) {
      if (Number(value, max, n)) return true;
      error = "bad value for " + arg + ": " + value;
      return false;
    };
    if (arg == "--model") {
      o.plc.model = value;
    } else if (arg == "--id") {
      if (!number(0xFFFF)) return std::nullopt;
      o.plc.firmwareId = static_cast<uint16_t>(n);
    } else if (arg == "--boot-id") {
      if (!number(0xFFFF)) return std::nullopt;
      o.plc.bootloaderId = static_cast<uint16_t>(n);
    } else if (arg == "--d1386") {
      if (!number(0xFFFF)) return std::nullopt;
      o.plc.d1386 = static_cast<uint16_t>(n);
    } else if (arg == "--d1001") {
      if (!number(0xFFFF)) return std::nullopt;
      o.plc.d1001 = static_cast<uint16_t>(n);
    } else if (arg == "--d1148") {
      if (!number(0xFFFF)) return std::nullopt;
      o.plc.d1148 = static_cast<uint16_t>(n);
    } else if (arg == "--fw-version") {
      if (!number(0xFF)) return std::nullopt;
      o.plc.firmwareVersion = static_cast<uint8_t>(n);
    } else if (arg == "--boot-version") {
      const size_t comma = value.find(',');
      unsigned long a = 0;
      unsigned long b = 0;
      if (comma == std::string::npos || !Number(value.substr(0, comma), 0xFF, a) ||
          !Number(value.substr(comma + 1), 0xFF, b)) {
        error = "bad value for --boot-version (A,B): " + value;
        return std::nullopt;
      }
      o.plc.bootVersionA = static_cast<uint8_t>(a);
      o.plc.bootVersionB = static_cast<uint8_t>(b);
    } else if (arg == "--start") {
      if (value == "firmware") {
        o.plc.start = StartState::Firmware;
      } else if (value == "bootloader") {
        o.plc.start = StartState::Bootloader;
      } else if (value == "run") {
        o.plc.start = StartState::RunMode;
      } else {
        error = "bad value for --start: " + value;
        return std::nullopt;
      }
    } else if (arg == "--reply-latency-us") {
      if (!number(10000000)) return std::nullopt;
      o.plc.replyLatencyUs = static_cast<uint32_t>(n);
    } else if (arg == "--erase-latency-us") {
      if (!number(10000000)) return std::nullopt;
      o.plc.eraseLatencyUs = static_cast<uint32_t>(n);
    } else if (arg == "--restart-ms") {
      if (!number(600000)) return std::nullopt;
      o.plc.restartDelayMs = static_cast<uint32_t>(n);
    } else if (arg == "--fault") {
      const auto fault = ParseFault(value);
      if (!fault) {
        error = "bad fault: " + value;
        return std::nullopt;
      }
      o.plc.faults.faults.push_back(*fault);
    } else if (arg == "--random-faults") {
      if (!number(~0ul)) return std::nullopt;
      randomSeed = n;
    } else if (arg == "--link") {
      o.linkPath = value;
    } else if (arg == "--out") {
      o.outPath = value;
    } else if (arg == "--transcript") {
      o.transcriptPath = value;
    } else if (arg == "--expect") {
      o.expectPath = value;
    } else if (arg == "--timeout") {
      char* end = nullptr;
      o.timeoutSeconds = std::strtod(value.c_str(), &end);
      if (end == nullptr || *end != '\0' || o.timeoutSeconds < 0) {
        error = "bad value for --timeout: " + value;
        return std::nullopt;
      }
    } else {
      error = "unknown option: " + arg;
      return std::nullopt;
    }
  }
  if (o.plc.model.empty()) {
    error = "--model is required";
    return std::nullopt;
  }
  if (!RulesFor(o.plc.model)) {
    error = "unknown model: " + o.plc.model;
    return std::nullopt;
  }
  // Without wire pacing the terminal carries both directions at its own speed.
  o.plc.paceOutput = o.paceWire;
  if (randomSeed) {
    const FaultPlan drawn = RandomFaultPlan(*randomSeed);
    o.plc.faults.faults.insert(o.plc.faults.faults.end(), drawn.faults.begin(), drawn.faults.end());
  }
  return o;
}

const char* PlcsimHelp() {
  return R"(Usage: plcsim --model NAME [options]

A simulated PLC on a pseudo-terminal, in real time. plcsim prints the path of
the terminal the tool opens (the "port") on its first line of standard output,
then plays one PLC of the named catalogue model: its running firmware answers
the first-stage frames, restarts into its bootloader after the erase request,
and the bootloader takes the image in blocks. Closing the terminal and opening
it again is the PLC's unplug and replug (or power-off and -on): the USB models,
PM7-D-V2, PM7-D-V4 and PN7-MOB come up in their bootloader only after that; the
others come up by themselves shortly after the follow-up request.

The PLC:
  --model NAME          catalogue model name, exactly (required)
  --id N                identifier the running firmware reports (default: the model's)
  --boot-id N           identifier the bootloader reports (default: the model's
                        bootloader's; bit 15 cleared for COM models)
  --d1386 N, --d1001 N, --d1148 N
                        register values (default 0)
  --fw-version N        version byte the firmware reports (default 0x12)
  --boot-version A,B    the two bytes after ACK in the bootloader's "VERSION"
                        reply (default 0x01,0x20)
  --start STATE         firmware (default), bootloader (an interrupted update),
                        run (RUN mode: the handshake is refused with 0x15, 1)
  --restart-ms N        follow-up to bootloader for the self-restarting models
                        (default 300)
  --reply-latency-us N  request heard to first reply character (default 500)
  --erase-latency-us N  one "ERASE" heard to its ACK (default 20000)
  --erase-ack           PM7-D-V2, PM7-D-V4, PN7-MOB: acknowledge the erase request
                        and wait for the follow-up (default: restart at once,
                        without a reply)
  --strict-line         read the terminal's line settings and drop bytes sent at
                        the wrong ones (9600 7E1 before "UPDATE", 115200 8N1 after),
                        as a COM PLC's UART would
  --pace-wire           carry both directions no faster than the line settings in
                        force would (9600 7E1: a character every 1.04 ms, 115200
                        8N1: one every 86.8 us); without it the terminal's own
                        speed, and each reply leaves whole after its latency

Faults (repeatable; numbers may be given in hex as 0x..):
  --fault kind=K[,req=R][,attempt=N][,count=N][,index=N][,b5=N][,b6=N]
          [,id=N][,length=N][,delay=MS][,after=N]
      K: noreply lostreply refusal wrongid badlrc lowercase garbage short late
         flasherror pull
      R: probe handshake id d1386 d1001 d1148 version erase followup
         boot-handshake boot-id boot-version boot-erase boot-erase-eot
         boot-update block final-eot any (default any)
      attempt/count: the attempts hit, counted per request from 0 (default 0, 1)
      index: the block number (0 first) or the ERASE number for block / boot-erase
      b5,b6: refusal details (default 2,1); id: the wrong identifier;
      length: characters of a short reply (default all but one);
      delay: extra delay of a late reply in ms (default 3500);
      after: for pull, the tool's bytes that still get through; then the
      terminal goes away (the tool's reads and writes fail)
  --random-faults SEED  add a plan drawn from SEED

Output and end:
  --link PATH           also make PATH a symlink to the terminal
  --out FILE            write the received image (the blocks' data as stored,
                        0x1A fill of a short last block included)
  --transcript FILE     both directions and events, one JSON object a line:
                        {"t_us":N,"dir":"to_plc"|"from_plc","hex":"..."} or
                        {"t_us":N,"event":"..."}
  --expect FILE         the image file the tool sends; the run succeeds only when
                        the PLC holds exactly the bytes the tool must send of it
                        (all of it, or all but the last 4096 bytes for KQ300,
                        KQ200, PM8-PN8, PM8-BUNDLE, HVC-W, KQ100, RW8RV8), followed
                        by nothing but the 0x1A fill of the last block
  --exit-after-update   end once the final EOT is acknowledged and the tool has
                        closed the terminal (or 2 s later)
  --timeout SECONDS     end after this long
  SIGTERM / SIGINT      end

Exit status: 0 a complete image was received (and equals --expect when given);
1 no complete image, or it differs; 2 bad command line; 3 no pseudo-terminal.
)";
}

}  // namespace sim
