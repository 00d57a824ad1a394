#include "cli/exit_status.h"

#include <cstring>

#include "update/messages.h"

namespace {

enum class Match { Exact, Prefix, Contains };

struct Rule {
  Match match;
  const char* text;
  ExitStatus status;
};

// First rule that matches wins. Texts are the worker's own.
constexpr Rule kRules[] = {
    {Match::Exact, msg::kSuccessReplug, ExitStatus::Success},
    {Match::Exact, msg::kSuccess, ExitStatus::Success},

    {Match::Prefix, "The file size EXCEEDS the MAXIMUM size", ExitStatus::ImageRefused},
    {Match::Exact, msg::kImageBelowSectorMinimum, ExitStatus::ImageRefused},
    {Match::Exact, msg::kImageMissing, ExitStatus::ImageRefused},

    {Match::Prefix, "CANNOT open ", ExitStatus::LinkNotOpened},

    {Match::Exact, msg::kPlcTypeWrong, ExitStatus::PlcRefused},
    {Match::Exact, "PLC in RUN MODE", ExitStatus::PlcRefused},
    {Match::Prefix, "NO RESPONSE @ State ", ExitStatus::PlcRefused},
    {Match::Prefix, "UNKNOWN ERROR CODE @ State ", ExitStatus::PlcRefused},
    {Match::Prefix, "UNKNOWN MESSAGE", ExitStatus::PlcRefused},
    {Match::Prefix, "Check PLC, ", ExitStatus::PlcRefused},
    {Match::Contains, " CAN NOT downgrade to ", ExitStatus::PlcRefused},
    {Match::Contains, " CAN NOT upgrade to ", ExitStatus::PlcRefused},
    {Match::Prefix, "The bootloader version is ", ExitStatus::PlcRefused},

    {Match::Exact, msg::kNoVersionReply, ExitStatus::BootloaderSilent},
    {Match::Exact, msg::kNoEraseReply, ExitStatus::BootloaderSilent},
    {Match::Exact, msg::kNoUpdateReply, ExitStatus::BootloaderSilent},

    {Match::Exact, msg::kUpdateFailed, ExitStatus::TransferFailed},
    {Match::Exact, msg::kFlashWriteError, ExitStatus::FlashWriteError},
};

bool Matches(const Rule& rule, const char* text) {
  switch (rule.match) {
    case Match::Exact:
      return std::strcmp(text, rule.text) == 0;
    case Match::Prefix:
      return std::strncmp(text, rule.text, std::strlen(rule.text)) == 0;
    case Match::Contains:
      return std::strstr(text, rule.text) != nullptr;
  }
  return false;
}

}  // namespace

ExitStatus ExitStatusForMessage(const char* text, const char* caption) {
  if (text == nullptr || caption == nullptr) return ExitStatus::UnknownEnd;
  for (const Rule& rule : kRules) {
    if (!Matches(rule, text)) continue;
    // A success text under the error caption is no success.
    if (rule.status == ExitStatus::Success && std::strcmp(caption, msg::kCaptionError) == 0) {
      return ExitStatus::UnknownEnd;
    }
    return rule.status;
  }
  return ExitStatus::UnknownEnd;
}

const char* ExitStatusHelp() {
  return "  0  the update succeeded\n"
         "  1  the run ended with a message plcburn does not know\n"
         "  2  bad command line\n"
         "  3  the built-in image was refused (too large, too small, missing); nothing sent\n"
         "  4  the link could not be opened (\"CANNOT open ... Port!!!\"); nothing sent\n"
         "  5  the PLC was refused before erasing: no answer, RUN mode, wrong type,\n"
         "     wrong variant or bootloader version\n"
         "  6  the bootloader did not answer the version read, the erase or UPDATE\n"
         "  7  the transfer failed (\"Firmware update is FAILED\")\n"
         "  8  flash write error reported by the PLC\n";
}
