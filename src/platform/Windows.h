// The operating-system stand-in's shared types and constants.
//
// The platform layer offers the Windows operations the rest of the program calls, under
// their Windows names and argument shapes, over real Linux libraries. This header holds
// only what every part of the layer and every caller shares: integer types, handles,
// structures, message numbers and flag values. The operations themselves are declared by
// the part that implements them:
//   platform/kernel/Kernel.h   locale, environment, paths, files, code page, clock
//   platform/gdi/Gdi.h         device contexts, bitmaps, fonts, text, brushes, pens
//   platform/user/User.h       windows, message queue, input, caret, timers, clipboard,
//                              message box, system colours and metrics
//   platform/user/Shell.h      ShellExecuteA / ShellExecuteW
//   platform/inet/WinInet.h    the HTTP client
//
// Text: WCHAR is char16_t, so the "W" operations take UTF-16 (std::u16string data).
// The "A" operations take 8-bit text in the ANSI code page (UTF-8 normally).
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------------------
// Integer types
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using INT = int;
using BOOL = int;
using SHORT = int16_t;
using USHORT = uint16_t;
using LANGID = uint16_t;
using COLORREF = uint32_t;  // 0x00BBGGRR
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using UINT_PTR = uintptr_t;
using DWORD_PTR = uintptr_t;
using WCHAR = char16_t;
using LPWSTR = char16_t*;
using LPCWSTR = const char16_t*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using HRESULT = int32_t;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
constexpr UINT MAX_PATH = 260;

inline constexpr WORD LOWORD(uintptr_t v) { return WORD(v & 0xFFFF); }
inline constexpr WORD HIWORD(uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
inline constexpr BYTE GetRValue(COLORREF c) { return BYTE(c & 0xFF); }
inline constexpr BYTE GetGValue(COLORREF c) { return BYTE((c >> 8) & 0xFF); }
inline constexpr BYTE GetBValue(COLORREF c) { return BYTE((c >> 16) & 0xFF); }
inline constexpr COLORREF RGB(int r, int g, int b) {
  return COLORREF(BYTE(r)) | (COLORREF(BYTE(g)) << 8) | (COLORREF(BYTE(b)) << 16);
}
inline constexpr LPARAM MAKELPARAM(int lo, int hi) {
  return LPARAM(DWORD(WORD(lo)) | (DWORD(WORD(hi)) << 16));
}
inline constexpr int GET_X_LPARAM(LPARAM lp) { return int(SHORT(LOWORD(uintptr_t(lp)))); }
inline constexpr int GET_Y_LPARAM(LPARAM lp) { return int(SHORT(HIWORD(uintptr_t(lp)))); }
inline constexpr WORD PRIMARYLANGID(LANGID id) { return WORD(id & 0x3FF); }
inline constexpr WORD SUBLANGID(LANGID id) { return WORD(id >> 10); }
inline constexpr LANGID MAKELANGID(WORD primary, WORD sub) { return LANGID((sub << 10) | primary); }

// ---------------------------------------------------------------------------------------
// Handles. Each is a pointer to an object the implementing part defines by deriving from
// the tag type; GDI object handles convert to HGDIOBJ implicitly.
struct HWND__ {
  virtual ~HWND__() = default;
};
struct HGDIOBJ__ {
  virtual ~HGDIOBJ__() = default;
};
struct HDC__ {
  virtual ~HDC__() = default;
};
struct HBITMAP__ : HGDIOBJ__ {};
struct HFONT__ : HGDIOBJ__ {};
struct HBRUSH__ : HGDIOBJ__ {};
struct HPEN__ : HGDIOBJ__ {};
struct HRGN__ : HGDIOBJ__ {};
struct HMENU__ {
  virtual ~HMENU__() = default;
};
struct HCURSOR__ {
  virtual ~HCURSOR__() = default;
};
struct HINTERNET__ {
  virtual ~HINTERNET__() = default;
};
struct HANDLE__ {
  virtual ~HANDLE__() = default;
};

using HWND = HWND__*;
using HGDIOBJ = HGDIOBJ__*;
using HDC = HDC__*;
using HBITMAP = HBITMAP__*;
using HFONT = HFONT__*;
using HBRUSH = HBRUSH__*;
using HPEN = HPEN__*;
using HRGN = HRGN__*;
using HMENU = HMENU__*;
using HCURSOR = HCURSOR__*;
using HICON = HCURSOR__*;
using HINTERNET = HINTERNET__*;
using HANDLE = HANDLE__*;  // files and find handles (kernel)
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using HINSTANCE = void*;
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(intptr_t(-1)))

