// The framework's shared value types: texts, colours, fonts' style sets, cursors,
// alignments, shift states and bound events. Every layer above the platform uses these.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/Windows.h"

// ---------------------------------------------------------------------------------------
// Texts. User-interface text is UTF-16; the getter's texts are 8-bit in the ANSI code page.
using TUnicodeString = std::u16string;
using UnicodeString = std::u16string;
using AnsiString = std::string;
using RawByteString = std::string;

// ---------------------------------------------------------------------------------------
// Geometry: the framework uses the platform's structures directly.
using TPoint = POINT;
using TRect = RECT;
using TSize = SIZE;

inline TRect Rect(int left, int top, int right, int bottom) {
  return TRect{left, top, right, bottom};
}
inline TRect Bounds(int left, int top, int width, int height) {
  return TRect{left, top, left + width, top + height};
}
inline TPoint Point(int x, int y) { return TPoint{x, y}; }
inline int RectWidth(const TRect& r) { return r.right - r.left; }
inline int RectHeight(const TRect& r) { return r.bottom - r.top; }

// ---------------------------------------------------------------------------------------
// Colours. Plain colours are 0x00BBGGRR; a system colour is 0xFF000000 plus the platform's
// system colour index and is resolved through the system colour table when used
// (ColorToRGB in framework/Graphics.h).
using TColor = int32_t;

constexpr TColor TColorOf(uint32_t v) { return static_cast<TColor>(v); }

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

