#include "tests/ui/gdi_objects.h"

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <cstring>

namespace {

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

long CountWineHandleTable() {
#ifdef _WIN64
  constexpr size_t kTableOffset = 0xF8;  // PEB64 GdiSharedHandleTable
  constexpr size_t kEntrySize = 24;
  constexpr size_t kTypeOffset = 14;
  constexpr size_t kEntries = 0x10000;
  using QueryProcess = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<QueryProcess>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  if (query == nullptr || query(GetCurrentProcess(), 0, &basic, sizeof basic, nullptr) != 0) return -1;
  const auto* peb = reinterpret_cast<const uint8_t*>(basic.PebBaseAddress);
  const uint8_t* table = nullptr;
  std::memcpy(&table, peb + kTableOffset, sizeof table);
  if (table == nullptr) return -1;
  long live = 0;
  for (size_t i = 0; i < kEntries; ++i) {
    uint16_t type;
    std::memcpy(&type, table + i * kEntrySize + kTypeOffset, sizeof type);
    if (type != 0) ++live;
  }
  return live;
#else
  return -1;
#endif
}

}  // namespace

GdiObjectCount CountGdiObjects() {
  if (!UnderWine()) {
    return {static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
            "GetGuiResources(GR_GDIOBJECTS)"};
  }
  return {CountWineHandleTable(), "Wine GDI handle table (PEB GdiSharedHandleTable)"};
}