// ---------------------------------------------------------------------------------------
// Structures
struct POINT {
  LONG x = 0;
  LONG y = 0;
  friend bool operator==(const POINT&, const POINT&) = default;
};
struct SIZE {
  LONG cx = 0;
  LONG cy = 0;
  friend bool operator==(const SIZE&, const SIZE&) = default;
};
struct RECT {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
  friend bool operator==(const RECT&, const RECT&) = default;
};
using LPRECT = RECT*;
using LPPOINT = POINT*;

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
};

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;
  RECT rcPaint;
};

constexpr int LF_FACESIZE = 32;
struct LOGFONTW {
  LONG lfHeight = 0;
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = 0;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = 0;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  WCHAR lfFaceName[LF_FACESIZE] = {};
};

struct TEXTMETRICW {
  LONG tmHeight = 0;
  LONG tmAscent = 0;
  LONG tmDescent = 0;
  LONG tmInternalLeading = 0;
  LONG tmExternalLeading = 0;
  LONG tmAveCharWidth = 0;
  LONG tmMaxCharWidth = 0;
  LONG tmWeight = 0;
  LONG tmOverhang = 0;
  BYTE tmItalic = 0;
  BYTE tmUnderlined = 0;
  BYTE tmStruckOut = 0;
  BYTE tmCharSet = 0;
};

struct BITMAP {
  LONG bmWidth = 0;
  LONG bmHeight = 0;
  LONG bmWidthBytes = 0;  // stride of the 32-bit premultiplied ARGB pixels
  WORD bmBitsPixel = 32;
  void* bmBits = nullptr;
};

struct DRAWTEXTPARAMS {
  UINT cbSize = sizeof(DRAWTEXTPARAMS);
  int iTabLength = 8;
  int iLeftMargin = 0;
  int iRightMargin = 0;
  UINT uiLengthDrawn = 0;
};

// Find data of the one-name directory search (kernel).
struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes = 0;
  uint64_t nFileSize = 0;
  WCHAR cFileName[MAX_PATH] = {};
  WCHAR cAlternateFileName[14] = {};
};

// ---------------------------------------------------------------------------------------
// Window messages
enum : UINT {
  WM_NULL = 0x0000,
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_ACTIVATE = 0x0006,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_ENABLE = 0x000A,
  WM_SETTEXT = 0x000C,
  WM_GETTEXT = 0x000D,
  WM_GETTEXTLENGTH = 0x000E,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_ERASEBKGND = 0x0014,
  WM_SHOWWINDOW = 0x0018,
  WM_SETCURSOR = 0x0020,
  WM_MOUSEACTIVATE = 0x0021,
  WM_WINDOWPOSCHANGED = 0x0047,
  WM_CONTEXTMENU = 0x007B,
  WM_NCCALCSIZE = 0x0083,
  WM_NCHITTEST = 0x0084,
  WM_NCPAINT = 0x0085,
  WM_GETDLGCODE = 0x0087,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,
  WM_DEADCHAR = 0x0103,
  WM_SYSKEYDOWN = 0x0104,
  WM_SYSKEYUP = 0x0105,
  WM_SYSCHAR = 0x0106,
  WM_COMMAND = 0x0111,
  WM_SYSCOMMAND = 0x0112,
  WM_TIMER = 0x0113,
  WM_HSCROLL = 0x0114,
  WM_VSCROLL = 0x0115,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_RBUTTONDBLCLK = 0x0206,
  WM_MBUTTONDOWN = 0x0207,
  WM_MBUTTONUP = 0x0208,
  WM_MOUSEWHEEL = 0x020A,
  WM_CAPTURECHANGED = 0x0215,
  WM_IME_STARTCOMPOSITION = 0x010D,
  WM_IME_ENDCOMPOSITION = 0x010E,
  WM_IME_COMPOSITION = 0x010F,
  WM_CUT = 0x0300,
  WM_COPY = 0x0301,
  WM_PASTE = 0x0302,
  WM_CLEAR = 0x0303,
  WM_UNDO = 0x0304,
  WM_MOUSEHOVER = 0x02A1,
  WM_MOUSELEAVE = 0x02A3,
  WM_USER = 0x0400,
  WM_APP = 0x8000,
};

