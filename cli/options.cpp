#include "cli/options.h"

#include <cstring>

#include "cli/exit_status.h"

namespace {

// "--name VALUE" or "--name=VALUE"; advances `i` past a separate value.
bool TakeValue(const char* name, int argc, const char* const* argv, int& i, std::string& out,
               std::string& error) {
  const char* arg = argv[i];
  const size_t n = std::strlen(name);
  if (std::strncmp(arg, name, n) != 0) return false;
  if (arg[n] == '=') {
    out = arg + n + 1;
  } else if (arg[n] == '\0') {
    if (i + 1 >= argc) {
      error = std::string(name) + " needs a value";
      return true;
    }
    out = argv[++i];
  } else {
    return false;
  }
  if (out.empty() && error.empty()) error = std::string(name) + " needs a value";
  return true;
}

}  // namespace

CliOptions ParseOptions(int argc, const char* const* argv) {
  CliOptions o;
  for (int i = 1; i < argc && o.error.empty(); ++i) {
    const char* arg = argv[i];
    if (TakeValue("--port", argc, argv, i, o.port, o.error)) continue;
    if (TakeValue("--transcript", argc, argv, i, o.transcript, o.error)) continue;
    if (std::strcmp(arg, "--list-ports") == 0) {
      o.listPorts = true;
    } else if (std::strcmp(arg, "--yes") == 0 || std::strcmp(arg, "-y") == 0) {
      o.yes = true;
    } else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      o.help = true;
    } else if (std::strcmp(arg, "--version") == 0) {
      o.version = true;
    } else {
      o.error = std::string("unknown argument '") + arg + "'";
    }
  }
  return o;
}

std::string UsageText(const char* program) {
  std::string text = std::string("Usage: ") + program + " [--port PATH] [--yes] [--transcript FILE]\n" +
                     "       " + program + " --list-ports | --help | --version\n" +
                     R"(
Writes the firmware image built into this program into the PLC of the model
that the image's file name presets, in one update: stage 1 with the running
firmware, the reconnect prompt, stage 2 with the bootloader.

  --port PATH         the PLC's tty: the COM port of a COM model, or the USB
                      PLC's tty when USB discovery cannot see it
                      (default: a COM model takes the first listed port, a USB
                      model the device with vendor 0b7e, product 0001)
  --list-ports        list the serial ports and the PLC's USB device, then exit
  --yes, -y           answer the replug and power-cycle prompts without waiting
                      (without a terminal on standard input they are taken as
                      answered anyway)
  --transcript FILE   write every byte sent and received, with timestamps
  --help, -h          show this text
  --version           show the version

Exit status:
)";
  text += ExitStatusHelp();
  return text;
}
