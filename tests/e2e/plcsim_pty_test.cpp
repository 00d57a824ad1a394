// plcsim on a pseudo-terminal in real time: a client sets real termios line
// settings on the tool's side, as the tool does, and talks to the PLC.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_codec.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string Frame(std::initializer_list<int> bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  int sum = 0;
  std::string s = ":";
  for (int b : bytes) {
    sum += b;
    s += kHex[(b >> 4) & 15];
    s += kHex[b & 15];
  }
  const int lrc = (-sum) & 0xFF;
  s += kHex[lrc >> 4];
  s += kHex[lrc & 15];
  return s + "\r\n";
}

class Plcsim {
 public:
  explicit Plcsim(std::vector<std::string> args) {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> all = {PLCSIM_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, PLCSIM_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n') path_.push_back(c);
    close(out[0]);
  }
  ~Plcsim() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Path() const { return path_; }
  // Exit status after SIGTERM (or after it ended by itself), -1 on a crash.
  int Stop() {
    kill(pid_, SIGTERM);
    return Wait();
  }
  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  std::string path_;
};

enum class Line { Slow, Fast };

int OpenTool(const std::string& path, Line line) {
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
  if (fd < 0) return fd;
  termios t{};
  tcgetattr(fd, &t);
  cfmakeraw(&t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
  if (line == Line::Slow) {
    t.c_cflag |= CS7 | PARENB;
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
  } else {
    t.c_cflag |= CS8;
    cfsetispeed(&t, B115200);
    cfsetospeed(&t, B115200);
  }
  t.c_cflag |= CLOCAL | CREAD;
  tcsetattr(fd, TCSANOW, &t);
  return fd;
}

void SetLine(int fd, Line line) {
  termios t{};
  tcgetattr(fd, &t);
  t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB);
  t.c_cflag |= line == Line::Slow ? (CS7 | PARENB) : CS8;
  const speed_t speed = line == Line::Slow ? B9600 : B115200;
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  tcsetattr(fd, TCSADRAIN, &t);
}

// Reads `count` bytes or until `timeoutMs` has passed.
std::string ReadFor(int fd, size_t count, int timeoutMs) {
  std::string got;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (got.size() < count) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) break;
    char buf[512];
    const ssize_t n = read(fd, buf, std::min(sizeof buf, count - got.size()));
    if (n <= 0) break;
    got.append(buf, static_cast<size_t>(n));
  }
  return got;
}

std::string Ask(int fd, const std::string& request, size_t replyLength, int timeoutMs = 2000) {
  EXPECT_EQ(write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
  return ReadFor(fd, replyLength, timeoutMs);
}

std::string TempPath(const char* name) {
  return ::testing::TempDir() + "plcsim_" + std::to_string(getpid()) + "_" + name;
}

TEST(PlcsimPty, AnswersTheHandshakeAtRealLineSettings) {
  Plcsim plc({"--model", "RU7", "--strict-line", "--pace-wire", "--timeout", "30"});
  ASSERT_FALSE(plc.Path().empty());
  const int fd = OpenTool(plc.Path(), Line::Slow);
  ASSERT_GE(fd, 0);
  const auto start = Clock::now();
  EXPECT_EQ(Ask(fd, ":006401590141\r\n", 19), Frame({0x00, 0x64, 0x01, 0x59, 0x05, 0x00, 0x0E}));
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  EXPECT_GE(ms, 30) << "15 + 19 characters at 9600 baud take about 35 ms";
  EXPECT_LT(ms, 1000);
  // The wrong line settings: a COM PLC hears nothing.
  SetLine(fd, Line::Fast);
  EXPECT_EQ(Ask(fd, ":006401590141\r\n", 19, 400), "");
  close(fd);
  EXPECT_EQ(plc.Stop(), 1);  // no image
}

TEST(PlcsimPty, CloseAndReopenIsTheReplugIntoTheBootloader) {
  Plcsim plc({"--model", "KQ200", "--timeout", "30"});
  int fd = OpenTool(plc.Path(), Line::Slow);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Ask(fd, ":006401594552415345D2\r\n", 19),
            Frame({0x00, 0x64, 0x01, 0x59, 0x06, 0x00, 0x00}));
  ASSERT_EQ(write(fd, ":00640159063C\r\n", 15), 15);
  EXPECT_EQ(Ask(fd, ":006401590141\r\n", 19, 500), "") << "waits for the replug";
  close(fd);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  fd = OpenTool(plc.Path(), Line::Slow);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Ask(fd, ":006401590141\r\n", 19), Frame({0x00, 0x64, 0x01, 0x59, 0x06, 0x30, 0x10}));
  EXPECT_EQ(Ask(fd, "ID", 3), std::string("\x06\x30\x10", 3));
  close(fd);
  plc.Stop();
}

