// Feeds the programs' ANSI decoding (the system's code page, Shift-JIS on a Japanese Windows)
// with random bytes and random Japanese text, and checks what the readers of the settings and
// watch-list files make of the result.
//
// Usage: ansicheck.exe SEED COUNT
//   Prints the code page, then "inputs N failures F"; the first failures are printed with
//   their bytes in hex. Exit code 0 when nothing failed, 1 otherwise, 2 on bad arguments.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/ansi_text.h"
#include "platform/win32/files_win32.h"
#include "tidewarden/monitor/watch_entry.h"
#include "tidewarden/startup/settings.h"

namespace {

using platform::win32::FromAnsi;
using platform::win32::ToAnsi;

struct Random {
  std::uint64_t state;
  std::uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<std::uint32_t>(state >> 16);
  }
  std::uint32_t Below(std::uint32_t bound) { return Next() % bound; }
};

// Bytes that stress a double-byte code page: lead bytes, trail bytes that are ASCII ('\\',
// letters), half-width katakana, line ends, '=', and bytes no character uses.
std::string RandomBytes(Random& random) {
  std::string bytes;
  const std::uint32_t length = random.Below(48);
  for (std::uint32_t i = 0; i < length; ++i) {
    std::uint32_t byte = 0;
    switch (random.Below(8)) {
      case 0: byte = 0x81 + random.Below(0x9F - 0x81 + 1); break;  // lead, first block
      case 1: byte = 0xE0 + random.Below(0xFC - 0xE0 + 1); break;  // lead, second block
      case 2: byte = 0x40 + random.Below(0x7F - 0x40); break;      // ASCII trail bytes
      case 3: byte = 0xA1 + random.Below(0xDF - 0xA1 + 1); break;  // half-width katakana
      case 4: byte = static_cast<unsigned char>("\r\n= \\\t"[random.Below(6)]); break;
      case 5: byte = 0x20 + random.Below(0x5F); break;  // printable ASCII
      default: byte = random.Below(256); break;         // anything at all
    }
    bytes += static_cast<char>(byte);
  }
  return bytes;
}

// Characters a Japanese user's files hold, including those whose second byte is '\\' (ソ, 表,
// 能, 十) or '|'/'~'-like ASCII, half-width katakana and the NEC specials.
constexpr std::u16string_view kJapanese =
    u"あいうえおアイウエオソ表能十予申構噂貼ー・「」、。０９ＡＺ①Ⅹ㈱ｱｶﾞﾟ漢字設定監視優先度";

std::u16string RandomLine(Random& random) {
  std::u16string line;
  const std::uint32_t length = random.Below(24);
  for (std::uint32_t i = 0; i < length; ++i) {
    if (random.Below(2) == 0) {
      line += kJapanese[random.Below(static_cast<std::uint32_t>(kJapanese.size()))];
    } else {
      line += static_cast<char16_t>(u"ACEKLNOSUVYZ=\\:. 0123456789"[random.Below(27)]);
    }
  }
  return line;
}

struct Checker {
  long inputs = 0;
  long failures = 0;

  void Fail(const char* what, std::string_view bytes) {
    ++failures;
    if (failures > 10) return;
    std::printf("FAIL %s:", what);
    for (const char byte : bytes) std::printf(" %02X", static_cast<unsigned char>(byte));
    std::printf("\n");
  }

  // What the readers make of any decoded text.
  void Readers(const std::u16string& text, std::string_view bytes) {
    for (const char16_t* key : {u"CREANSIZE", u"SEEK", u"VOLUME", u"CLICK"}) {
      const std::u16string value = tidewarden::FindSettingValue(text, key);
      if (value.find(u'\r') != std::u16string::npos || value.size() > text.size()) {
        Fail("setting value", bytes);
      }
    }
    const auto entries = tidewarden::ParseWatchList(text);
    for (const auto& entry : entries) {
      if (entry.empty() || entry.find(u'\r') != std::u16string::npos) Fail("watch entry", bytes);
    }
    // A list read from the disk, saved and read again, is the same list.
    const std::string saved = ToAnsi(tidewarden::WatchListText(entries));
    if (tidewarden::ParseWatchList(FromAnsi(saved)) != entries)
      Fail("watch list round trip", bytes);
    (void)tidewarden::MonitorSwitchOn(text);
  }