// Standard edit-control requests.
enum : UINT {
  EM_GETSEL = 0x00B0,
  EM_SETSEL = 0x00B1,
  EM_GETLINECOUNT = 0x00BA,
  EM_LINELENGTH = 0x00C1,
  EM_REPLACESEL = 0x00C2,
  EM_CANUNDO = 0x00C6,
  EM_EMPTYUNDOBUFFER = 0x00CD,
  EM_SETREADONLY = 0x00CF,
};

// WM_GETDLGCODE answers
enum : UINT {
  DLGC_WANTARROWS = 0x0001,
  DLGC_WANTTAB = 0x0002,
  DLGC_WANTALLKEYS = 0x0004,
  DLGC_WANTCHARS = 0x0080,
};

// PeekMessage flags
enum : UINT { PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001 };

// Mouse key state in wParam of mouse messages
enum : UINT {
  MK_LBUTTON = 0x0001,
  MK_RBUTTON = 0x0002,
  MK_SHIFT = 0x0004,
  MK_CONTROL = 0x0008,
  MK_MBUTTON = 0x0010,
};

// WM_ACTIVATE
enum : UINT { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };

// Hit-test codes
enum : int { HTERROR = -2, HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTBORDER = 18 };

// ---------------------------------------------------------------------------------------
// Virtual keys
enum : UINT {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_MENU = 0x12,  // Alt
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_PRIOR = 0x21,  // Page Up
  VK_NEXT = 0x22,   // Page Down
  VK_END = 0x23,
  VK_HOME = 0x24,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_INSERT = 0x2D,
  VK_DELETE = 0x2E,
  // '0'..'9' and 'A'..'Z' are their ASCII codes
  VK_APPS = 0x5D,
  VK_F1 = 0x70,
  VK_F10 = 0x79,
};

// ---------------------------------------------------------------------------------------
// Window styles
enum : DWORD {
  WS_OVERLAPPED = 0x00000000,
  WS_TABSTOP = 0x00010000,
  WS_GROUP = 0x00020000,
  WS_THICKFRAME = 0x00040000,
  WS_SYSMENU = 0x00080000,
  WS_HSCROLL = 0x00100000,
  WS_VSCROLL = 0x00200000,
  WS_DLGFRAME = 0x00400000,
  WS_BORDER = 0x00800000,
  WS_CAPTION = 0x00C00000,
  WS_DISABLED = 0x08000000,
  WS_VISIBLE = 0x10000000,
  WS_CLIPCHILDREN = 0x02000000,
  WS_CLIPSIBLINGS = 0x04000000,
  WS_CHILD = 0x40000000,
  WS_POPUP = 0x80000000,
};
enum : DWORD {
  WS_EX_DLGMODALFRAME = 0x00000001,
  WS_EX_TOPMOST = 0x00000008,
  WS_EX_TRANSPARENT = 0x00000020,
  WS_EX_TOOLWINDOW = 0x00000080,
  WS_EX_CLIENTEDGE = 0x00000200,
  WS_EX_APPWINDOW = 0x00040000,
};

// GetWindowLong indexes
enum : int { GWL_STYLE = -16, GWL_EXSTYLE = -20, GWLP_USERDATA = -21 };

// ShowWindow
enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5, SW_SHOWNA = 8 };

// SetWindowPos
enum : UINT {
  SWP_NOSIZE = 0x0001,
  SWP_NOMOVE = 0x0002,
  SWP_NOZORDER = 0x0004,
  SWP_NOREDRAW = 0x0008,
  SWP_NOACTIVATE = 0x0010,
  SWP_FRAMECHANGED = 0x0020,
  SWP_SHOWWINDOW = 0x0040,
  SWP_HIDEWINDOW = 0x0080,
};
#define HWND_TOP (static_cast<HWND>(nullptr))
#define HWND_BOTTOM (reinterpret_cast<HWND>(intptr_t(1)))

// RedrawWindow / InvalidateRect
enum : UINT {
  RDW_INVALIDATE = 0x0001,
  RDW_ERASE = 0x0004,
  RDW_FRAME = 0x0400,
  RDW_UPDATENOW = 0x0100,
  RDW_ALLCHILDREN = 0x0080,
  RDW_NOCHILDREN = 0x0040,
};

