// plcburn's exit status for every kind of final message, and its command line.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/exit_status.h"
#include "cli/options.h"
#include "cli/port_list.h"
#include "cli/terminal_operator.h"
#include "update/messages.h"

namespace {

TEST(ExitStatus, EachKindOfEndHasItsOwnStatus) {
  struct Case {
    const char* text;
    const char* caption;
    ExitStatus status;
  };
  const Case cases[] = {
      {msg::kSuccessReplug, "Information", ExitStatus::Success},
      {msg::kSuccess, "INFORMATION", ExitStatus::Success},
      {"The file size EXCEEDS the MAXIMUM size (2028 * 1024)", "ERROR", ExitStatus::ImageRefused},
      {"The file size EXCEEDS the MAXIMUM size (4 * 1024)", "ERROR", ExitStatus::ImageRefused},
      {msg::kImageMissing, "ERROR", ExitStatus::ImageRefused},
      {msg::kImageBelowSectorMinimum, "ERROR", ExitStatus::ImageRefused},
      {"CANNOT open USB Port!!!", "ERROR", ExitStatus::LinkNotOpened},
      {"CANNOT open  Port!!!", "ERROR", ExitStatus::LinkNotOpened},
      {"CANNOT open pts/3 Port!!!", "ERROR", ExitStatus::LinkNotOpened},
      {"NO RESPONSE @ State 1", "ERROR", ExitStatus::PlcRefused},
      {"NO RESPONSE @ State 3", "ERROR", ExitStatus::PlcRefused},
      {"PLC in RUN MODE", "ERROR", ExitStatus::PlcRefused},
      {"PLC type is WRONG", "ERROR", ExitStatus::PlcRefused},
      {"UNKNOWN MESSAGE", "ERROR", ExitStatus::PlcRefused},
      {"UNKNOWN MESSAGE @ State 2", "ERROR", ExitStatus::PlcRefused},
      {"UNKNOWN ERROR CODE @ State 3", "ERROR", ExitStatus::PlcRefused},
      {msg::kRc7IsNotRc28, "ERROR", ExitStatus::PlcRefused},
      {msg::kPm7Pn7NoUpgrade, "ERROR", ExitStatus::PlcRefused},
      {msg::kRvNoDowngrade, "ERROR", ExitStatus::PlcRefused},
      {msg::kGateV09, "ERROR", ExitStatus::PlcRefused},
      {msg::kGateUnknown, "ERROR", ExitStatus::PlcRefused},
      {msg::kNoVersionReply, "ERROR", ExitStatus::BootloaderSilent},
      {msg::kNoEraseReply, "ERROR", ExitStatus::BootloaderSilent},
      {msg::kNoUpdateReply, "ERROR", ExitStatus::BootloaderSilent},
      {msg::kUpdateFailed, "ERROR", ExitStatus::TransferFailed},
      {msg::kFlashWriteError, "ERROR", ExitStatus::FlashWriteError},
      // Near misses of the success texts are no success.
      {"Firmware update is SUCCESSFUL ", "INFORMATION", ExitStatus::UnknownEnd},
      {msg::kSuccess, "ERROR", ExitStatus::UnknownEnd},
      {"", "ERROR", ExitStatus::UnknownEnd},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExitStatusForMessage(c.text, c.caption), c.status) << '"' << c.text << '"';
  }
  EXPECT_EQ(ExitStatusForMessage(nullptr, nullptr), ExitStatus::UnknownEnd);
}

TEST(ExitStatus, OnlyTheTwoReconnectRequestsArePrompts) {
  EXPECT_TRUE(TerminalOperator::IsPrompt(msg::kReplugPrompt));
  EXPECT_TRUE(TerminalOperator::IsPrompt(msg::kPowerCyclePrompt));
  EXPECT_FALSE(TerminalOperator::IsPrompt(msg::kSuccessReplug));
  EXPECT_FALSE(TerminalOperator::IsPrompt("PLC type is WRONG"));
}

CliOptions Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "plcburn");
  return ParseOptions(static_cast<int>(args.size()), args.data());
}

TEST(CliOptions, ParsesEveryOptionAndRefusesWhatItDoesNotKnow) {
  const CliOptions all = Parse({"--port", "/dev/pts/4", "--yes", "--transcript=t.log"});
  EXPECT_TRUE(all.error.empty());
  EXPECT_EQ(all.port, "/dev/pts/4");
  EXPECT_EQ(all.transcript, "t.log");
  EXPECT_TRUE(all.yes);
  EXPECT_FALSE(all.listPorts);
  EXPECT_TRUE(Parse({"--list-ports"}).listPorts);
  EXPECT_TRUE(Parse({"-h"}).help);
  EXPECT_TRUE(Parse({"--version"}).version);
  for (const auto& bad : std::vector<std::vector<const char*>>{
           {"--port"}, {"--port="}, {"--transcript"}, {"--portx", "a"}, {"extra"}, {"-q"}}) {
    EXPECT_FALSE(Parse(bad).error.empty()) << bad[0];
  }
}

TEST(PortList, UartsTheKernelFoundAndEveryUsbSerialPortInTextOrder) {
  namespace fs = std::filesystem;
  char pattern[] = "/tmp/plcburn-ports-XXXXXX";
  const fs::path root = ::mkdtemp(pattern);
  const fs::path dev = root / "dev";
  fs::create_directories(dev);
  for (const char* name : {"ttyS0", "ttyS1", "ttyS10", "ttyUSB1", "ttyACM0", "tty0", "null"}) {
    std::ofstream(dev / name).put('\0');
  }
  for (const auto& [name, type] : {std::pair{"ttyS0", "4"}, {"ttyS1", "0"}, {"ttyS10", "4"}}) {
    fs::create_directories(root / "sys" / "class" / "tty" / name);
    std::ofstream(root / "sys" / "class" / "tty" / name / "type") << type << "\n";
  }
  const auto ports = ListSerialPorts((root / "sys").string(), dev.string());
  std::vector<std::string> names;
  for (const auto& p : ports) names.push_back(fs::path(p).filename().string());
  EXPECT_EQ(names, (std::vector<std::string>{"ttyACM0", "ttyS0", "ttyS10", "ttyUSB1"}));
  fs::remove_all(root);
}

TEST(PortList, DisplayNameFitsTheNineCharacterPortSlot) {
  EXPECT_EQ(PortDisplayName("/dev/ttyUSB0"), "ttyUSB0");
  EXPECT_EQ(PortDisplayName("/dev/pts/12"), "pts/12");
  EXPECT_EQ(PortDisplayName("/tmp/plcsim-link"), "/tmp/plcs");
  EXPECT_EQ(PortDisplayName(""), "");
}

}  // namespace
