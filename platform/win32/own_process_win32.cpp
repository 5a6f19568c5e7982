#include "platform/win32/own_process_win32.h"

#include <windows.h>

namespace platform::win32 {

void OwnProcessWin32::SetPriorityClass(PriorityClass priority) {
  ::SetPriorityClass(GetCurrentProcess(), static_cast<DWORD>(priority));
}

}  // namespace platform::win32
