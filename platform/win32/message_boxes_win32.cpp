#include "platform/win32/message_boxes_win32.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace platform::win32 {
namespace {

UINT IconFlag(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return MB_ICONINFORMATION;
    case MessageIcon::Warning: return MB_ICONWARNING;
    case MessageIcon::Error: return MB_ICONERROR;
    case MessageIcon::None: break;
  }
  return 0;
}

}  // namespace

void MessageBoxesWin32::ShowOk(const std::u16string& title, const std::u16string& text,
                               MessageIcon icon) {
  const UINT place = owner_ != nullptr ? 0 : MB_SETFOREGROUND;
  MessageBoxW(owner_, Wide(text), Wide(title), MB_OK | place | IconFlag(icon));
}

bool MessageBoxesWin32::AskYesNo(const std::u16string& title, const std::u16string& text,
                                 MessageIcon icon) {
  const UINT place = owner_ != nullptr ? 0 : MB_SETFOREGROUND;
  return MessageBoxW(owner_, Wide(text), Wide(title),
                     MB_YESNO | MB_DEFBUTTON2 | place | IconFlag(icon)) == IDYES;
}

}  // namespace platform::win32
