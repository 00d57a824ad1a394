#pragma once
// The links plcburn hands to the worker: the operating system's, with the
// --port tty standing in where the command line names one, and each link
// wrapped in a recorder when a transcript is asked for.

#include <string>

#include "cli/recording_link.h"
#include "link/link.h"

class CliLinks final : public LinkProvider {
 public:
  // `portPath` may be empty; `transcript` may be null.
  CliLinks(std::string portPath, Transcript* transcript)
      : portPath_(std::move(portPath)), transcript_(transcript) {}

  // A COM model opens the --port tty whatever the port name, since the name
  // slot holds only 9 characters of the path.
  Link* OpenCom(const char* portName) override;
  // The PLC's USB tty as discovery finds it, else the --port tty.
  Link* OpenUsb(const char* suffix) override;
  void Close(Link* link) override;

 private:
  Link* Wrap(Link* link, const std::string& path);
  std::string portPath_;
  Transcript* transcript_;
};
