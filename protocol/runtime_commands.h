#pragma once
// The first-stage commands, spoken with the PLC's running firmware. Each takes
// the link (the worker passes hSerial) and returns 0 / a reply kind / a value,
// or a failure code 0x11..0x18.

#include <cstdint>

class Link;

void DummyComm(Link* link);
unsigned ConfirmComm(Link* link);  // 5 firmware, 6 bootloader, else a failure code
unsigned CheckID_A(Link* link);
unsigned READ_D1386(Link* link);   // register value, 0 when the read fails
unsigned READ_D1001(Link* link);
unsigned READ_D1148(Link* link);
unsigned read_fu_version_A();      // on hSerial; byte 4 of the reply, 0 when the read fails
unsigned SendErase_A(Link* link);
