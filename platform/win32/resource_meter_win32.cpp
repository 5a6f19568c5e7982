#include "platform/win32/resource_meter_win32.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace platform::win32 {

std::optional<std::int32_t> ResourceMeterWin32::FreeSystemResources(
    const std::u16string& libraryPath) {
  // A full path only: a bare name would let the search order pick up a planted copy.
  if (libraryPath.size() < 3 || libraryPath[1] != u':' || libraryPath[2] != u'\\') {
    return std::nullopt;
  }
  HMODULE library = LoadLibraryW(Wide(libraryPath));
  if (library == nullptr) return std::nullopt;
  using MeterFn = LONG(WINAPI*)(LONG);
  FARPROC found = GetProcAddress(library, "_MyGetFreeSystemResources32@4");
  if (found == nullptr) found = GetProcAddress(library, "MyGetFreeSystemResources32");
  std::optional<std::int32_t> percent;
  if (found != nullptr) {
    constexpr LONG kSystemResources = 0;  // GFSR_SYSTEMRESOURCES
    percent = reinterpret_cast<MeterFn>(reinterpret_cast<void*>(found))(kSystemResources);
  }
  FreeLibrary(library);
  return percent;
}

}  // namespace platform::win32
