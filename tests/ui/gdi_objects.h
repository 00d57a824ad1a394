#pragma once
// How many GDI objects this process holds.
//
// Windows counts them for GetGuiResources(GR_GDIOBJECTS). Wine answers 0
// there, so under Wine the count is the number of live entries in the
// process's GDI handle table (PEB GdiSharedHandleTable, 24-byte entries on
// 64-bit Wine, cleared type word when freed).

#include <string>

struct GdiObjectCount {
  long count = -1;  // -1: no way to count here
  std::string source;
};

GdiObjectCount CountGdiObjects();
