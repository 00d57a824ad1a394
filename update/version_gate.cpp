#include "update/version_gate.h"

#include "catalogue/catalogue.h"
#include "update/messages.h"

bool InVersionReadSet(uint16_t id) {
  switch (id) {
    case 0x3000:
    case 0x3010:
    case 0x0020:
    case 0xA00B:
    case 0x3020:
    case 0x0022:
      return true;
    default:
      return false;
  }
}

const char* VersionGateRefusal(uint8_t version) {
  if (SelectedModelIs("KQ200-AIO") || SelectedModelIs("RV8-AIO")) {
    if (version > 0x0F) return nullptr;
    return version == 0x09 ? msg::kGateV09 : msg::kGateUnknown;
  }
  if (SelectedModelIs("PN8-AIO")) {
    if (version > 0x11) return nullptr;
    return version == 0x10 ? msg::kGateV10 : msg::kGateUnknown;
  }
  return nullptr;
}
