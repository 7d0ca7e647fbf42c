// System colours and metrics, the clipboard and the message box.
#include <algorithm>
#include <map>
#include <mutex>

#include "platform/display/DisplayBackend.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/User.h"
#include "platform/user/WindowSystem.h"

DWORD GetSysColor(int index) {
  return kx::SysColor(index);
}
HBRUSH GetSysColorBrush(int index) {
  return kx::SysColorBrush(index);
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
      return kx::display::Active().ScreenSize().cx;
    case SM_CYSCREEN:
      return kx::display::Active().ScreenSize().cy;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return 17;
    case SM_CYCAPTION:
      return 23;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return 3;
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
      return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return 2;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------------------
// Clipboard
namespace {

constexpr UINT kFirstRegisteredFormat = 0xC000;

struct ClipboardState {
  std::mutex m;
  std::vector<std::u16string> formatNames;  // index + 0xC000
  std::map<UINT, std::string> privateData;
  // The text on the clipboard when the private data was put there: when the text changes
  // (another program copied something), the private data no longer belongs to it.
  std::string textStamp;
  std::string headlessText;
  bool headlessHasText = false;
};

ClipboardState& Clip() {
  static ClipboardState s;
  return s;
}

char16_t Lower(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

bool SameName(const std::u16string& a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return Lower(x) == Lower(y); });
}

bool UseSdl() {
  auto* b = kx::display::ActiveOrNull();
  return b && b->Kind() == kx::DisplayKind::Sdl;
}

bool ReadText(std::string* out) {
  if (UseSdl()) return kx::display::Active().GetClipboardText(out);
  ClipboardState& c = Clip();
  if (!c.headlessHasText) return false;
  *out = c.headlessText;
  return true;
}

bool WriteText(const std::string& utf8, bool present) {
  if (UseSdl()) return kx::display::Active().SetClipboardText(utf8);
  ClipboardState& c = Clip();
  c.headlessText = utf8;
  c.headlessHasText = present;
  return true;
}

bool PrivateDataCurrent() {
  ClipboardState& c = Clip();
  if (c.privateData.empty()) return false;
  std::string now;
  if (!ReadText(&now)) now.clear();
  if (now != c.textStamp) {
    c.privateData.clear();
    return false;
  }
  return true;
}

}  // namespace

BOOL OpenClipboard(HWND) {
  return TRUE;
}
BOOL CloseClipboard() {
  return TRUE;
}

BOOL EmptyClipboard() {
  ClipboardState& c = Clip();
  std::lock_guard<std::mutex> lock(c.m);
  c.privateData.clear();
  WriteText("", false);
  c.textStamp.clear();
  return TRUE;
}

UINT RegisterClipboardFormatW(LPCWSTR name) {
  if (!name || !*name) return 0;
  ClipboardState& c = Clip();
  std::lock_guard<std::mutex> lock(c.m);
  std::u16string_view n(name);
  for (size_t i = 0; i < c.formatNames.size(); ++i)
    if (SameName(c.formatNames[i], n)) return kFirstRegisteredFormat + UINT(i);
  c.formatNames.emplace_back(n);
  return kFirstRegisteredFormat + UINT(c.formatNames.size() - 1);
}

BOOL IsClipboardFormatAvailable(UINT format) {
  ClipboardState& c = Clip();
  std::lock_guard<std::mutex> lock(c.m);
  if (format == CF_TEXT || format == CF_UNICODETEXT) {
    std::string t;
    return ReadText(&t) && !t.empty() ? TRUE : FALSE;
  }
  return PrivateDataCurrent() && c.privateData.count(format) ? TRUE : FALSE;
}

namespace kx {

bool SetClipboardText(std::u16string_view text) {
  ClipboardState& c = Clip();
  std::lock_guard<std::mutex> lock(c.m);
  c.privateData.clear();
  return WriteText(kx::Utf16ToUtf8(text), true);
}

std::optional<std::u16string> GetClipboardText() {
  ClipboardState& c = Clip();
  std::lock_guard<std::mutex> lock(c.m);
  std::string t;
  if (!ReadText(&t)) return std::nullopt;
  return kx::Utf8ToUtf16(t);
}

bool SetClipboardBytes(UINT format, std::string_view bytes) {
  ClipboardState& c = Clip();
  std::lock_guard<std::mutex> lock(c.m);
  if (format < kFirstRegisteredFormat ||
      format - kFirstRegisteredFormat >= UINT(c.formatNames.size()))
    return false;
  if (!PrivateDataCurrent()) c.privateData.clear();
  std::string stamp;
  if (!ReadText(&stamp)) stamp.clear();
  c.textStamp = stamp;
  c.privateData[format] = std::string(bytes);
  return true;
}

std::optional<std::string> GetClipboardBytes(UINT format) {
  ClipboardState& c = Clip();
  std::lock_guard<std::mutex> lock(c.m);
  if (!PrivateDataCurrent()) return std::nullopt;
  auto it = c.privateData.find(format);
  if (it == c.privateData.end()) return std::nullopt;
  return it->second;
}

}  // namespace kx

// ---------------------------------------------------------------------------------------
// Message box
int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  std::u16string_view t = text ? std::u16string_view(text) : std::u16string_view();
  std::u16string_view c = caption ? std::u16string_view(caption) : std::u16string_view(u"Error");
  // A capture would otherwise keep routing the mouse to a window behind the box.
  if (GetCapture()) ReleaseCapture();
  return kx::display::Active().MessageBox(t, c, type, owner);
}