// ---------------------------------------------------------------------------------------
// Message box flags and answers
enum : UINT {
  MB_OK = 0x00000000,
  MB_OKCANCEL = 0x00000001,
  MB_YESNO = 0x00000004,
  MB_ICONHAND = 0x00000010,
  MB_ICONQUESTION = 0x00000020,
  MB_ICONEXCLAMATION = 0x00000030,
  MB_ICONASTERISK = 0x00000040,
  MB_SYSTEMMODAL = 0x00001000,
  MB_TASKMODAL = 0x00002000,
  MB_SETFOREGROUND = 0x00010000,
};
enum : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// ---------------------------------------------------------------------------------------
// System colour indexes (GetSysColor) and metrics (GetSystemMetrics)
enum : int {
  COLOR_SCROLLBAR = 0,
  COLOR_BACKGROUND = 1,
  COLOR_ACTIVECAPTION = 2,
  COLOR_INACTIVECAPTION = 3,
  COLOR_MENU = 4,
  COLOR_WINDOW = 5,
  COLOR_WINDOWFRAME = 6,
  COLOR_MENUTEXT = 7,
  COLOR_WINDOWTEXT = 8,
  COLOR_CAPTIONTEXT = 9,
  COLOR_ACTIVEBORDER = 10,
  COLOR_INACTIVEBORDER = 11,
  COLOR_APPWORKSPACE = 12,
  COLOR_HIGHLIGHT = 13,
  COLOR_HIGHLIGHTTEXT = 14,
  COLOR_BTNFACE = 15,
  COLOR_BTNSHADOW = 16,
  COLOR_GRAYTEXT = 17,
  COLOR_BTNTEXT = 18,
  COLOR_INACTIVECAPTIONTEXT = 19,
  COLOR_BTNHIGHLIGHT = 20,
  COLOR_3DDKSHADOW = 21,
  COLOR_3DLIGHT = 22,
  COLOR_INFOTEXT = 23,
  COLOR_INFOBK = 24,
  COLOR_HOTLIGHT = 26,
  COLOR_GRADIENTACTIVECAPTION = 27,
  COLOR_GRADIENTINACTIVECAPTION = 28,
  COLOR_MENUHILIGHT = 29,
  COLOR_MENUBAR = 30,
};
enum : int {
  SM_CXSCREEN = 0,
  SM_CYSCREEN = 1,
  SM_CXVSCROLL = 2,
  SM_CYHSCROLL = 3,
  SM_CYCAPTION = 4,
  SM_CXBORDER = 5,
  SM_CYBORDER = 6,
  SM_CXDLGFRAME = 7,
  SM_CYDLGFRAME = 8,
  SM_CXCURSOR = 13,
  SM_CYCURSOR = 14,
  SM_CXDOUBLECLK = 36,
  SM_CYDOUBLECLK = 37,
  SM_CXEDGE = 45,
  SM_CYEDGE = 46,
};

// Cursor identifiers for LoadCursor
enum : int {
  IDC_ARROW = 32512,
  IDC_IBEAM = 32513,
  IDC_WAIT = 32514,
  IDC_CROSS = 32515,
  IDC_SIZEALL = 32646,
  IDC_NO = 32648,
  IDC_HAND = 32649,
};

// ---------------------------------------------------------------------------------------
// GDI constants
enum : int { TRANSPARENT = 1, OPAQUE = 2 };  // SetBkMode
enum : int { MM_TEXT = 1, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8 };  // SetMapMode
enum : int { NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3, RGN_ERROR = 0 };
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

// SetTextAlign
enum : UINT {
  TA_LEFT = 0,
  TA_RIGHT = 2,
  TA_CENTER = 6,
  TA_TOP = 0,
  TA_BOTTOM = 8,
  TA_BASELINE = 24,
  TA_RTLREADING = 256,
  TA_UPDATECP = 1,
};

// Raster operations for BitBlt
enum : DWORD {
  SRCCOPY = 0x00CC0020,
  SRCPAINT = 0x00EE0086,
  SRCAND = 0x008800C6,
  SRCINVERT = 0x00660046,
  PATCOPY = 0x00F00021,
  BLACKNESS = 0x00000042,
  WHITENESS = 0x00FF0062,
};

