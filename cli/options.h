#pragma once
// plcburn's command line.

#include <string>

struct CliOptions {
  std::string port;        // --port PATH
  std::string transcript;  // --transcript FILE
  bool listPorts = false;  // --list-ports
  bool yes = false;        // --yes
  bool help = false;       // --help, -h
  bool version = false;    // --version
  std::string error;       // not empty: the command line was not understood
};

CliOptions ParseOptions(int argc, const char* const* argv);

// The --help text, with `program` as the command's name.
std::string UsageText(const char* program);
