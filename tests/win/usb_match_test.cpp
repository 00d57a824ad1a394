#include "link/usb_match.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PathCase {
  const char* path;
  bool matches;
};

class DevicePathMatch : public testing::TestWithParam<PathCase> {};

TEST_P(DevicePathMatch, IsPlcDevicePath) {
  EXPECT_EQ(IsPlcDevicePath(GetParam().path), GetParam().matches) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DevicePathMatch,
    testing::Values(
        PathCase{"\\\\?\\usb#vid_0b7e&pid_0001#5&2c9f&0&2#{a5dcbf10-6530-11d2-901f-00c04fb951ed}",
                 true},
        PathCase{"vid_0b7e&pid_0001", true},                // the whole path
        PathCase{"xxvid_0b7e&pid_0001", true},              // at the end
        PathCase{"vid_0b7e&pid_0001#tail", true},           // at the start
        PathCase{"\\\\?\\usb#VID_0B7E&PID_0001#5&2c9f", false},  // case counts
        PathCase{"\\\\?\\usb#vid_0b7e&pid_0002#5&2c9f", false},  // another product
        PathCase{"\\\\?\\usb#vid_0b7e&pid_000", false},          // cut short
        PathCase{"\\\\?\\usb#vid_0b7e#pid_0001", false},
        PathCase{"", false}));

TEST(UsbPathFits, RoomForBackslashSuffixAndTerminator) {
  // 300 bytes: the path, "\", the suffix and the terminator.
  EXPECT_TRUE(UsbPathFits(std::string(298, 'p').c_str(), ""));
  EXPECT_FALSE(UsbPathFits(std::string(299, 'p').c_str(), ""));
  EXPECT_TRUE(UsbPathFits(std::string(294, 'p').c_str(), "pipe"));
  EXPECT_FALSE(UsbPathFits(std::string(295, 'p').c_str(), "pipe"));
  EXPECT_FALSE(UsbPathFits(std::string(1000, 'p').c_str(), ""));
}

}  // namespace
