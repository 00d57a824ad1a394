#pragma once
// Fills the port list: the COM ports present, or the single entry "USB".
// The caller selects an entry and copies it into selectedComPort.

#include <windows.h>

void EnumComPort(HWND portList);
void EnumUSBPort(HWND portList);
