#include "link/port_name.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

struct FriendlyNameCase {
  const char* friendlyName;
  const char* portName;  // nullptr: the device is skipped
};

class PortNameParse : public testing::TestWithParam<FriendlyNameCase> {};

TEST_P(PortNameParse, PortNameFromFriendlyName) {
  const FriendlyNameCase& c = GetParam();
  // One byte past the 10 the name may use, to see that nothing lands beyond them.
  char out[kPortNameSize + 1];
  std::memset(out, '#', sizeof out);
  const bool found = PortNameFromFriendlyName(c.friendlyName, out);
  EXPECT_EQ(out[kPortNameSize], '#') << c.friendlyName;
  if (c.portName == nullptr) {
    EXPECT_FALSE(found) << c.friendlyName;
    for (char ch : out) EXPECT_EQ(ch, '#') << "written although skipped: " << c.friendlyName;
  } else {
    ASSERT_TRUE(found) << c.friendlyName;
    EXPECT_STREQ(out, c.portName);
  }
}

INSTANTIATE_TEST_SUITE_P(
    FriendlyNames, PortNameParse,
    testing::Values(
        FriendlyNameCase{"Communications Port (COM1)", "COM1"},
        FriendlyNameCase{"USB Serial Port (COM12)", "COM12"},
        FriendlyNameCase{"ECP Printer Port (LPT1)", nullptr},
        // The name runs to the last ")".
        FriendlyNameCase{"Serial Port (COM4) (x)", "COM4) (x"},
        // The first "(COM" starts it.
        FriendlyNameCase{"Port (COM1) (COM", "COM1"},
        FriendlyNameCase{"(COM123456)", "COM123456"},      // 9 characters: fits
        FriendlyNameCase{"Port (COM1234567)", nullptr},     // 10 characters: skipped
        FriendlyNameCase{"Port (COM4) (a long remark)", nullptr},
        FriendlyNameCase{"Broken Port (COM3", nullptr},     // no ")" after it
        FriendlyNameCase{"Odd (x) Port (COM3", nullptr},    // the only ")" is before it
        FriendlyNameCase{"Lower Port (com3)", nullptr},     // case counts
        FriendlyNameCase{"Empty ()", nullptr},
        FriendlyNameCase{"", nullptr}));

}  // namespace
