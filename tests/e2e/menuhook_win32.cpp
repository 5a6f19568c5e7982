// menuhook.dll: loaded by menuprobe's hook into the thread that shows a popup menu, where the
// menu's items can be read (see menuhook.h). On menuprobe's message it writes every shown popup
// menu of this thread as one line of JSON:
//   {"pid":P,"tid":T,"menus":[{"hwnd":H,"level":0,"rect":[L,T,R,B],"items":[ITEM...]}...]}
// menus are ordered from the outermost (level 0) inwards; an open submenu has the level of
// its parent plus one. Each ITEM is
//   {"pos":0,"id":N,"caption":"...","separator":false,"checked":false,"radio":false,
//    "disabled":false,"grayed":false,"default":false,"highlighted":false,"ownerdraw":false,
//    "bitmap":false,"submenu":null | [ITEM...]}
// caption is the item's text as stored, "&" and "\t" included. A submenu's items are read
// from its handle whether or not it is open.
// On the census message it writes what this process holds of the system's objects:
//   {"pid":P,"menus":N,"windows":N,"icons":N,"gdi":N}
// Wine answers GetGuiResources with 0, and keeps menus and icons inside the process that made
// them, so they are counted here, from inside: Wine numbers USER objects 0x20 + 2 * index and
// takes a handle without its generation (high word 0) for any generation, so trying every such
// number finds every live menu, window and icon; windows count when this process made them.
// GDI objects are the live entries of the process's GDI handle table (24-byte entries, the
// object type in the 16 bits at offset 12), which the PEB points to.
#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "menuhook.h"
#include "probe_support.h"

#define TW_STRINGIFY2(x) #x
#define TW_STRINGIFY(x) TW_STRINGIFY2(x)

// The assembler name is pinned so that menuhook.def exports the same plain name on i686,
// where stdcall would decorate it, and on x86_64.
extern "C" LRESULT CALLBACK MenuHookProc(int code, WPARAM wParam, LPARAM lParam) __asm__(
    TW_STRINGIFY(__USER_LABEL_PREFIX__) "MenuHookProc");

namespace {

using probe::JsonArray;
using probe::JsonObject;

// Deeper nesting than this is taken for a menu that contains itself.
constexpr int kMaxDepth = 8;

std::string ItemsJson(HMENU menu, int depth);

std::string ItemJson(HMENU menu, int pos, int depth) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
  std::wstring caption;
  if (GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info) && info.cch > 0) {
    caption.assign(info.cch + 1, L'\0');
    info.dwTypeData = caption.data();
    ++info.cch;
    if (GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info)) {
      caption.resize(info.cch);
    } else {
      caption.clear();
    }
  }
  const bool opens = info.hSubMenu != nullptr && depth < kMaxDepth;
  return JsonObject()
      .Number("pos", pos)
      .Number("id", info.wID)
      .Text("caption", caption)
      .Bool("separator", (info.fType & MFT_SEPARATOR) != 0)
      .Bool("checked", (info.fState & MFS_CHECKED) != 0)
      .Bool("radio", (info.fType & MFT_RADIOCHECK) != 0)
      .Bool("disabled", (info.fState & (MF_GRAYED | MF_DISABLED)) != 0)
      .Bool("grayed", (info.fState & MF_GRAYED) != 0)
      .Bool("default", (info.fState & MFS_DEFAULT) != 0)
      .Bool("highlighted", (info.fState & MFS_HILITE) != 0)
      .Bool("ownerdraw", (info.fType & MFT_OWNERDRAW) != 0)
      .Bool("bitmap", (info.fType & MFT_BITMAP) != 0)
      .Raw("submenu", opens ? ItemsJson(info.hSubMenu, depth + 1) : "null")
      .Str();
}

std::string ItemsJson(HMENU menu, int depth) {
  JsonArray items;
  const int count = GetMenuItemCount(menu);
  for (int pos = 0; pos < count; ++pos) items.Add(ItemJson(menu, pos, depth));
  return items.Str();
}

struct Popup {
  HWND window;
  HMENU menu;
  int level;
};

// The shown popup menus of this thread.
std::vector<Popup> ShownPopups() {
  std::vector<Popup> popups;
  for (HWND window : probe::TopLevelWindows()) {
    if (probe::ClassOf(window) != probe::kPopupMenuClass || !IsWindowVisible(window) ||
        GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) {
      continue;
    }
    const auto menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    if (menu != nullptr) popups.push_back({window, menu, 0});
  }
  return popups;
}

bool HasSubmenu(HMENU menu, HMENU submenu) {
  const int count = GetMenuItemCount(menu);
  for (int pos = 0; pos < count; ++pos) {
    if (GetSubMenu(menu, pos) == submenu) return true;
  }
  return false;
}

// A shown popup whose menu is a submenu of another shown popup's menu is one level deeper.
void AssignLevels(std::vector<Popup>& popups) {
  for (int round = 0; round < kMaxDepth; ++round) {
    bool changed = false;
    for (Popup& child : popups) {
      for (const Popup& parent : popups) {
        if (&parent != &child && HasSubmenu(parent.menu, child.menu) &&
            child.level != parent.level + 1) {
          child.level = parent.level + 1;
          changed = true;
        }
      }
    }
    if (!changed) break;
  }
  std::stable_sort(popups.begin(), popups.end(),
                   [](const Popup& a, const Popup& b) { return a.level < b.level; });
}

