// The file chooser's record of the chosen file, and the one-worker slot that
// keeps it from changing what a running worker sends.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "catalogue/shared_state.h"
#include "ui/file_chooser.h"
#include "ui/worker_slot.h"

namespace {

class ChosenFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetSharedState();
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    path_ = std::string(dir) + "plcburn_chosen_" + std::to_string(GetCurrentProcessId()) + ".bin";
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const std::string bytes(1234, 'x');
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  void TearDown() override {
    ReleaseWorker();
    DeleteFileA(path_.c_str());
    ResetSharedState();
  }
  std::string path_;
};

TEST_F(ChosenFile, OneWorkerAtATime) {
  EXPECT_FALSE(WorkerRunning());
  EXPECT_TRUE(TryClaimWorker());
  EXPECT_TRUE(WorkerRunning());
  EXPECT_FALSE(TryClaimWorker()) << "a second Start Burn must not start a second worker";
  ReleaseWorker();
  EXPECT_TRUE(TryClaimWorker()) << "after the run the next Start Burn starts again";
}

TEST_F(ChosenFile, LengthTakenOnlyWhileNoWorkerRuns) {
  struct Case {
    bool workerRunning;
    uint32_t expected;
  };
  for (const Case c : {Case{false, 1234u}, Case{true, 2076672u}}) {
    SCOPED_TRACE(c.workerRunning ? "worker running" : "idle");
    fileLength = 2076672u;  // what a running worker sends by
    if (c.workerRunning) {
      ASSERT_TRUE(TryClaimWorker());
    }
    RecordChosenFileLength(path_.c_str());
    EXPECT_EQ(fileLength.Load(), c.expected);
    ReleaseWorker();
  }
}

TEST_F(ChosenFile, FileThatCannotBeOpenedChangesNothing) {
  fileLength = 77u;
  RecordChosenFileLength((path_ + ".missing").c_str());
  EXPECT_EQ(fileLength.Load(), 77u);
}

}  // namespace