constexpr TColor clSystemColor = TColorOf(0xFF000000);
constexpr TColor clScrollBar = TColorOf(0xFF000000 | COLOR_SCROLLBAR);
constexpr TColor clBackground = TColorOf(0xFF000000 | COLOR_BACKGROUND);
constexpr TColor clActiveCaption = TColorOf(0xFF000000 | COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = TColorOf(0xFF000000 | COLOR_INACTIVECAPTION);
constexpr TColor clMenu = TColorOf(0xFF000000 | COLOR_MENU);
constexpr TColor clWindow = TColorOf(0xFF000000 | COLOR_WINDOW);
constexpr TColor clWindowFrame = TColorOf(0xFF000000 | COLOR_WINDOWFRAME);
constexpr TColor clMenuText = TColorOf(0xFF000000 | COLOR_MENUTEXT);
constexpr TColor clWindowText = TColorOf(0xFF000000 | COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = TColorOf(0xFF000000 | COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = TColorOf(0xFF000000 | COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = TColorOf(0xFF000000 | COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = TColorOf(0xFF000000 | COLOR_APPWORKSPACE);
constexpr TColor clHighlight = TColorOf(0xFF000000 | COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = TColorOf(0xFF000000 | COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = TColorOf(0xFF000000 | COLOR_BTNFACE);
constexpr TColor clBtnShadow = TColorOf(0xFF000000 | COLOR_BTNSHADOW);
constexpr TColor clGrayText = TColorOf(0xFF000000 | COLOR_GRAYTEXT);
constexpr TColor clBtnText = TColorOf(0xFF000000 | COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = TColorOf(0xFF000000 | COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = TColorOf(0xFF000000 | COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = TColorOf(0xFF000000 | COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = TColorOf(0xFF000000 | COLOR_3DLIGHT);
constexpr TColor clInfoText = TColorOf(0xFF000000 | COLOR_INFOTEXT);
constexpr TColor clInfoBk = TColorOf(0xFF000000 | COLOR_INFOBK);
constexpr TColor clHotLight = TColorOf(0xFF000000 | COLOR_HOTLIGHT);
constexpr TColor clMenuHighlight = TColorOf(0xFF000000 | COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = TColorOf(0xFF000000 | COLOR_MENUBAR);

// ---------------------------------------------------------------------------------------
// Font styles: one byte, bits 1, 2, 4, 8.
enum TFontStyle : uint8_t { fsBold = 0, fsItalic = 1, fsUnderline = 2, fsStrikeOut = 3 };

class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles) bits_ |= uint8_t(1u << s);
  }
  static constexpr TFontStyles FromByte(uint8_t b) {
    TFontStyles r;
    r.bits_ = uint8_t(b & 0x0F);
    return r;
  }
  constexpr uint8_t ToByte() const { return bits_; }
  constexpr bool Contains(TFontStyle s) const { return (bits_ >> s) & 1u; }
  constexpr TFontStyles& Include(TFontStyle s) {
    bits_ |= uint8_t(1u << s);
    return *this;
  }
  constexpr TFontStyles& Exclude(TFontStyle s) {
    bits_ &= uint8_t(~(1u << s));
    return *this;
  }
  constexpr bool Empty() const { return bits_ == 0; }
  friend constexpr bool operator==(TFontStyles a, TFontStyles b) { return a.bits_ == b.bits_; }
  friend constexpr TFontStyles operator+(TFontStyles a, TFontStyles b) {
    return FromByte(a.bits_ | b.bits_);
  }
  friend constexpr TFontStyles operator-(TFontStyles a, TFontStyles b) {
    return FromByte(a.bits_ & uint8_t(~b.bits_));
  }

 private:
  uint8_t bits_ = 0;
};

// ---------------------------------------------------------------------------------------
// Cursors: 16-bit signed identifiers.
using TCursor = int16_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crHandPoint = -21;

// ---------------------------------------------------------------------------------------
// Alignment and layout
enum TAlignment : uint8_t { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };
enum TTextLayout : uint8_t { tlTop = 0, tlCenter = 1, tlBottom = 2 };
enum TAlign : uint8_t {
  alNone = 0,
  alTop = 1,
  alBottom = 2,
  alLeft = 3,
  alRight = 4,
  alClient = 5,
  alCustom = 6
};

enum TAnchorKind : uint8_t { akLeft = 0, akTop = 1, akRight = 2, akBottom = 3 };
// A set of TAnchorKind, one bit per element.
using TAnchors = uint8_t;
constexpr TAnchors AnchorBit(TAnchorKind k) { return TAnchors(1u << k); }
constexpr TAnchors DefaultAnchors = AnchorBit(akLeft) | AnchorBit(akTop);

// Form and control border styles share one enumeration; a control's TBorderStyle uses
// only bsNone and bsSingle.
enum TFormBorderStyle : uint8_t {
  bsNone = 0,
  bsSingle = 1,
  bsSizeable = 2,
  bsDialog = 3,
  bsToolWindow = 4,
  bsSizeToolWin = 5
};
using TBorderStyle = TFormBorderStyle;

enum TBevelCut : uint8_t { bvNone = 0, bvLowered = 1, bvRaised = 2, bvSpace = 3 };

enum TPosition : uint8_t {
  poDesigned = 0,
  poDefault = 1,
  poScreenCenter = 4,
  poDesktopCenter = 5,
  poMainFormCenter = 6,
  poOwnerFormCenter = 7
};

// ---------------------------------------------------------------------------------------
// Input
enum TShiftStateElement : uint8_t {
  ssShift = 0,
  ssAlt = 1,
  ssCtrl = 2,
  ssLeft = 3,
  ssRight = 4,
  ssMiddle = 5,
  ssDouble = 6
};
// A set of TShiftStateElement, one bit per element.
using TShiftState = uint8_t;
constexpr TShiftState ShiftBit(TShiftStateElement e) { return TShiftState(1u << e); }
constexpr bool HasShift(TShiftState s, TShiftStateElement e) { return (s >> e) & 1u; }

enum TMouseButton : uint8_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };

// ---------------------------------------------------------------------------------------
// Bound events: code plus the object it is bound to, raised with the sender first.
// An event remembers the name of the method it was bound to, so a layout description can
// be written back.
class TObject;

template <class... Args>
class TEvent {
 public:
  using Function = std::function<void(Args...)>;

  TEvent() = default;
  TEvent(Function code, const void* data = nullptr, std::string methodName = {})
      : code_(std::move(code)), data_(data), name_(std::move(methodName)) {}

  // Binds a member function of `object`.
  template <class C, class R>
  static TEvent Bind(C* object, R (C::*method)(Args...), std::string methodName = {}) {
    return TEvent([object, method](Args... args) { (object->*method)(args...); }, object,
                  std::move(methodName));
  }

  explicit operator bool() const { return static_cast<bool>(code_); }
  void operator()(Args... args) const {
    if (code_) code_(args...);
  }
  void Clear() { *this = TEvent(); }

  const void* Data() const { return data_; }
  const std::string& MethodName() const { return name_; }

 private:
  Function code_;
  const void* data_ = nullptr;
  std::string name_;
};

using TNotifyEvent = TEvent<TObject*>;
using TMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int>;
using TMouseMoveEvent = TEvent<TObject*, TShiftState, int, int>;
using TKeyEvent = TEvent<TObject*, WORD&, TShiftState>;
using TKeyPressEvent = TEvent<TObject*, char16_t&>;
using TContextPopupEvent = TEvent<TObject*, TPoint, bool&>;
