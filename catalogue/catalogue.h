#pragma once
// The 31 PLC models the tool knows, the selection, and the three model sets
// that most per-model decisions test.

#include <cstdint>

inline constexpr int kModelCount = 31;
inline constexpr int kModelNameSlot = 15;  // 14 characters and the NUL

// One catalogue row, for callers that want a row as a value.
struct ModelEntry {
  char name[kModelNameSlot];
  uint16_t id;
};

// Two parallel constant tables indexed by row; row order is fixed.
extern const char plcList[kModelCount][kModelNameSlot];
extern const uint16_t plcID[kModelCount];

ModelEntry CatalogueRow(int row);

// Makes the row whose name equals `name` exactly (case counts) the selected
// model: sets selectedPLCIdx and selectedPLCID. An unknown name changes nothing.
// It never writes selectedPLC; the caller has put the name there already.
void SelectModelByName(const char* name);

bool IsUsbModel(const char* name);
bool IsAioModel(const char* name);
bool IsSectorModel(const char* name);

// The name of catalogue row selectedPLCIdx: what the worker and the commands
// test by name.
const char* SelectedModelName();
bool SelectedModelIs(const char* name);
