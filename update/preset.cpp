#include "update/preset.h"

#include <cstring>

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"

namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return b[length] == '\0';
}

int CompareIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const char x = Lower(*a);
    const char y = Lower(*b);
    if (x != y || x == '\0') return x - y;
  }
}

// The model list matches an entry without regard to case; the catalogue row
// is then chosen by the entry's own spelling, so list, name and row agree.
const char* CatalogueNameFor(const char* prefix, size_t length) {
  if (length == 0 || length >= kModelNameSlot) return nullptr;
  for (const auto& name : plcList) {
    if (EqualIgnoringCase(prefix, name, length)) return name;
  }
  return nullptr;
}

// The first entry of a sorted model list when the front end names none.
const char* FirstListedName() {
  const char* first = plcList[0];
  for (const auto& name : plcList) {
    if (CompareIgnoringCase(name, first) < 0) first = name;
  }
  return first;
}

void Select(const char* name) {
  std::memset(selectedPLC, 0, sizeof selectedPLC);
  for (size_t i = 0; i + 1 < sizeof selectedPLC && name[i] != '\0'; ++i) selectedPLC[i] = name[i];
  SelectModelByName(selectedPLC);
}

}  // namespace

bool PresetModelFromImageName(const char* fileName, const char* fallback) {
  // Only the text before the first '_' counts; a name without one names no
  // model. The file name itself may be of any length.
  const char* underscore = fileName != nullptr ? std::strchr(fileName, '_') : nullptr;
  const size_t prefixLength = underscore != nullptr ? static_cast<size_t>(underscore - fileName) : 0;
  if (const char* model = CatalogueNameFor(fileName, prefixLength)) {
    Select(model);
    return true;
  }
  Select(fallback != nullptr && fallback[0] != '\0' ? fallback : FirstListedName());
  return false;
}
