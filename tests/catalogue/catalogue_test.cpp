#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "catalogue/shared_state.h"
#include "tests/support/model_selection.h"

namespace {

struct Row {
  const char* name;
  uint16_t id;
  bool usb;
  bool aio;
  bool sector;
};

// Written out from the PLC vendor's model list, not from the code.
constexpr Row kRows[kModelCount] = {
    {"PM7-PN7-V2", 0x000C, false, false, false}, {"RU7", 0x000E, false, false, false},
    {"RV7", 0x000F, false, false, false},        {"RC7", 0x0013, false, false, false},
    {"PM7-D-V2", 0x000C, false, false, false},   {"TK", 0x0015, true, false, false},
    {"PL8", 0x0000, false, false, false},        {"30PN7-AIO", 0x000D, false, true, false},
    {"RV-V3", 0x0008, false, false, false},      {"QLT-PM7-V2", 0xA001, false, false, false},
    {"TK-G", 0xA002, true, false, false},        {"RC7-G", 0xA003, false, false, false},
    {"KQ300", 0x3000, true, false, true},        {"PM-PN-PL7", 0x0003, false, false, false},
    {"PN7-MOB", 0xA006, false, false, false},    {"RC28", 0x0013, false, false, false},
    {"PM7-F", 0x0017, false, false, false},      {"KQ200", 0x3010, true, false, true},
    {"KQ200-AIO", 0x3010, true, true, false},    {"TK26", 0x0015, true, false, false},
    {"PM8-PN8", 0x0020, true, false, true},      {"HVC-W", 0xA00B, true, false, true},
    {"KQ100", 0x3020, true, false, true},        {"PN8-AIO", 0x0020, true, true, false},
    {"PM7-PN7-V4", 0x000C, false, false, false}, {"RV-V4", 0x0008, false, false, false},
    {"QLT-PM7-V4", 0xA001, false, false, false}, {"PM8-BUNDLE", 0x0020, true, false, true},
    {"PM7-D-V4", 0x000C, false, false, false},   {"RW8RV8", 0x0022, true, false, true},
    {"RV8-AIO", 0x0022, true, true, false},
};

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSharedState(); }
};

TEST_F(CatalogueTest, EveryRowHasItsNameIdentifierAndSets) {
  int usb = 0;
  int aio = 0;
  int sector = 0;
  for (int row = 0; row < kModelCount; ++row) {
    const Row& expected = kRows[row];
    SCOPED_TRACE(expected.name);
    EXPECT_STREQ(plcList[row], expected.name);
    EXPECT_EQ(plcID[row], expected.id);
    // The slot is NUL-padded after the name.
    for (size_t i = std::strlen(expected.name); i < kModelNameSlot; ++i)
      EXPECT_EQ(plcList[row][i], '\0');
    EXPECT_EQ(IsUsbModel(expected.name), expected.usb);
    EXPECT_EQ(IsAioModel(expected.name), expected.aio);
    EXPECT_EQ(IsSectorModel(expected.name), expected.sector);
    const ModelEntry entry = CatalogueRow(row);
    EXPECT_STREQ(entry.name, expected.name);
    EXPECT_EQ(entry.id, expected.id);

    plctest::SelectModel(expected.name);
    EXPECT_EQ(selectedPLCIdx, row);
    EXPECT_EQ(selectedPLCID, expected.id);
    EXPECT_STREQ(SelectedModelName(), expected.name);
    EXPECT_TRUE(SelectedModelIs(expected.name));
    usb += expected.usb;
    aio += expected.aio;
    sector += expected.sector;
  }
  EXPECT_EQ(usb, 13);
  EXPECT_EQ(aio, 4);
  EXPECT_EQ(sector, 7);
}

TEST_F(CatalogueTest, SetsAnswerFalseForNamesOutsideTheCatalogue) {
  for (const char* name : {"", "tk", "KQ20", "KQ200-AIO ", "RV8-AIO-X"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(IsUsbModel(name));
    EXPECT_FALSE(IsAioModel(name));
    EXPECT_FALSE(IsSectorModel(name));
  }
  EXPECT_FALSE(IsUsbModel(nullptr));
}

TEST_F(CatalogueTest, SelectionByNameIsExactAndCaseSensitive) {
  struct Case {
    const char* name;
    int32_t row;  // -1: nothing selected, the previous selection stays
    uint16_t id;
  };
  const Case cases[] = {
      {"KQ200-AIO", 18, 0x3010}, {"KQ200", 17, 0x3010}, {"PL8", 6, 0x0000}, {"TK", 5, 0x0015},
      {"TK26", 19, 0x0015},      {"tk", -1, 0},         {"Kq200", -1, 0},   {"KQ", -1, 0},
      {"PM7-PN7", -1, 0},        {"TK-G ", -1, 0},      {"NO-SUCH", -1, 0}, {"", -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A previous selection that an unknown name must leave alone.
    plctest::SelectModel("RW8RV8");
    SelectModelByName(c.name);
    EXPECT_EQ(selectedPLCIdx, c.row < 0 ? 29 : c.row);
    EXPECT_EQ(selectedPLCID, c.row < 0 ? 0x0022 : c.id);
  }
}

TEST_F(CatalogueTest, Pl8WithIdentifierZeroIsARealSelection) {
  plctest::SelectModel("RV8-AIO");
  SelectModelByName("PL8");
  EXPECT_EQ(selectedPLCIdx, 6);
  EXPECT_EQ(selectedPLCID, 0);
  EXPECT_TRUE(SelectedModelIs("PL8"));
}

TEST_F(CatalogueTest, SelectionDoesNotWriteTheNameBuffer) {
  std::strcpy(selectedPLC, "untouched");
  SelectModelByName("KQ100");
  EXPECT_STREQ(selectedPLC, "untouched");
  EXPECT_EQ(selectedPLCIdx, 22);
}

TEST_F(CatalogueTest, TheSelectedModelTestComparesTheWholeName) {
  plctest::SelectModel("TK-G");
  EXPECT_TRUE(SelectedModelIs("TK-G"));
  EXPECT_FALSE(SelectedModelIs("TK"));
  EXPECT_FALSE(SelectedModelIs(nullptr));
  // Before any selection row 0 is selected, as at process start.
  ResetSharedState();
  EXPECT_STREQ(SelectedModelName(), "PM7-PN7-V2");
}

}  // namespace
