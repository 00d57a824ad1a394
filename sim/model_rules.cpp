#include "sim/model_rules.h"

#include <initializer_list>

#include "catalogue/catalogue.h"
#include "protocol/constants.h"

namespace sim {

namespace {

bool OneOf(const std::string& name, std::initializer_list<const char*> names) {
  for (const char* n : names) {
    if (name == n) return true;
  }
  return false;
}

}  // namespace

std::optional<ModelRules> RulesFor(const std::string& name) {
  int row = -1;
  for (int r = 0; r < kModelCount; ++r) {
    if (name == plcList[r]) row = r;
  }
  if (row < 0) return std::nullopt;

  ModelRules rules;
  rules.name = name;
  rules.id = plcID[row];
  rules.usb = IsUsbModel(name.c_str());
  rules.aio = IsAioModel(name.c_str());
  rules.sector = IsSectorModel(name.c_str());

  // Bootloaders of the COM models with an id from 0x8000 up report it without
  // bit 15; the USB bootloaders report the id as it is.
  rules.bootloaderId = rules.usb ? rules.id : static_cast<uint16_t>(rules.id & 0x7FFFu);

  rules.blockSize = (OneOf(name, {"TK", "TK-G"}) || rules.aio || rules.sector) ? 256u : 128u;

  if (OneOf(name, {"PM7-D-V2", "PM7-D-V4", "PN7-MOB", "RC28", "PM7-F", "TK26"})) {
    rules.eraseUnit = 131072;
  } else if (OneOf(name, {"TK", "TK-G"})) {
    rules.eraseUnit = 16384;
  } else if (rules.sector || name == "30PN7-AIO") {
    rules.eraseUnit = plc::kSectorSize;
  } else {
    rules.eraseUnit = 2048;
  }

  if (rules.usb) {
    rules.restart = RestartKind::Replug;
  } else if (OneOf(name, {"PM7-D-V2", "PM7-D-V4", "PN7-MOB"})) {
    rules.restart = RestartKind::PowerCycle;
    rules.eraseRequestMayGoUnanswered = true;
  }
  return rules;
}

uint32_t BytesSent(const ModelRules& rules, uint32_t length) {
  if (!rules.sector) return length;
  return length > plc::kSectorSize ? length - plc::kSectorSize : 0;
}

}  // namespace sim
