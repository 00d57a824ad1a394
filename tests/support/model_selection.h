#pragma once
// Selecting a model as the main window does: the name into selectedPLC, then
// SelectModelByName on that buffer.

#include <cstring>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"

namespace plctest {

inline void SelectModel(const char* name) {
  std::memset(selectedPLC, 0, sizeof selectedPLC);
  std::strncpy(selectedPLC, name, sizeof selectedPLC - 1);
  SelectModelByName(selectedPLC);
}

}  // namespace plctest