std::string Answer() {
  std::vector<Popup> popups = ShownPopups();
  AssignLevels(popups);
  JsonArray menus;
  for (const Popup& popup : popups) {
    RECT rect{};
    GetWindowRect(popup.window, &rect);
    JsonArray corners;
    for (const LONG corner : {rect.left, rect.top, rect.right, rect.bottom}) {
      corners.Add(std::to_string(corner));
    }
    menus.Add(JsonObject()
                  .Raw("hwnd", probe::HandleNumber(popup.window))
                  .Number("level", popup.level)
                  .Raw("rect", corners.Str())
                  .Raw("items", ItemsJson(popup.menu, 0))
                  .Str());
  }
  return JsonObject()
      .Number("pid", GetCurrentProcessId())
      .Number("tid", GetCurrentThreadId())
      .Raw("menus", menus.Str())
      .Str();
}

std::string Census() {
  int menus = 0;
  int windows = 0;
  int icons = 0;
  for (ULONG_PTR index = 0; index < 0x7FF0; ++index) {
    const auto handle = reinterpret_cast<HANDLE>(0x20 + 2 * index);
    if (IsMenu(static_cast<HMENU>(handle))) ++menus;
    DWORD owner = 0;
    if (IsWindow(static_cast<HWND>(handle)) &&
        GetWindowThreadProcessId(static_cast<HWND>(handle), &owner) != 0 &&
        owner == GetCurrentProcessId()) {
      ++windows;
    }
    ICONINFO info{};
    if (GetIconInfo(static_cast<HICON>(handle), &info)) {
      ++icons;
      if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
      if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    }
  }
  int gdi = -1;
#ifdef _WIN64
  constexpr size_t kGdiTableInPeb = 0xF8;
#else
  constexpr size_t kGdiTableInPeb = 0x94;
#endif
  using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION basic{};
  const unsigned char* table = nullptr;
  if (query != nullptr &&
      query(GetCurrentProcess(), ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
      basic.PebBaseAddress != nullptr) {
    CopyMemory(&table,
               reinterpret_cast<const unsigned char*>(basic.PebBaseAddress) + kGdiTableInPeb,
               sizeof table);
  }
  if (table != nullptr) {
    gdi = 0;
    for (size_t index = 0; index < 0x10000; ++index) {
      USHORT type = 0;
      CopyMemory(&type, table + index * 24 + 12, sizeof type);
      if (type != 0) ++gdi;
    }
  }
  return JsonObject()
      .Number("pid", GetCurrentProcessId())
      .Number("menus", menus)
      .Number("windows", windows)
      .Number("icons", icons)
      .Number("gdi", gdi)
      .Str();
}

void Reply(WPARAM probePid, LPARAM sequence, bool census) {
  HANDLE mapping =
      OpenFileMappingW(FILE_MAP_WRITE, FALSE, menuhook::MappingName(probePid, sequence).c_str());
  if (mapping == nullptr) return;
  void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, menuhook::kMappingSize);
  if (view != nullptr) {
    const std::string json = census ? Census() : Answer();
    auto* header = static_cast<menuhook::Header*>(view);
    if (json.size() <= menuhook::kMappingSize - sizeof(menuhook::Header)) {
      CopyMemory(header + 1, json.data(), json.size());
      header->length = static_cast<uint32_t>(json.size());
      header->status = menuhook::kAnswered;
    } else {
      header->length = 0;
      header->status = menuhook::kTooLarge;
    }
    FlushViewOfFile(view, 0);
    UnmapViewOfFile(view);
  }
  CloseHandle(mapping);
}

}  // namespace

extern "C" LRESULT CALLBACK MenuHookProc(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT probeMessage = RegisterWindowMessageW(menuhook::kMenuProbeMessage);
  static const UINT censusMessage = RegisterWindowMessageW(menuhook::kCensusMessage);
  static const UINT dpiMessage = RegisterWindowMessageW(menuhook::kDpiChangeMessage);
  static const UINT textSizeMessage = RegisterWindowMessageW(menuhook::kTextSizeMessage);
  if (code == HC_ACTION && lParam != 0) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (probeMessage != 0 && sent->message == probeMessage) {
      Reply(sent->wParam, sent->lParam, false);
    } else if (censusMessage != 0 && sent->message == censusMessage) {
      Reply(sent->wParam, sent->lParam, true);
    } else if (dpiMessage != 0 && sent->message == dpiMessage) {
      RECT suggested{};
      GetWindowRect(sent->hwnd, &suggested);
      const auto dpi = static_cast<WORD>(sent->wParam);
      SendMessageW(sent->hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    } else if (textSizeMessage != 0 && sent->message == textSizeMessage) {
      NONCLIENTMETRICSW metrics{};
      metrics.cbSize = sizeof metrics;
      if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        const NONCLIENTMETRICSW found = metrics;
        metrics.lfMessageFont.lfHeight = static_cast<LONG>(static_cast<INT_PTR>(sent->wParam));
        SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        SendMessageW(sent->hwnd, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS,
                     reinterpret_cast<LPARAM>(L"WindowMetrics"));
        NONCLIENTMETRICSW back = found;
        SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof back, &back, 0);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
