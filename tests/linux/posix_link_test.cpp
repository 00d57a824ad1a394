// The POSIX link on a pseudo-terminal, in real time: the read semantics that
// every command relies on, the line settings as the kernel holds them, and the
// exclusive open.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "link/os_links.h"
#include "link/serial_posix.h"
#include "pty_pair.h"

namespace {

using Clock = std::chrono::steady_clock;

struct LinkCloser {
  void operator()(Link* link) const { CloseLink(link); }
};
using LinkPtr = std::unique_ptr<Link, LinkCloser>;

long MillisSince(Clock::time_point start) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class PosixLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.ok());
    link_.reset(OpenComLink(pty_.path().c_str()));
    ASSERT_NE(link_, nullptr);
  }
  PtyPair pty_;
  LinkPtr link_;
};

TEST_F(PosixLinkTest, ReadReturnsAtOnceWithTheBytesAlreadyWaiting) {
  link_->SetTimeouts(CommandTimeouts(3000));
  pty_.Send("abc");
  ASSERT_TRUE(pty_.WaitForInput(3));
  uint8_t buffer[19] = {};
  const auto start = Clock::now();
  EXPECT_EQ(link_->Read(buffer, sizeof buffer), 3u);
  EXPECT_LT(MillisSince(start), 100);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), "abc");
}

TEST_F(PosixLinkTest, EmptyReadWaitsTheConstantForTheWholeCount) {
  link_->SetTimeouts(CommandTimeouts(200));
  uint8_t buffer[8] = {};
  const auto start = Clock::now();
  EXPECT_EQ(link_->Read(buffer, sizeof buffer), 0u);
  const long waited = MillisSince(start);
  EXPECT_GE(waited, 195);
  EXPECT_LT(waited, 400);
}

TEST_F(PosixLinkTest, ReadFromAnEmptyQueueCollectsPiecesUntilTheCountIsComplete) {
  link_->SetTimeouts(CommandTimeouts(2000));
  std::thread peer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pty_.Send("12");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pty_.Send("345");
  });
  uint8_t buffer[5] = {};
  const auto start = Clock::now();
  EXPECT_EQ(link_->Read(buffer, sizeof buffer), 5u);
  EXPECT_LT(MillisSince(start), 1000);  // the count, not the constant, ended it
  peer.join();
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), "12345");
}

TEST_F(PosixLinkTest, ReadThatRunsOutReturnsWhatArrivedAndLeavesTheRestQueued) {
  link_->SetTimeouts(CommandTimeouts(300));
  std::thread peer([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    pty_.Send("xy");
  });
  uint8_t buffer[4] = {};
  EXPECT_EQ(link_->Read(buffer, sizeof buffer), 2u);
  peer.join();
  // A late reply is not purged: the next read returns it.
  pty_.Send("late");
  ASSERT_TRUE(pty_.WaitForInput(4));
  EXPECT_EQ(link_->Read(buffer, sizeof buffer), 4u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "late");
}

TEST_F(PosixLinkTest, WriteReportsTheWholeCountAndTheBytesArriveUnchanged) {
  link_->SetTimeouts(CommandTimeouts(3000));
  std::string frame(261, '\0');
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<char>(i * 7);
  frame[5] = '\n';  // no translation of line ends in raw mode
  EXPECT_EQ(link_->Write(reinterpret_cast<const uint8_t*>(frame.data()), 261), 261u);
  std::string received;
  char chunk[512];
  while (received.size() < frame.size()) {
    const ssize_t n = ::read(pty_.master(), chunk, sizeof chunk);
    ASSERT_GT(n, 0);
    received.append(chunk, static_cast<size_t>(n));
  }
  EXPECT_EQ(received, frame);
}

struct LineCase {
  LineSettings settings;
  speed_t speed;
  tcflag_t size;
  bool parity;
};
const LineCase kLineCases[] = {{LineSettings::Slow, B9600, CS7, true},
                               {LineSettings::Fast, B115200, CS8, false},
                               {LineSettings::Slow, B9600, CS7, true}};

TEST(PosixLineSettings, SevenEvenOneSlowAndEightNoneOneFastWithoutFlowControl) {
  termios t{};
  t.c_cflag = CS8 | PARODD | CSTOPB | CRTSCTS | HUPCL;  // a port left in odd shape
  t.c_iflag = IXON | IXOFF | ISTRIP | ICRNL;
  for (const LineCase& c : kLineCases) {
    ToLineSettings(t, c.settings);
    EXPECT_EQ(cfgetospeed(&t), c.speed);
    EXPECT_EQ(cfgetispeed(&t), c.speed);
    EXPECT_EQ(t.c_cflag & CSIZE, c.size);
    EXPECT_EQ((t.c_cflag & PARENB) != 0, c.parity);
    EXPECT_EQ(t.c_cflag & PARODD, 0u) << "even parity";
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u) << "one stop bit";
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u) << "no hardware flow control";
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ISTRIP), 0u) << "no software flow control, 8th bit kept";
  }
  EXPECT_NE(t.c_cflag & HUPCL, 0u) << "fields the settings do not name stay";
  EXPECT_NE(t.c_iflag & ICRNL, 0u) << "fields the settings do not name stay";
}

// A pseudo-terminal keeps 8 data bits and no parity, but shows the rate and
// the raw mode that the link set.
TEST_F(PosixLinkTest, RateAndRawModeAsTheKernelReadsThemBack) {
  for (const LineCase& c : kLineCases) {
    link_->ApplyLineSettings(c.settings);
    const termios t = pty_.SlaveSettings();
    EXPECT_EQ(cfgetospeed(&t), c.speed);
    EXPECT_EQ(cfgetispeed(&t), c.speed);
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u) << "no hardware flow control";
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u) << "no software flow control";
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u) << "raw";
    EXPECT_EQ(t.c_oflag & OPOST, 0u) << "raw";
  }
}

TEST_F(PosixLinkTest, SecondOpenOfAHeldPortFailsAndSucceedsAfterClose) {
  EXPECT_EQ(OpenComLink(pty_.path().c_str()), nullptr);
  link_.reset();
  LinkPtr again(OpenComLink(pty_.path().c_str()));
  EXPECT_NE(again, nullptr);
}

TEST(PosixLinkOpen, MissingOrEmptyPortNamesGiveTheInvalidLink) {
  EXPECT_EQ(OpenComLink(""), nullptr);
  EXPECT_EQ(OpenComLink(nullptr), nullptr);
  EXPECT_EQ(OpenComLink("/dev/no-such-tty-here"), nullptr);
  EXPECT_EQ(OpenComLink("COM1"), nullptr);  // a Windows name is no device here
  EXPECT_EQ(OpenComLink("/dev/null"), nullptr) << "not a tty";
}

}  // namespace
