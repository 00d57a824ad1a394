#include "protocol/block_transfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/shared_state.h"
#include "tests/protocol/protocol_fixture.h"

namespace {

using plctest::Bytes;
using plctest::Reaction;
using plctest::ScriptedLink;

const Bytes kAck = {0x06};
const Bytes kEot = {0x04};

// CRC-16/XMODEM bit by bit: the reference the table-driven code must agree with.
uint16_t BitwiseCrc(const uint8_t* data, size_t length) {
  uint16_t crc = 0;
  for (size_t i = 0; i < length; ++i) {
    crc = static_cast<uint16_t>(crc ^ (data[i] << 8));
    for (int bit = 0; bit < 8; ++bit) {
      crc = static_cast<uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
  }
  return crc;
}

class BlockTransferTest : public ProtocolTest {
 protected:
  // An image of `length` bytes whose values run through 0x06, 0x16 and 0x1A.
  ScriptedLink& WithImage(const char* model, uint32_t length) {
    ScriptedLink& link = Fresh(model);
    image_.resize(length);
    for (uint32_t i = 0; i < length; ++i)
      image_[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
    fin = image_.data();
    finEnd = image_.data() + image_.size();
    fileLength = length;
    return link;
  }
  void AckEverything(ScriptedLink& link) {
    link.SetResponder([this](const Bytes&) {
      progressAtWrite_.push_back(progress);
      return Reaction{Reaction::kWhole, kAck, 0};
    });
  }
  // The frames written, EOTs left out.
  static std::vector<Bytes> Frames(const ScriptedLink& link) {
    std::vector<Bytes> frames;
    for (const auto& write : link.WriteLog()) {
      if (write.bytes != kEot) frames.push_back(write.bytes);
    }
    return frames;
  }
  std::vector<uint8_t> image_;
  std::vector<int32_t> progressAtWrite_;
};

TEST_F(BlockTransferTest, ImageGoesOutInNumberedCrcProtectedBlocks) {
  struct Case {
    const char* model;
    uint32_t length;
    size_t blockSize;
    size_t blocks;
    uint32_t bytesSent;  // image bytes 0 .. bytesSent - 1, then 0x1A to the block's end
  };
  const Case cases[] = {
      {"PM7-PN7-V2", 1000, 128, 8, 1000}, {"TK", 1024, 256, 4, 1024},
      {"TK-G", 300, 256, 2, 300},         {"KQ300", 8192, 256, 16, 4096},
      {"KQ200", 8200, 256, 17, 4104},     {"RW8RV8", 4096, 256, 0, 0},
      {"TK26", 200, 128, 2, 200},         {"30PN7-AIO", 256, 256, 1, 256},
      {"PN8-AIO", 1, 256, 1, 1},          {"RC28", 0, 128, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.model) + " " + std::to_string(c.length));
    ScriptedLink& link = WithImage(c.model, c.length);
    AckEverything(link);
    EXPECT_EQ(BlockSize(), static_cast<int32_t>(c.blockSize));
    EXPECT_EQ(SendFW(&link), 0);
    const std::vector<Bytes> frames = Frames(link);
    ASSERT_EQ(frames.size(), c.blocks);
    ASSERT_EQ(link.WriteLog().size(), c.blocks + 1);
    EXPECT_EQ(link.WriteLog().back().bytes, kEot);

    Bytes data;
    for (size_t b = 0; b < frames.size(); ++b) {
      const Bytes& frame = frames[b];
      ASSERT_EQ(frame.size(), c.blockSize + 5);
      EXPECT_EQ(frame[0], 0x02);
      EXPECT_EQ(frame[1], static_cast<uint8_t>(b + 1));
      EXPECT_EQ(frame[2], static_cast<uint8_t>(254 - b));
      const uint16_t crc = BitwiseCrc(frame.data() + 3, c.blockSize);
      EXPECT_EQ(frame[3 + c.blockSize], crc >> 8);
      EXPECT_EQ(frame[4 + c.blockSize], crc & 0xFF);
      data.insert(data.end(), frame.begin() + 3,
                  frame.begin() + 3 + static_cast<std::ptrdiff_t>(c.blockSize));
    }
    Bytes expected(image_.begin(), image_.begin() + c.bytesSent);
    expected.resize(c.blocks * c.blockSize, 0x1A);
    EXPECT_EQ(data, expected);
    // The cursor stops after the last byte sent: a short last block reads only
    // its own bytes, and a sector model's kept sector is never read.
    EXPECT_EQ(fin, image_.data() + c.bytesSent);
    EXPECT_EQ(progress, 100);
    EXPECT_EQ(flashStatus, 2);
    EXPECT_EQ(link.TimeoutLog(), std::vector<LinkTimeouts>{CommandTimeouts(3000)});
  }
}

TEST_F(BlockTransferTest, SequenceNumberWrapsAfter255) {
  ScriptedLink& link = WithImage("PM7-PN7-V2", 257 * 128);
  AckEverything(link);
  EXPECT_EQ(SendFW(&link), 0);
  const std::vector<Bytes> frames = Frames(link);
  ASSERT_EQ(frames.size(), 257u);
  struct Case {
    size_t block;  // 1-based
    uint8_t s, complement;
  };
  for (const Case& c :
       {Case{1, 0x01, 0xFE}, Case{255, 0xFF, 0x00}, Case{256, 0x00, 0xFF}, Case{257, 0x01, 0xFE}}) {
    SCOPED_TRACE(c.block);
    EXPECT_EQ(frames[c.block - 1][1], c.s);
    EXPECT_EQ(frames[c.block - 1][2], c.complement);
  }
}

TEST_F(BlockTransferTest, ProgressClimbsBelow100UntilTheEotIsAcknowledged) {
  ScriptedLink& link = WithImage("PM7-PN7-V2", 3 * 128);
  AckEverything(link);
  EXPECT_EQ(SendFW(&link), 0);
  // At each write: block 1, 2, 3, then the EOT.
  EXPECT_EQ(progressAtWrite_, (std::vector<int32_t>{0, 25, 50, 75}));
  EXPECT_EQ(progress, 100);

  ScriptedLink& empty = WithImage("HVC-W", 4096);
  progressAtWrite_.clear();
  AckEverything(empty);
  EXPECT_EQ(SendFW(&empty), 0);
  EXPECT_EQ(progressAtWrite_, std::vector<int32_t>{0});
  EXPECT_EQ(progress, 100);
}

TEST_F(BlockTransferTest, FlashWriteErrorEndsTheTransferAtOnce) {
  ScriptedLink& link = WithImage("TK", 10 * 256);
  totalErrCounter = 3;
  link.AnswerTimes(4, kAck).Answer({0x16});
  AckEverything(link);
  EXPECT_EQ(SendFW(&link), 22);
  EXPECT_EQ(link.WriteLog().size(), 5u);  // no attempt again, no EOT
  EXPECT_EQ(errCounter, 0);
  EXPECT_EQ(totalErrCounter, 3);
  EXPECT_EQ(progress, 4 * 100 / 11);
  EXPECT_EQ(flashStatus, 2);
}

TEST_F(BlockTransferTest, FlashWriteErrorCodeAfterEotIsAnOrdinaryBadReply) {
  ScriptedLink& link = WithImage("TK", 256);
  link.Answer(kAck).Answer({0x16}).Answer(kAck);
  EXPECT_EQ(SendFW(&link), 0);
  ASSERT_EQ(link.WriteLog().size(), 3u);
  EXPECT_EQ(link.WriteLog()[1].bytes, kEot);
  EXPECT_EQ(link.WriteLog()[2].bytes, kEot);
  EXPECT_EQ(totalErrCounter, 1);
  EXPECT_EQ(errCounter, 0);
}

TEST_F(BlockTransferTest, BlockGoesThroughAfterFiveBadRepliesResentUnchanged) {
  ScriptedLink& link = WithImage("PM7-PN7-V2", 2 * 128);
  const Reaction ack{Reaction::kWhole, kAck, 0};
  auto bad = [](Bytes reply) { return Reaction{Reaction::kWhole, std::move(reply), 0}; };
  // Block 1; block 2 refused, unanswered, garbled, answered 0x00 and 0x01, then
  // acknowledged; then the EOT.
  const std::vector<Reaction> plan = {ack,         bad({0x15}), Reaction{}, bad({0x07}),
                                      bad({0x00}), bad({0x01}), ack,        ack};
  size_t next = 0;
  std::vector<int32_t> errCounterAtWrite;
  link.SetResponder([&](const Bytes&) {
    errCounterAtWrite.push_back(errCounter);
    return plan.at(next++);
  });
  EXPECT_EQ(SendFW(&link), 0);
  const std::vector<Bytes> frames = Frames(link);
  ASSERT_EQ(frames.size(), 7u);
  for (size_t i = 2; i < frames.size(); ++i) EXPECT_EQ(frames[i], frames[1]) << i;
  EXPECT_EQ(frames[1][1], 0x02);
  EXPECT_EQ(errCounterAtWrite, (std::vector<int32_t>{0, 0, 1, 2, 3, 4, 5, 0}));
  EXPECT_EQ(totalErrCounter, 5);
  EXPECT_EQ(errCounter, 0);
}

TEST_F(BlockTransferTest, UnacknowledgedBlockOrEotGives16) {
  struct Case {
    const char* name;
    std::function<void(ScriptedLink&)> script;
    size_t writes;
  };
  const Case cases[] = {
      {"first block never answered", [](auto& l) { l.Silence(6); }, 6},
      {"every write short", [](auto& l) { l.FallShort(6, 132); }, 6},
      {"second block refused", [](auto& l) { l.Answer(kAck).AnswerTimes(6, {0x15}); }, 7},
      {"EOT never answered", [](auto& l) { l.AnswerTimes(2, kAck).Silence(6); }, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedLink& link = WithImage("RV7", 2 * 128);
    c.script(link);
    EXPECT_EQ(SendFW(&link), 16);
    EXPECT_EQ(link.WriteLog().size(), c.writes);
    EXPECT_EQ(errCounter, 6);
    EXPECT_EQ(totalErrCounter, 6);
  }
}

TEST_F(BlockTransferTest, SectorImageShorterThanOneSectorSendsNothing) {
  for (const uint32_t length : {0u, 100u, 4095u}) {
    SCOPED_TRACE(length);
    ScriptedLink& link = WithImage("PM8-PN8", length);
    AckEverything(link);
    EXPECT_EQ(SendFW(&link), 16);
    EXPECT_TRUE(link.WriteLog().empty());
    EXPECT_EQ(fin, image_.data());
  }
}

TEST_F(BlockTransferTest, FileReadNeverReadsPastTheImage) {
  WithImage("TK", 10);
  uint8_t buffer[16];
  std::fill(std::begin(buffer), std::end(buffer), 0xEE);
  FileRead(buffer, 4);
  EXPECT_EQ(fin, image_.data() + 4);
  FileRead(buffer + 4, 12);  // six left: the rest comes as zeros
  EXPECT_EQ(fin, finEnd);
  EXPECT_TRUE(std::equal(image_.begin(), image_.end(), buffer));
  for (size_t i = 10; i < 16; ++i) EXPECT_EQ(buffer[i], 0) << i;
  FileRead(buffer, 3);
  EXPECT_EQ(buffer[0], 0);
  FileRead(buffer, -1);
  FileRead(buffer, 0);
  EXPECT_EQ(fin, finEnd);

  fin = nullptr;
  finEnd = nullptr;
  FileRead(buffer, 2);  // no image at all
  EXPECT_EQ(buffer[1], 0);
}

TEST_F(BlockTransferTest, LengthLargerThanTheImageIsPaddedNotOverread) {
  // fileLength claims more than the loaded image holds: blocks past its end
  // carry zeros instead of whatever memory follows the image.
  ScriptedLink& link = WithImage("PM7-PN7-V2", 100);
  fileLength = 256;
  AckEverything(link);
  EXPECT_EQ(SendFW(&link), 0);
  const std::vector<Bytes> frames = Frames(link);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0][3 + 99], image_[99]);
  EXPECT_EQ(frames[0][3 + 100], 0);
  EXPECT_EQ(frames[1][3], 0);
}

}  // namespace
