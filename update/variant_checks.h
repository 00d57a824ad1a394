#pragma once
// Stage-1 checks that tell apart the models sharing one identifier, by data
// registers of the running firmware. A failed read counts as the value 0.

#include <cstdint>

class Link;

// One check-failure flag per identifier group, in this order.
enum class CheckGroup : uint8_t { Pm7 = 0, Qlt, Rc, Tk, Rv };  // 0x000C, 0xA001, 0x0013, 0x0015, 0x0008
inline constexpr int kCheckGroupCount = 5;

struct VariantVerdict {
  bool applies = false;         // the selected identifier has a register check
  CheckGroup group = CheckGroup::Pm7;
  const char* refusal = nullptr;  // null: the PLC is the selected model
};

// Reads the registers the selected identifier needs (on `link`) and judges them.
VariantVerdict CheckVariant(Link* link);

// Bits 4 to 7 of D1001: 4 or more is a V4 firmware.
bool IsGenerationFour(unsigned d1001);