  void AnyBytes(Random& random) {
    ++inputs;
    const std::string bytes = RandomBytes(random);
    const std::u16string text = FromAnsi(bytes);
    if (text.size() > bytes.size()) Fail("longer than its bytes", bytes);
    if (text.empty() != bytes.empty()) Fail("bytes decoded to nothing", bytes);
    // No byte of a line end is ever part of a character: a stray lead byte cannot join two
    // lines of a file.
    for (const char end : {'\r', '\n'}) {
      size_t inBytes = 0;
      size_t inText = 0;
      for (const char byte : bytes) inBytes += byte == end ? 1u : 0u;
      for (const char16_t unit : text) inText += unit == static_cast<char16_t>(end) ? 1u : 0u;
      if (inBytes != inText) Fail("line ends lost", bytes);
    }
    Readers(text, bytes);
  }

  void JapaneseText(Random& random) {
    ++inputs;
    std::u16string text;
    const std::uint32_t lines = random.Below(5);
    for (std::uint32_t i = 0; i < lines; ++i) text += RandomLine(random) + u"\r\n";
    const std::string bytes = ToAnsi(text);
    if (FromAnsi(bytes) != text) Fail("Japanese text round trip", bytes);
    // Each line reads back as it was written, whatever its bytes look like.
    for (const char16_t* key : {u"VOLUME", u"CLICK"}) {
      if (tidewarden::FindSettingValue(FromAnsi(bytes), key) !=
          tidewarden::FindSettingValue(text, key)) {
        Fail("setting read through the code page", bytes);
      }
    }
    Readers(FromAnsi(bytes), bytes);
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  Random random{std::wcstoull(argv[1], nullptr, 10) * 2654435761u + 1};
  const long count = std::wcstol(argv[2], nullptr, 10);
  std::printf("code page %u\n", GetACP());
  Checker checker;
  // Every character the text generator uses is in the code page.
  for (const char16_t c : kJapanese) {
    const std::u16string alone(1, c);
    if (FromAnsi(ToAnsi(alone)) != alone) {
      std::printf("not in the code page: U+%04X\n", static_cast<unsigned>(c));
      ++checker.failures;
    }
  }
  // Names the watch list's file can hold exactly, and names it would keep a stand-in for.
  if (GetACP() == 932) {
    platform::win32::FilesWin32 files;
    const struct {
      const char16_t* name;
      bool exact;
    } names[] = {{u"C:\\APP\\A.EXE", true}, {u"日本語.exe", true}, {u"ﾃｽﾄ.exe", true},
                 {u"café.exe", false},      {u"한글.exe", false},  {u"naïve.exe", false}};
    for (const auto& n : names) {
      ++checker.inputs;
      if (files.StoresExactly(n.name) != n.exact) checker.Fail("stored exactly", ToAnsi(n.name));
    }
  }
  for (long i = 0; i < count; ++i) {
    if (i % 2 == 0) {
      checker.AnyBytes(random);
    } else {
      checker.JapaneseText(random);
    }
  }
  // Edge sizes: nothing, one lone lead byte, and a file of the largest size the programs read.
  for (const std::string& bytes :
       {std::string(), std::string("\x81"), std::string(64u * 1024 * 1024, '\x82')}) {
    ++checker.inputs;
    const std::u16string text = FromAnsi(bytes);
    if (text.size() > bytes.size() || text.empty() != bytes.empty()) {
      checker.Fail("edge size", bytes.substr(0, 4));
    }
  }
  std::printf("inputs %ld failures %ld\n", checker.inputs, checker.failures);
  return checker.failures == 0 ? 0 : 1;
}