// Stock objects
enum : int {
  WHITE_BRUSH = 0,
  LTGRAY_BRUSH = 1,
  GRAY_BRUSH = 2,
  DKGRAY_BRUSH = 3,
  BLACK_BRUSH = 4,
  NULL_BRUSH = 5,
  WHITE_PEN = 6,
  BLACK_PEN = 7,
  NULL_PEN = 8,
  DEFAULT_GUI_FONT = 17,
};

// Pen styles
enum : int {
  PS_SOLID = 0,
  PS_DASH = 1,
  PS_DOT = 2,
  PS_DASHDOT = 3,
  PS_DASHDOTDOT = 4,
  PS_NULL = 5,
  PS_INSIDEFRAME = 6,
};

// Font weights, character sets, qualities
enum : int { FW_DONTCARE = 0, FW_NORMAL = 400, FW_BOLD = 700 };
enum : BYTE {
  ANSI_CHARSET = 0,
  DEFAULT_CHARSET = 1,
  SYMBOL_CHARSET = 2,
  OEM_CHARSET = 255,
};
enum : BYTE { DEFAULT_QUALITY = 0, ANTIALIASED_QUALITY = 4, CLEARTYPE_QUALITY = 5 };

// DrawText flags
enum : UINT {
  DT_TOP = 0x00000000,
  DT_LEFT = 0x00000000,
  DT_CENTER = 0x00000001,
  DT_RIGHT = 0x00000002,
  DT_VCENTER = 0x00000004,
  DT_BOTTOM = 0x00000008,
  DT_WORDBREAK = 0x00000010,
  DT_SINGLELINE = 0x00000020,
  DT_EXPANDTABS = 0x00000040,
  DT_TABSTOP = 0x00000080,
  DT_NOCLIP = 0x00000100,
  DT_EXTERNALLEADING = 0x00000200,
  DT_CALCRECT = 0x00000400,
  DT_NOPREFIX = 0x00000800,
  DT_EDITCONTROL = 0x00002000,
  DT_PATH_ELLIPSIS = 0x00004000,
  DT_END_ELLIPSIS = 0x00008000,
  DT_RTLREADING = 0x00020000,
  DT_WORD_ELLIPSIS = 0x00040000,
  DT_HIDEPREFIX = 0x00100000,
};

// ExtTextOut options
enum : UINT { ETO_OPAQUE = 0x0002, ETO_CLIPPED = 0x0004 };

// DrawEdge
enum : UINT {
  BDR_RAISEDOUTER = 0x0001,
  BDR_SUNKENOUTER = 0x0002,
  BDR_RAISEDINNER = 0x0004,
  BDR_SUNKENINNER = 0x0008,
  BDR_OUTER = 0x0003,
  BDR_INNER = 0x000C,
  EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
  EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
  EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
  EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
};
enum : UINT {
  BF_LEFT = 0x0001,
  BF_TOP = 0x0002,
  BF_RIGHT = 0x0004,
  BF_BOTTOM = 0x0008,
  BF_TOPLEFT = BF_TOP | BF_LEFT,
  BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
  BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
  BF_MIDDLE = 0x0800,
  BF_SOFT = 0x1000,
  BF_ADJUST = 0x2000,
  BF_FLAT = 0x4000,
  BF_MONO = 0x8000,
};

// DrawFrameControl
enum : UINT { DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4 };
enum : UINT {
  DFCS_BUTTONCHECK = 0x0000,
  DFCS_BUTTONRADIO = 0x0004,
  DFCS_BUTTONPUSH = 0x0010,
  DFCS_INACTIVE = 0x0100,
  DFCS_PUSHED = 0x0200,
  DFCS_CHECKED = 0x0400,
  DFCS_FLAT = 0x4000,
  DFCS_MONO = 0x8000,
};

// ---------------------------------------------------------------------------------------
// File attributes (kernel)
enum : DWORD {
  FILE_ATTRIBUTE_READONLY = 0x00000001,
  FILE_ATTRIBUTE_DIRECTORY = 0x00000010,
  FILE_ATTRIBUTE_NORMAL = 0x00000080,
  FILE_ATTRIBUTE_REPARSE_POINT = 0x00000400,
};
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
