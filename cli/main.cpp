// plcburn: the Linux command-line burner. One update of the built-in image for
// the preset model, through the same worker as the window.

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "cli/cli_links.h"
#include "cli/exit_status.h"
#include "cli/options.h"
#include "cli/port_list.h"
#include "cli/progress_display.h"
#include "cli/terminal_operator.h"
#include "link/usb_linux.h"
#include "update/native_image.h"
#include "update/preset.h"
#include "update/worker.h"

#ifndef PLCBURN_VERSION
#define PLCBURN_VERSION "unknown"
#endif

namespace {

int ListPorts() {
  for (const auto& port : ListSerialPorts(kSysfsRoot, kDevRoot)) std::printf("%s\n", port.c_str());
  for (const auto& device : FindPlcUsbDevices(kSysfsRoot, kDevRoot)) {
    std::printf("USB PLC %s:%s at %s:", kPlcUsbVendor, kPlcUsbProduct, device.name.c_str());
    if (device.ttys.empty()) std::printf(" no tty (is its driver loaded?)");
    for (const auto& tty : device.ttys) std::printf(" %s", tty.c_str());
    std::printf("\n");
  }
  return 0;
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// The link the worker will use, as the operator should read it.
std::string LinkDescription(bool usb, const std::string& port) {
  if (usb) {
    return port.empty() ? "USB (vendor 0b7e, product 0001)"
                        : "USB (vendor 0b7e, product 0001), else " + port;
  }
  return port.empty() ? "no serial port found" : port;
}

}  // namespace

int main(int argc, char** argv) {
  const CliOptions options = ParseOptions(argc, argv);
  if (!options.error.empty()) {
    std::fprintf(stderr, "plcburn: %s\nTry 'plcburn --help'.\n", options.error.c_str());
    return static_cast<int>(ExitStatus::Usage);
  }
  if (options.help) {
    std::fputs(UsageText("plcburn").c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::printf("plcburn %s\n", PLCBURN_VERSION);
    return 0;
  }
  if (options.listPorts) return ListPorts();

  BuiltInImage& image = NativeBuiltInImage();
  PresetModelFromImageName(image.FileName(), nullptr);
  const char* model = SelectedModelName();
  const bool usb = IsUsbModel(model);
  ImageBytes bytes;
  const bool present = image.Load(&bytes);
  image.Release();

  std::string port = options.port;
  if (port.empty() && !usb) {
    // The window selects the first port of its list; so does plcburn.
    const auto ports = ListSerialPorts(kSysfsRoot, kDevRoot);
    if (!ports.empty()) port = ports.front();
  }
  selectedComPort.Set(PortDisplayName(port).c_str());

  std::printf("Model: %s\n", model);
  std::printf("Image: %s (%u bytes)\n", image.FileName(), present ? bytes.length : 0u);
  std::printf("Link:  %s\n", LinkDescription(usb, port).c_str());
  std::fflush(stdout);

  std::unique_ptr<std::FILE, FileCloser> transcriptFile;
  std::unique_ptr<Transcript> transcript;
  if (!options.transcript.empty()) {
    transcriptFile.reset(std::fopen(options.transcript.c_str(), "w"));
    if (!transcriptFile) {
      std::perror(("plcburn: " + options.transcript).c_str());
      return static_cast<int>(ExitStatus::Usage);
    }
    // Every block is a line; let the buffer take them, not a write per line.
    std::setvbuf(transcriptFile.get(), nullptr, _IOFBF, 1 << 20);
    transcript = std::make_unique<Transcript>(transcriptFile.get());
  }

  CliLinks links(options.port.empty() && !usb ? port : options.port, transcript.get());
  ProgressDisplay display(stderr, ::isatty(STDERR_FILENO) != 0);
  TerminalOperator terminal(display, options.yes, ::isatty(STDIN_FILENO) != 0);

  paramStruct.ui = &terminal;
  paramStruct.links = &links;
  paramStruct.image = &image;
  display.Start();
  StartBurn(&paramStruct);
  display.Stop();

  if (!terminal.hasFinalMessage()) return static_cast<int>(ExitStatus::UnknownEnd);
  return static_cast<int>(
      ExitStatusForMessage(terminal.finalText().c_str(), terminal.finalCaption().c_str()));
}
