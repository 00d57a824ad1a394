#pragma once
// plcsim's command line.

#include <optional>
#include <string>

#include "sim/plc_config.h"

namespace sim {

struct PlcsimOptions {
  PlcConfig plc;
  std::string linkPath;        // a symlink to the pty's tool side
  std::string outPath;         // the received image
  std::string transcriptPath;  // JSON lines of both directions
  std::string expectPath;      // the image file to compare with
  bool exitAfterUpdate = false;
  double timeoutSeconds = 0;   // 0: none
  bool paceWire = false;
  bool strictLine = false;
  bool help = false;
};

// Nothing, with `error` set, when the command line is wrong.
std::optional<PlcsimOptions> ParsePlcsimOptions(int argc, char** argv, std::string& error);

const char* PlcsimHelp();

}  // namespace sim