std::string Block(uint8_t seq, const std::vector<uint8_t>& data) {
  std::string f = {0x02, static_cast<char>(seq), static_cast<char>(255 - seq)};
  f.append(data.begin(), data.end());
  const uint16_t crc = sim::Crc16Xmodem(data.data(), data.size());
  f.push_back(static_cast<char>(crc >> 8));
  f.push_back(static_cast<char>(crc & 0xFF));
  return f;
}

// Stage two by hand, at both line settings, with the image checked by plcsim.
int Transfer(const std::vector<uint8_t>& sent, const std::string& expectFile,
             const std::string& outFile, const std::string& transcriptFile) {
  Plcsim plc({"--model", "RU7", "--start", "bootloader", "--strict-line", "--pace-wire",
              "--expect", expectFile, "--out", outFile, "--transcript", transcriptFile,
              "--exit-after-update", "--timeout", "30"});
  const int fd = OpenTool(plc.Path(), Line::Slow);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(Ask(fd, "ERASE", 1), "\x06");
  EXPECT_EQ(Ask(fd, "\x04", 1), "\x06");
  EXPECT_EQ(Ask(fd, "UPDATE", 1), "\x06");
  SetLine(fd, Line::Fast);
  uint8_t seq = 1;
  for (size_t at = 0; at < sent.size(); at += 128, ++seq) {
    std::vector<uint8_t> data(sent.begin() + static_cast<std::ptrdiff_t>(at),
                              sent.begin() + static_cast<std::ptrdiff_t>(std::min(at + 128, sent.size())));
    data.resize(128, 0x1A);
    EXPECT_EQ(Ask(fd, Block(seq, data), 1), "\x06") << "block " << unsigned{seq};
  }
  EXPECT_EQ(Ask(fd, "\x04", 1), "\x06");
  close(fd);
  return plc.Wait();
}

TEST(PlcsimPty, WholeTransferIsComparedWithTheExpectedImage) {
  std::vector<uint8_t> image(1000);
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 37 + 1);
  const std::string expectFile = TempPath("image.bin");
  const std::string outFile = TempPath("out.bin");
  const std::string transcriptFile = TempPath("transcript.jsonl");
  {
    std::ofstream f(expectFile, std::ios::binary);
    f.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  }
  EXPECT_EQ(Transfer(image, expectFile, outFile, transcriptFile), 0);

  std::ifstream out(outFile, std::ios::binary);
  const std::vector<uint8_t> received((std::istreambuf_iterator<char>(out)),
                                      std::istreambuf_iterator<char>());
  ASSERT_EQ(received.size(), 1024u);
  EXPECT_TRUE(std::equal(image.begin(), image.end(), received.begin()));
  std::ifstream transcript(transcriptFile);
  const std::string lines((std::istreambuf_iterator<char>(transcript)), std::istreambuf_iterator<char>());
  EXPECT_NE(lines.find("\"dir\":\"to_plc\",\"hex\":\"4552415345\"}\n"), std::string::npos) << lines;
  EXPECT_NE(lines.find("\"dir\":\"from_plc\",\"hex\":\"06\"}\n"), std::string::npos);
  EXPECT_NE(lines.find("\"event\":\"image complete\""), std::string::npos);

  // One byte different: the transfer completes, and plcsim says it differs.
  std::vector<uint8_t> wrong = image;
  wrong[500] ^= 0xFF;
  EXPECT_EQ(Transfer(wrong, expectFile, outFile, transcriptFile), 1);
  std::remove(expectFile.c_str());
  std::remove(outFile.c_str());
  std::remove(transcriptFile.c_str());
}

TEST(PlcsimPty, PacedReceptionTakesTheWireTime) {
  Plcsim plc({"--model", "TK", "--start", "bootloader", "--pace-wire", "--timeout", "30"});
  const int fd = OpenTool(plc.Path(), Line::Fast);
  ASSERT_GE(fd, 0);
  for (const char* word : {"ERASE", "\x04", "UPDATE"}) ASSERT_EQ(Ask(fd, word, 1), "\x06");
  constexpr int kBlocks = 20;
  const auto start = Clock::now();
  for (int k = 1; k <= kBlocks; ++k) {
    ASSERT_EQ(Ask(fd, Block(static_cast<uint8_t>(k), std::vector<uint8_t>(256, 0x55)), 1), "\x06");
  }
  const double ms =
      std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  // 261 bytes of 10 bits at 115200 baud: 22.66 ms a block.
  EXPECT_GE(ms, kBlocks * 22.6);
  EXPECT_LT(ms, kBlocks * 22.6 * 3);
  RecordProperty("ms_per_block", std::to_string(ms / kBlocks));
  close(fd);
  plc.Stop();
}

TEST(PlcsimPty, BadCommandLineAndTimeout) {
  EXPECT_EQ(Plcsim({"--model", "NOPE"}).Wait(), 2);
  EXPECT_EQ(Plcsim({"--fault", "kind=nothing", "--model", "RU7"}).Wait(), 2);
  const auto start = Clock::now();
  Plcsim plc({"--model", "RU7", "--timeout", "0.3"});
  EXPECT_EQ(plc.Wait(), 1);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
