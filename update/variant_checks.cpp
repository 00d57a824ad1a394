#include "update/variant_checks.h"

#include "catalogue/catalogue.h"
#include "catalogue/shared_state.h"
#include "protocol/runtime_commands.h"
#include "update/messages.h"

namespace {

// D1386 of a PM7-D board; every other value, 0 included, is a PM7-PN7.
bool IsPm7DHardware(unsigned d1386) { return d1386 == 16696 || d1386 == 16695; }

const char* JudgePm7(Link* link) {
  const bool pm7D = IsPm7DHardware(READ_D1386(link));
  const bool pm7DSelected = SelectedModelIs("PM7-D-V2") || SelectedModelIs("PM7-D-V4");
  if (pm7D && !pm7DSelected) return msg::kPn7IsNotPm7D;
  const bool v4 = IsGenerationFour(READ_D1001(link));
  if (pm7D) {
    if (v4) return SelectedModelIs("PM7-D-V4") ? nullptr : msg::kPm7DNoDowngrade;
    return SelectedModelIs("PM7-D-V2") ? nullptr : msg::kPm7DNoUpgrade;
  }
  if (v4) return SelectedModelIs("PM7-PN7-V4") ? nullptr : msg::kPm7Pn7NoDowngrade;
  return SelectedModelIs("PM7-PN7-V2") ? nullptr : msg::kPm7Pn7NoUpgrade;
}

// Two models behind one identifier; the register tells which one the PLC is.
const char* JudgePair(bool plcIsSecond, const char* first, const char* second,
                      const char* whenSecondFound, const char* whenFirstFound) {
  if (plcIsSecond) return SelectedModelIs(second) ? nullptr : whenSecondFound;
  return SelectedModelIs(first) ? nullptr : whenFirstFound;
}

}  // namespace

bool IsGenerationFour(unsigned d1001) { return ((d1001 & 0xF0u) >> 4) >= 4; }

VariantVerdict CheckVariant(Link* link) {
  VariantVerdict verdict;
  switch (selectedPLCID.Load()) {
    case 0x000C:
      verdict = {true, CheckGroup::Pm7, JudgePm7(link)};
      break;
    case 0x0013:
      verdict = {true, CheckGroup::Rc,
                 JudgePair(READ_D1148(link) != 0, "RC7", "RC28", msg::kRc7IsNotRc28,
                           msg::kRc28IsNotRc7)};
      break;
    case 0x0015:
      verdict = {true, CheckGroup::Tk,
                 JudgePair(READ_D1148(link) != 0, "TK", "TK26", msg::kTkIsNotTk26,
                           msg::kTk26IsNotTk)};
      break;
    case 0x0008:
      verdict = {true, CheckGroup::Rv,
                 JudgePair(IsGenerationFour(READ_D1001(link)), "RV-V3", "RV-V4",
                           msg::kRvNoDowngrade, msg::kRvNoUpgrade)};
      break;
    case 0xA001:
      verdict = {true, CheckGroup::Qlt,
                 JudgePair(IsGenerationFour(READ_D1001(link)), "QLT-PM7-V2", "QLT-PM7-V4",
                           msg::kQltNoDowngrade, msg::kQltNoUpgrade)};
      break;
    default:
      break;
  }
  return verdict;
}
