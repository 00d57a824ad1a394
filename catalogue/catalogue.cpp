#include "catalogue/catalogue.h"

#include <cstring>

#include "catalogue/shared_state.h"

const char plcList[kModelCount][kModelNameSlot] = {
    "PM7-PN7-V2", "RU7",        "RV7",        "RC7",        "PM7-D-V2",  "TK",
    "PL8",        "30PN7-AIO",  "RV-V3",      "QLT-PM7-V2", "TK-G",      "RC7-G",
    "KQ300",      "PM-PN-PL7",  "PN7-MOB",    "RC28",       "PM7-F",     "KQ200",
    "KQ200-AIO",  "TK26",       "PM8-PN8",    "HVC-W",      "KQ100",     "PN8-AIO",
    "PM7-PN7-V4", "RV-V4",      "QLT-PM7-V4", "PM8-BUNDLE", "PM7-D-V4",  "RW8RV8",
    "RV8-AIO",
};

const uint16_t plcID[kModelCount] = {
    0x000C, 0x000E, 0x000F, 0x0013, 0x000C, 0x0015, 0x0000, 0x000D, 0x0008, 0xA001, 0xA002,
    0xA003, 0x3000, 0x0003, 0xA006, 0x0013, 0x0017, 0x3010, 0x3010, 0x0015, 0x0020, 0xA00B,
    0x3020, 0x0020, 0x000C, 0x0008, 0xA001, 0x0020, 0x000C, 0x0022, 0x0022,
};

namespace {

const char* const kUsbModels[] = {"TK",      "TK-G",       "KQ300", "KQ200",   "KQ200-AIO",
                                  "TK26",    "PM8-PN8",    "PM8-BUNDLE", "HVC-W", "KQ100",
                                  "PN8-AIO", "RW8RV8",     "RV8-AIO"};
const char* const kAioModels[] = {"30PN7-AIO", "KQ200-AIO", "PN8-AIO", "RV8-AIO"};
const char* const kSectorModels[] = {"KQ300", "KQ200",  "PM8-PN8", "PM8-BUNDLE",
                                     "HVC-W", "KQ100", "RW8RV8"};

template <size_t N>
bool IsMember(const char* name, const char* const (&set)[N]) {
  if (name == nullptr) return false;
  for (const char* member : set) {
    if (std::strcmp(name, member) == 0) return true;
  }
  return false;
}

}  // namespace

ModelEntry CatalogueRow(int row) {
  ModelEntry entry{};
  if (row < 0 || row >= kModelCount) return entry;
  std::memcpy(entry.name, plcList[row], kModelNameSlot);
  entry.id = plcID[row];
  return entry;
}

void SelectModelByName(const char* name) {
  if (name == nullptr) return;
  // Every row is visited and the last equal one wins; names are unique, so at
  // most one row is equal.
  for (int row = 0; row < kModelCount; ++row) {
    if (std::strcmp(name, plcList[row]) == 0) {
      selectedPLCID = plcID[row];
      selectedPLCIdx = row;
    }
  }
}

bool IsUsbModel(const char* name) { return IsMember(name, kUsbModels); }
bool IsAioModel(const char* name) { return IsMember(name, kAioModels); }
bool IsSectorModel(const char* name) { return IsMember(name, kSectorModels); }

const char* SelectedModelName() {
  const int row = selectedPLCIdx;
  if (row < 0 || row >= kModelCount) return "";
  return plcList[row];
}

bool SelectedModelIs(const char* name) {
  return name != nullptr && std::strcmp(SelectedModelName(), name) == 0;
}
