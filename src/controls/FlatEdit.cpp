#include "controls/FlatEdit.h"

#include <algorithm>
#include <cstdlib>

#include "controls/Register.h"
#include "framework/Menus.h"
#include "platform/gdi/Gdi.h"
#include "platform/kernel/Kernel.h"
#include "platform/user/User.h"

namespace {

constexpr UINT kEmUndo = 0x00C7;  // EM_UNDO

bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Dead key composition: the accent, the letters it takes, and the composed letters.
struct TDeadKey {
  char16_t accent;
  const char16_t* bases;
  const char16_t* composed;
};
constexpr TDeadKey kDeadKeys[] = {
    {u'`', u"aeiouAEIOU", u"àèìòùÀÈÌÒÙ"},
    {0xB4, u"aeiouyAEIOUY", u"áéíóúýÁÉÍÓÚÝ"},
    {u'\'', u"aeiouyAEIOUY", u"áéíóúýÁÉÍÓÚÝ"},
    {u'^', u"aeiouAEIOU", u"âêîôûÂÊÎÔÛ"},
    {0xA8, u"aeiouyAEIOU", u"äëïöüÿÄËÏÖÜ"},
    {u'"', u"aeiouyAEIOU", u"äëïöüÿÄËÏÖÜ"},
    {u'~', u"anoANO", u"ãñõÃÑÕ"},
};

char16_t Compose(char16_t accent, char16_t base) {
  for (const TDeadKey& d : kDeadKeys) {
    if (d.accent != accent) continue;
    for (int i = 0; d.bases[i]; ++i)
      if (d.bases[i] == base) return d.composed[i];
  }
  return 0;
}

// The standard edit menu's entries.
enum TStdItem { siUndo, siLine1, siCut, siCopy, siPaste, siDelete, siLine2, siSelectAll, siCount };

const char16_t* StdItemText(int item, bool german) {
  static const char16_t* const english[siCount] = {u"&Undo",  u"-",       u"Cu&t", u"&Copy",
                                                   u"&Paste", u"&Delete", u"-",    u"&Select All"};
  static const char16_t* const deutsch[siCount] = {
      u"&R\u00fcckg\u00e4ngig", u"-", u"&Ausschneiden",   u"&Kopieren", u"&Einf\u00fcgen",
      u"&L\u00f6schen",         u"-", u"Alles &markieren"};
  return german ? deutsch[item] : english[item];
}

void BlendRect(TBitmap* bmp, TRect r, TColor color, int alpha) {
  const COLORREF c = ColorToRGB(color);
  r.left = std::max(0L, long(r.left)), r.top = std::max(0L, long(r.top));
  r.right = std::min(long(bmp->Width()), long(r.right));
  r.bottom = std::min(long(bmp->Height()), long(r.bottom));
  const unsigned a = unsigned(std::clamp(alpha, 0, 255));
  GdiFlush();
  for (int y = r.top; y < r.bottom; ++y) {
    uint32_t* row = bmp->ScanLine(y);
    if (!row) continue;
    for (int x = r.left; x < r.right; ++x) {
      const uint32_t p = row[x];
      const unsigned rr = (GetRValue(c) * a + ((p >> 16) & 0xFF) * (255 - a)) / 255;
      const unsigned gg = (GetGValue(c) * a + ((p >> 8) & 0xFF) * (255 - a)) / 255;
      const unsigned bb = (GetBValue(c) * a + (p & 0xFF) * (255 - a)) / 255;
      row[x] = 0xFF000000u | (rr << 16) | (gg << 8) | bb;
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Class information

const TClassInfo* TCustomFlatEdit::StaticClass() {
  using E = TCustomFlatEdit;
  static const TClassInfo* info =
      TClassBuilder<E>("TCustomFlatEdit", TThemedControl::StaticClass())
          .Color("Color", &E::Color, &E::SetColor, clWindow)
          .Integer("Cursor", &E::Cursor, &E::SetCursor, crIBeam, CursorIdents())
          .Bool("TabStop", &E::TabStop, &E::SetTabStop, true)
          .Bool("AutoSize", &E::AutoSize, &E::SetAutoSize, true)
          .String("Text", &E::Text, &E::SetText, u"")
          .Bool("Flat", &E::Flat, &E::SetFlat, false)
          .Enum("BorderStyle", &E::BorderStyle, &E::SetBorderStyle, BorderStyleInfo(), bsSingle)
          .Set("BorderSides", &E::BorderSides, &E::SetBorderSides, BorderSideInfo(), allSides)
          .Enum("ActiveBorderType", &E::ActiveBorderType, &E::SetActiveBorderType,
                FlatBorderTypeInfo(), fbtSunken)
          .Enum("InactiveBorderType", &E::InactiveBorderType, &E::SetInactiveBorderType,
                FlatBorderTypeInfo(), fbtSunkenOuter)
          .Color("BorderColorDkShadow", &E::BorderColorDkShadow, &E::SetBorderColorDkShadow,
                 cl3DDkShadow)
          .Color("BorderColorFace", &E::BorderColorFace, &E::SetBorderColorFace, clBtnFace)
          .Color("BorderColorShadow", &E::BorderColorShadow, &E::SetBorderColorShadow, clBtnShadow)
          .Color("BorderColorHighlight", &E::BorderColorHighlight, &E::SetBorderColorHighlight,
                 clBtnHighlight)
          .Color("BorderColorWindow", &E::BorderColorWindow, &E::SetBorderColorWindow, clWindow)
          .Color("LineBorderActiveColor", &E::LineBorderActiveColor, &E::SetLineBorderActiveColor,
                 clBtnFace)
          .Color("LineBorderInactiveColor", &E::LineBorderInactiveColor,
                 &E::SetLineBorderInactiveColor, clBtnFace)
          .Bool("Ctl3D", &E::Ctl3D, &E::SetCtl3D, true)
          .Bool("UseCustomScrollBars", &E::UseCustomScrollBars, &E::SetUseCustomScrollBars, true)
          .Enum("ScrollBars", &E::ScrollBars, &E::SetScrollBars, ScrollStyleInfo(), ssNone)
          .Bool("Multiline", &E::Multiline, &E::SetMultiline, false)
          .Bool("WordWrap", &E::WordWrap, &E::SetWordWrap, false)
          .Bool("WantTabs", &E::WantTabs, &E::SetWantTabs, false)
          .Bool("WantReturns", &E::WantReturns, &E::SetWantReturns, false)
          .Bool("ReadOnly", &E::ReadOnly, &E::SetReadOnly, false)
          .Integer("MaxLength", &E::MaxLength, &E::SetMaxLength, 0)
          .Enum("CharCase", &E::CharCase, &E::SetCharCase, EditCharCaseInfo(), ecNormal)
          .Integer("PasswordChar", &E::PasswordChar, &E::SetPasswordChar, 0)
          .Enum("Alignment", &E::Alignment, &E::SetAlignment, AlignmentInfo(), taLeftJustify)
          .Bool("AutoSelect", &E::AutoSelect, &E::SetAutoSelect, false)
          .Integer("LeftMargin", &E::LeftMargin, &E::SetLeftMargin, 1)
          .Integer("RightMargin", &E::RightMargin, &E::SetRightMargin, 1)
          .Integer("TopMargin", &E::TopMargin, &E::SetTopMargin, 0)
          .Bool("AlignBottom", &E::AlignBottom, &E::SetAlignBottom, true)
          .Bool("HideSelection", &E::HideSelection, &E::SetHideSelection, true)
          .Color("FocusedSelectColor", &E::FocusedSelectColor, &E::SetFocusedSelectColor,
                 clHighlight)
          .Color("FocusedSelectTextColor", &E::FocusedSelectTextColor,
                 &E::SetFocusedSelectTextColor, clHighlightText)
          .Color("HideSelectColor", &E::HideSelectColor, &E::SetHideSelectColor, clBtnFace)
          .Color("HideSelectTextColor", &E::HideSelectTextColor, &E::SetHideSelectTextColor,
                 clBtnShadow)
          .Integer("HighlightAlphaLevel", &E::HighlightAlphaLevel, &E::SetHighlightAlphaLevel, 255)
          .Bool("UseDisabledColors", &E::UseDisabledColors, &E::SetUseDisabledColors, true)
          .Color("DisabledColor", &E::DisabledColor, &E::SetDisabledColor, clBtnFace)
          .Color("DisabledFontColor", &E::DisabledFontColor, &E::SetDisabledFontColor, clGrayText)
          .Integer("TabSpaces", &E::TabSpaces, &E::SetTabSpaces, 4)
          .String("CueBanner", &E::CueBanner, &E::SetCueBanner, u"")
          .Bool("Transparent", &E::Transparent, &E::SetTransparent, false)
          .Bool("UseSystemMenu", &E::UseSystemMenu, &E::SetUseSystemMenu, true)
          .Bool("LocalizedSystemMenu", &E::LocalizedSystemMenu, &E::SetLocalizedSystemMenu, false)
          .Bool("NotifyUserChangeOnly", &E::NotifyUserChangeOnly, &E::SetNotifyUserChangeOnly, true)
          .Event<TNotifyEvent>("OnChange", &E::OnChange, &E::SetOnChange)
          .Event<TNotifyEvent>("OnSelectionChange", &E::OnSelectionChange, &E::SetOnSelectionChange)
          .Event<TKeyPressExEvent>("OnKeyPressEx", &E::OnKeyPressEx, &E::SetOnKeyPressEx)
          .Event<TPasteClipboardTextEvent>("OnPasteClipboardText", &E::OnPasteClipboardText,
                                           &E::SetOnPasteClipboardText)
          .Build();
  return info;
}

const TClassInfo* TFlatEdit::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TFlatEdit>("TFlatEdit", TCustomFlatEdit::StaticClass()).Factory().Build();
  return info;
}

// ---------------------------------------------------------------------------------------
// Construction

TCustomFlatEdit::TCustomFlatEdit(TComponent* owner) : TThemedControl(owner) {
  FCreating++;
  SetColor(clWindow);
  TControl::SetCursor(crIBeam);
  SetTabStop(true);
  TThemedControl::SetAutoSize(true);
  FMeasure = std::make_unique<TBitmap>(1, 1);
  FBuffer = std::make_unique<TBitmap>();
  if (Width() == 0 && Height() == 0) SetBounds(Left(), Top(), 121, 21);
  FCreating--;
}

TCustomFlatEdit::~TCustomFlatEdit() {
  Destroying();
  if (FHasCaret) {
    DestroyCaret();
    FHasCaret = false;
  }
}

// ---------------------------------------------------------------------------------------
// Metrics and layout

void TCustomFlatEdit::PrepareMeasure() {
  TCanvas* c = FMeasure->Canvas();
  if (!FMetricsValid) {
    c->Font()->Assign(Font());
    FMetrics = c->TextMetrics();
    FMetricsValid = true;
  }
  c->RequireState();
}

const TEXTMETRICW& TCustomFlatEdit::Metrics() {
  PrepareMeasure();
  return FMetrics;
}

int TCustomFlatEdit::LineHeight() const {
  return std::abs(Font()->Height()) + 2;
}

TRect TCustomFlatEdit::EditRect() const {
  return ClientRect();
}

int TCustomFlatEdit::LinesInView() const {
  const TRect e = EditRect();
  return std::max(1, (RectHeight(e) - FTopMargin) / std::max(1, LineHeight()));
}

int TCustomFlatEdit::BaselineOf(int line) const {
  return EditRect().top + FTopMargin + (line - FTopLine + 1) * LineHeight();
}

TCustomFlatEdit::TLineLayout TCustomFlatEdit::LayoutLine(int line) {
  TLineLayout L;
  line = std::clamp(line, 0, FEdit.Lines().Count() - 1);
  const TUnicodeString& s = FEdit.Lines().Strings(line);
  const int len = int(s.size());
  L.shownStart.resize(size_t(len) + 1);
  for (int c = 0; c < len; ++c) {
    L.shownStart[size_t(c)] = int(L.shown.size());
    const char16_t ch = s[size_t(c)];
    if (FPasswordChar) {
      if (!IsLowSurrogate(ch)) L.shown += FPasswordChar;
    } else if (ch == u'\t') {
      L.shown.append(size_t(FTabSpaces), u' ');
    } else {
      L.shown += ch;
    }
  }
  L.shownStart[size_t(len)] = int(L.shown.size());
  L.cum.assign(size_t(len) + 1, 0);
  if (!L.shown.empty()) {
    PrepareMeasure();
    std::vector<int> dx(L.shown.size());
    SIZE size{};
    GetTextExtentExPointW(FMeasure->Canvas()->Handle(), L.shown.data(), int(L.shown.size()), 0,
                          nullptr, dx.data(), &size);
    for (int c = 1; c <= len; ++c) {
      const int k = L.shownStart[size_t(c)];
      L.cum[size_t(c)] = k > 0 ? dx[size_t(k - 1)] : 0;
    }
  }
  const TRect e = EditRect();
  const int avail = RectWidth(e) - FLeftMargin - FRightMargin;
  L.firstCol = std::clamp(FLeftChar, 0, len);
  L.lastCol = L.firstCol;
  while (L.lastCol < len && L.cum[size_t(L.lastCol) + 1] - L.cum[size_t(L.firstCol)] <= avail)
    ++L.lastCol;
  const int w = L.cum[size_t(L.lastCol)] - L.cum[size_t(L.firstCol)];
  switch (FAlignment) {
    case taRightJustify:
      L.x0 = e.right - FRightMargin - w - 2;
      break;
    case taCenter:
      L.x0 = (e.right - FRightMargin) / 2 - w / 2;
      break;
    default:
      L.x0 = e.left + FLeftMargin;
      break;
  }
  // Text wider than the field starts at the left margin whatever the alignment.
  L.x0 = std::max(L.x0, int(e.left + FLeftMargin));
  return L;
}

TPoint TCustomFlatEdit::PosFromCaret(int x, int y) {
  const TEditPos p = FEdit.Clamp(TEditPos{x, y});
  const TLineLayout L = LayoutLine(p.Y);
  return Point(L.X(p.X), BaselineOf(p.Y) - Metrics().tmAscent);
}

TEditPos TCustomFlatEdit::CaretFromPos(TPoint p) {
  const TRect e = EditRect();
  int line = FTopLine;
  if (Multiline()) {
    const int rel = p.y - e.top - FTopMargin;
    line = FTopLine + (rel < 0 ? -1 : rel / std::max(1, LineHeight()));
  }
  line = std::clamp(line, 0, FEdit.Lines().Count() - 1);
  const TLineLayout L = LayoutLine(line);
  const TUnicodeString& s = FEdit.Lines().Strings(line);
  const int target = p.x - L.x0 + L.cum[size_t(L.firstCol)];
  int best = 0, bestDist = 1 << 30;
  for (int c = 0; c <= int(s.size()); ++c) {
    if (c < int(s.size()) && c > 0 && IsLowSurrogate(s[size_t(c)])) continue;
    const int d = std::abs(L.cum[size_t(c)] - target);
    if (d < bestDist) best = c, bestDist = d;
  }
  return TEditPos{best, line};
}

void TCustomFlatEdit::ScrollCaretIntoView() {
  const TEditPos caret = FEdit.Caret();
  if (Multiline()) {
    if (caret.Y < FTopLine) FTopLine = caret.Y;
    const int view = LinesInView();
    if (caret.Y >= FTopLine + view) FTopLine = caret.Y - view + 1;
    FTopLine = std::clamp(FTopLine, 0, std::max(0, FEdit.Lines().Count() - 1));
  } else {
    FTopLine = 0;
  }
  const TLineLayout L = LayoutLine(caret.Y);
  const int len = int(L.cum.size()) - 1;
  const int avail = RectWidth(EditRect()) - FLeftMargin - FRightMargin;
  FLeftChar = std::clamp(FLeftChar, 0, len);
  if (caret.X < FLeftChar) FLeftChar = caret.X;
  while (FLeftChar < caret.X &&
         L.cum[size_t(caret.X)] - L.cum[size_t(FLeftChar)] > std::max(0, avail - 1))
    ++FLeftChar;
  // Scroll back while the rest of the line would fit, so no space is wasted on the right.
  while (FLeftChar > 0 && L.cum[size_t(len)] - L.cum[size_t(FLeftChar - 1)] <= avail - 1)
    --FLeftChar;
}

void TCustomFlatEdit::CreateEditCaret() {
  if (!HandleAllocated()) return;
  const TEXTMETRICW& tm = Metrics();
  int width = GetSystemMetrics(SM_CXBORDER);
  if (Font()->Style().Contains(fsBold)) width *= 2;
  CreateCaret(Handle(), nullptr, width, tm.tmHeight);
  FHasCaret = true;
  UpdateCaret();
  ShowCaret(Handle());
}

void TCustomFlatEdit::UpdateCaret() {
  if (!FHasCaret) return;
  const TEditPos c = FEdit.Caret();
  const TPoint p = PosFromCaret(c.X, c.Y);
  ::SetCaretPos(p.x, p.y);
}

// ---------------------------------------------------------------------------------------
// Text, selection, editing

void TCustomFlatEdit::SyncFrameworkText() {
  FSyncingText = true;
  TControl::SetText(FEdit.Text());
  FSyncingText = false;
}

void TCustomFlatEdit::SetText(const TUnicodeString& v) {
  if (ConvertCharCase(v, CharCase()) == FEdit.Text()) return;
  FEdit.SetText(v);
  FModified = false;
  FLeftChar = 0;
  FTopLine = 0;
  SyncFrameworkText();
  ScrollCaretIntoView();
  UpdateCaret();
  Invalidate();
  if (!FNotifyUserChangeOnly && FOnChange) FOnChange(this);
}

void TCustomFlatEdit::TextChanged() {
  // A change of the framework's text from outside (the base SetText) is a program write.
  if (!FSyncingText && TControl::Text() != FEdit.Text()) SetText(TControl::Text());
  TThemedControl::TextChanged();
}

void TCustomFlatEdit::Change() {
  FModified = true;
  SyncFrameworkText();
  if (FOnChange) FOnChange(this);
}

void TCustomFlatEdit::SelectionChange() {
  if (FOnSelectionChange) FOnSelectionChange(this);
}

void TCustomFlatEdit::AfterEdit(bool changed, TEditPos oldCaret, TEditPos oldAnchor) {
  ScrollCaretIntoView();
  UpdateCaret();
  Invalidate();
  if (changed)
    Change();
  else if (!(oldCaret == FEdit.Caret()) || !(oldAnchor == FEdit.Anchor()))
    SelectionChange();
}

void TCustomFlatEdit::SetSelStart(int v) {
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  FEdit.SetSelOffsets(v, v);
  AfterEdit(false, c, a);
}

void TCustomFlatEdit::SetSelLength(int v) {
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  const int start = FEdit.SelStart();
  FEdit.SetSelOffsets(start, std::max(start, start + v));
  AfterEdit(false, c, a);
}

void TCustomFlatEdit::SetSelText(const TUnicodeString& v) {
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  const bool changed = v.empty() ? FEdit.DeleteSelection() : FEdit.InsertText(v);
  AfterEdit(changed, c, a);
}

void TCustomFlatEdit::SelectAll() {
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  FEdit.SelectAll();
  AfterEdit(false, c, a);
}

void TCustomFlatEdit::ClearSelection() {
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  AfterEdit(FEdit.DeleteSelection(), c, a);
}

void TCustomFlatEdit::SetCaretPos(int x, int y) {
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  FEdit.SetCaret(TEditPos{x, y});
  AfterEdit(false, c, a);
}

void TCustomFlatEdit::CopyToClipboard() {
  // A masked text never leaves the field.
  if (FPasswordChar || !FEdit.Selected()) return;
  kx::SetClipboardText(FEdit.SelText());
}

void TCustomFlatEdit::CutToClipboard() {
  if (FPasswordChar || !FEdit.Selected() || ReadOnly()) return;
  kx::SetClipboardText(FEdit.SelText());
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  AfterEdit(FEdit.DeleteSelection(), c, a);
}

void TCustomFlatEdit::PasteFromClipboard() {
  if (ReadOnly()) return;
  std::optional<TUnicodeString> text = kx::GetClipboardText();
  if (!text) return;
  bool allow = true;
  if (FOnPasteClipboardText) FOnPasteClipboardText(this, *text, allow);
  if (!allow) return;
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  AfterEdit(FEdit.InsertText(*text), c, a);
}

void TCustomFlatEdit::Undo() {
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  AfterEdit(FEdit.Undo(), c, a);
}

void TCustomFlatEdit::Redo() {
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  AfterEdit(FEdit.Redo(), c, a);
}

bool TCustomFlatEdit::ExecuteCommand(TEditorCommand command) {
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  bool changed = false;
  const int page = LinesInView();
  switch (command) {
    case ecLeft:
      FEdit.MoveLeft(false);
      break;
    case ecSelLeft:
      FEdit.MoveLeft(true);
      break;
    case ecWordLeft:
      FEdit.WordLeft(false);
      break;
    case ecSelWordLeft:
      FEdit.WordLeft(true);
      break;
    case ecRight:
      FEdit.MoveRight(false);
      break;
    case ecSelRight:
      FEdit.MoveRight(true);
      break;
    case ecWordRight:
      FEdit.WordRight(false);
      break;
    case ecSelWordRight:
      FEdit.WordRight(true);
      break;
    case ecUp:
      FEdit.LineUp(false);
      break;
    case ecSelUp:
      FEdit.LineUp(true);
      break;
    case ecDown:
      FEdit.LineDown(false);
      break;
    case ecSelDown:
      FEdit.LineDown(true);
      break;
    case ecPageUp:
      FEdit.LineUp(false, page), FTopLine = std::max(0, FTopLine - page);
      break;
    case ecSelPageUp:
      FEdit.LineUp(true, page), FTopLine = std::max(0, FTopLine - page);
      break;
    case ecPageDown:
      FEdit.LineDown(false, page), FTopLine += page;
      break;
    case ecSelPageDown:
      FEdit.LineDown(true, page), FTopLine += page;
      break;
    case ecLineStart:
      FEdit.LineStart(false);
      break;
    case ecSelLineStart:
      FEdit.LineStart(true);
      break;
    case ecEditorTop:
      FEdit.TextStart(false);
      break;
    case ecSelEditorTop:
      FEdit.TextStart(true);
      break;
    case ecLineEnd:
      FEdit.LineEnd(false);
      break;
    case ecSelLineEnd:
      FEdit.LineEnd(true);
      break;
    case ecEditorBottom:
      FEdit.TextEnd(false);
      break;
    case ecSelEditorBottom:
      FEdit.TextEnd(true);
      break;
    case ecLineBreak:
      if (!Multiline()) return false;
      changed = FEdit.LineBreak();
      break;
    case ecTab:
      if (!FWantTabs) return false;
      changed = FEdit.InsertTab();
      break;
    case ecDeleteLastChar:
      changed = FEdit.DeleteLastChar();
      break;
    case ecDeleteLastWord:
      changed = FEdit.DeleteLastWord();
      break;
    case ecDeleteChar:
      changed = FEdit.DeleteChar();
      break;
    case ecDeleteWord:
      changed = FEdit.DeleteWord();
      break;
    case ecUndo:
      changed = FEdit.Undo();
      break;
    case ecRedo:
      changed = FEdit.Redo();
      break;
    case ecCut:
      CutToClipboard();
      return true;
    case ecCopy:
      CopyToClipboard();
      return true;
    case ecPaste:
      PasteFromClipboard();
      return true;
    case ecSelectAll:
      FEdit.SelectAll();
      break;
    case ecBlockIndent:
      changed = FEdit.Indent();
      break;
    case ecBlockUnindent:
      changed = FEdit.Unindent();
      break;
    default:
      if (command >= ecSetMarker0 && command < ecSetMarker0 + 10) {
        FEdit.SetBookmark(command - ecSetMarker0);
      } else if (command >= ecGotoMarker0 && command < ecGotoMarker0 + 10) {
        FEdit.GotoBookmark(command - ecGotoMarker0);
      } else {
        return false;
      }
  }
  AfterEdit(changed, c, a);
  return true;
}

// ---------------------------------------------------------------------------------------
// Keyboard

UINT TCustomFlatEdit::DialogCode() {
  UINT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
  if (FWantTabs) code |= DLGC_WANTTAB;
  if (Multiline() && FWantReturns) code |= DLGC_WANTALLKEYS;
  return code;
}

void TCustomFlatEdit::KeyDown(WORD& key, TShiftState shift) {
  TThemedControl::KeyDown(key, shift);
  if (key == 0) return;
  WORD k = key;
  if (!Multiline() && !FCommandCenter.PendingFirstKey()) {
    switch (k) {
      case VK_PRIOR:
        k = VK_HOME;
        break;
      case VK_NEXT:
        k = VK_END;
        break;
      case VK_UP:
        k = VK_LEFT;
        break;
      case VK_DOWN:
        k = VK_RIGHT;
        break;
      default:
        break;
    }
  }
  if (FAlignment == taRightJustify) {
    switch (k) {
      case VK_HOME:
        k = VK_END;
        break;
      case VK_END:
        k = VK_HOME;
        break;
      case VK_LEFT:
        k = VK_RIGHT;
        break;
      case VK_RIGHT:
        k = VK_LEFT;
        break;
      default:
        break;
    }
  }
  // Enter and Tab that the field does not take go on to the dialog.
  if (k == VK_RETURN && !Multiline()) return;
  if (k == VK_TAB && !FWantTabs) return;
  const bool wasPending = FCommandCenter.PendingFirstKey();
  TEditorCommand command = ecNone;
  switch (FCommandCenter.Translate(k, shift, command)) {
    case TKeyCommandList::TMatch::Pending:
      key = 0;
      return;
    case TKeyCommandList::TMatch::Command:
      // The second key of a two-key binding also arrives as text; that text is not typed.
      if (wasPending && ((k >= '0' && k <= '9') || (k >= 'A' && k <= 'Z')))
        FSuppressChar = char16_t(k);
      ExecuteCommand(command);
      key = 0;
      return;
    default:
      return;
  }
}

void TCustomFlatEdit::HandleDeadChar(char16_t& key) {
  if (!FDeadChar) return;
  const char16_t accent = FDeadChar;
  FDeadChar = 0;
  if (key == u' ') {
    key = accent;
    return;
  }
  const char16_t composed = Compose(accent, key);
  if (composed) {
    key = composed;
    return;
  }
  // No composition: the accent stands on its own before the character.
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  if (FEdit.TypeChar(accent)) AfterEdit(true, c, a);
}

void TCustomFlatEdit::KeyPress(char16_t& key) {
  TThemedControl::KeyPress(key);
  if (key && FOnKeyPressEx) FOnKeyPressEx(this, key, KeyShiftState());
  if (key == 0) return;
  if (FSuppressChar) {
    const char16_t s = FSuppressChar;
    FSuppressChar = 0;
    if (key == s || (s >= 'A' && s <= 'Z' && key == s + 32) || key < 32) return;
  }
  // Backspace, Tab, Enter, Escape and Delete went through the key bindings.
  if (key == u'\b' || key == u'\t' || key == u'\r' || key == 27 || key == 127) return;
  HandleDeadChar(key);
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  if (FEdit.TypeChar(key)) AfterEdit(true, c, a);
}

// ---------------------------------------------------------------------------------------
// Mouse

void TCustomFlatEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    if (!Focused() && CanFocus()) {
      FMouseFocusing = true;
      SetFocus();
      FMouseFocusing = false;
    }
    const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
    const TEditPos pos = CaretFromPos(Point(x, y));
    const DWORD now = GetMessageTime();
    const int tolX = std::max(1, GetSystemMetrics(SM_CXDOUBLECLK) / 2);
    const int tolY = std::max(1, GetSystemMetrics(SM_CYDOUBLECLK) / 2);
    if (HasShift(shift, ssDouble)) {
      FEdit.SelectWordAt(pos);
      FDblClickValid = true;
      FLastDblClickTime = now;
      FLastDblClickPt = Point(x, y);
      FDragging = false;
    } else if (FDblClickValid && now - FLastDblClickTime <= GetDoubleClickTime() &&
               std::abs(x - FLastDblClickPt.x) <= tolX && std::abs(y - FLastDblClickPt.y) <= tolY) {
      // The third click of a triple click.
      FEdit.SelectAll();
      FDblClickValid = false;
      FDragging = false;
    } else {
      FDblClickValid = false;
      FEdit.SetCaret(pos, HasShift(shift, ssShift));
      FDragging = true;
    }
    AfterEdit(false, c, a);
  }
  TThemedControl::MouseDown(button, shift, x, y);
}

void TCustomFlatEdit::MouseMove(TShiftState shift, int x, int y) {
  if (FDragging && HasShift(shift, ssLeft)) {
    const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
    FEdit.SetCaret(CaretFromPos(Point(x, y)), true);
    if (!(c == FEdit.Caret())) AfterEdit(false, c, a);
  }
  TThemedControl::MouseMove(shift, x, y);
}

void TCustomFlatEdit::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) FDragging = false;
  TThemedControl::MouseUp(button, shift, x, y);
}

void TCustomFlatEdit::MouseEnter() {
  FMouseOver = true;
  if (!Focused()) DrawFrame();
  TThemedControl::MouseEnter();
}

void TCustomFlatEdit::MouseLeave() {
  FMouseOver = false;
  if (!Focused()) DrawFrame();
  TThemedControl::MouseLeave();
}

// ---------------------------------------------------------------------------------------
// Focus

void TCustomFlatEdit::DoEnter() {
  CreateEditCaret();
  if (FAutoSelect && !FMouseFocusing) {
    const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
    FEdit.SelectAll();
    AfterEdit(false, c, a);
  }
  DrawFrame();
  Invalidate();
  TThemedControl::DoEnter();
}

void TCustomFlatEdit::DoExit() {
  if (FHasCaret) {
    DestroyCaret();
    FHasCaret = false;
  }
  FDragging = false;
  FCommandCenter.CancelPending();
  DrawFrame();
  Invalidate();
  TThemedControl::DoExit();
}

// ---------------------------------------------------------------------------------------
// Context menu

TPopupMenu* TCustomFlatEdit::StandardMenu() {
  if (!FStandardMenu) {
    FStandardMenu = std::make_unique<TPopupMenu>(nullptr);
    for (int i = 0; i < siCount; ++i) {
      auto* item = new TMenuItem(FStandardMenu.get());
      item->SetOnClick(TNotifyEvent([this](TObject* s) { MenuItemClick(s); }, this));
      FStandardMenu->Items()->Add(item);
      FStandardItems.push_back(item);
    }
  }
  return FStandardMenu.get();
}

void TCustomFlatEdit::UpdateStandardMenu() {
  StandardMenu();
  // The program's own texts replace the platform's, which follow the system language.
  const bool german = !FLocalizedSystemMenu && PRIMARYLANGID(GetSystemDefaultLangID()) == 0x07;
  for (int i = 0; i < siCount; ++i)
    FStandardItems[size_t(i)]->SetCaption(StdItemText(i, german));
  const bool selected = FEdit.Selected();
  const bool canCopy = selected && !FPasswordChar;
  FStandardItems[siUndo]->SetEnabled(CanUndo());
  FStandardItems[siCut]->SetEnabled(canCopy && !ReadOnly());
  FStandardItems[siCopy]->SetEnabled(canCopy);
  const std::optional<TUnicodeString> clip = kx::GetClipboardText();
  FStandardItems[siPaste]->SetEnabled(!ReadOnly() && clip && !clip->empty());
  FStandardItems[siDelete]->SetEnabled(selected && !ReadOnly());
  FStandardItems[siSelectAll]->SetEnabled(!FEdit.AllSelected());
}

void TCustomFlatEdit::MenuItemClick(TObject* sender) {
  const auto it = std::find(FStandardItems.begin(), FStandardItems.end(), sender);
  if (it == FStandardItems.end()) return;
  switch (int(it - FStandardItems.begin())) {
    case siUndo:
      Undo();
      break;
    case siCut:
      CutToClipboard();
      break;
    case siCopy:
      CopyToClipboard();
      break;
    case siPaste:
      PasteFromClipboard();
      break;
    case siDelete:
      ClearSelection();
      break;
    case siSelectAll:
      SelectAll();
      break;
    default:
      break;
  }
}

void TCustomFlatEdit::DoContextPopup(TPoint mousePos, bool& handled) {
  TThemedControl::DoContextPopup(mousePos, handled);
  if (handled || PopupMenu() || !FUseSystemMenu) return;
  UpdateStandardMenu();
  const TPoint screen = ClientToScreen(mousePos.x < 0 ? Point(0, 0) : mousePos);
  FStandardMenu->SetPopupComponent(this);
  FStandardMenu->Popup(screen.x, screen.y);
  handled = true;
}

// ---------------------------------------------------------------------------------------
// Frame

bool TCustomFlatEdit::Active() const {
  return Focused() || FMouseOver;
}

TRect TCustomFlatEdit::FrameMargins() const {
  TRect m;
  if (FBorderStyle != bsSingle || Themed()) return m;
  const int edge = GetSystemMetrics(FCtl3D ? SM_CXEDGE : SM_CXBORDER);
  if (HasSide(FBorderSides, ebsLeft)) m.left = edge;
  if (HasSide(FBorderSides, ebsTop)) m.top = edge;
  if (HasSide(FBorderSides, ebsRight)) m.right = edge;
  if (HasSide(FBorderSides, ebsBottom)) m.bottom = edge;
  return m;
}

void TCustomFlatEdit::DrawFrame() {
  if (Themed() || FBorderStyle != bsSingle || !HandleAllocated() || IsDestroying()) return;
  HDC dc = GetWindowDC(Handle());
  if (!dc) return;
  const bool active = Active();
  const TFlatBorderType type =
      FFlat ? (active ? FActiveBorderType : FInactiveBorderType) : fbtSunken;
  const TColor line = active ? FLineBorderActiveColor : FLineBorderInactiveColor;
  DrawFlatFrame(dc, Rect(0, 0, Width(), Height()), line, Color(), active, Enabled(), FBorderSides,
                type, FColors);
  ReleaseDC(Handle(), dc);
}

void TCustomFlatEdit::FrameChanged() {
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ScrollCaretIntoView();
  UpdateCaret();
  DrawFrame();
  Invalidate();
}

void TCustomFlatEdit::SetFrameColor(TColor& field, TColor v) {
  if (field == v) return;
  field = v;
  if (FFlat) DrawFrame();
  if (!FFlat) DrawFrame();
}

void TCustomFlatEdit::SetFlat(bool v) {
  if (v == FFlat) return;
  FFlat = v;
  FrameChanged();
}
void TCustomFlatEdit::SetBorderStyle(TBorderStyle v) {
  if (v == FBorderStyle) return;
  FBorderStyle = v;
  FrameChanged();
  AdjustHeight();
}
void TCustomFlatEdit::SetBorderSides(TBorderSides v) {
  v &= allSides;
  if (v == FBorderSides) return;
  FBorderSides = v;
  FrameChanged();
}
void TCustomFlatEdit::SetActiveBorderType(TFlatBorderType v) {
  if (v == FActiveBorderType) return;
  FActiveBorderType = v;
  if (FFlat && Active()) DrawFrame();
}
void TCustomFlatEdit::SetInactiveBorderType(TFlatBorderType v) {
  if (v == FInactiveBorderType) return;
  FInactiveBorderType = v;
  if (FFlat && !Active()) DrawFrame();
}
void TCustomFlatEdit::SetLineBorderActiveColor(TColor v) {
  if (v == FLineBorderActiveColor) return;
  FLineBorderActiveColor = v;
  if (FFlat) DrawFrame();
}
void TCustomFlatEdit::SetLineBorderInactiveColor(TColor v) {
  if (v == FLineBorderInactiveColor) return;
  FLineBorderInactiveColor = v;
  if (FFlat) DrawFrame();
}
void TCustomFlatEdit::SetCtl3D(bool v) {
  if (v == FCtl3D) return;
  FCtl3D = v;
  FrameChanged();
  AdjustHeight();
}

void TCustomFlatEdit::ThemeChanged() {
  FrameChanged();
}

void TCustomFlatEdit::CreateParams(TCreateParams& params) {
  TThemedControl::CreateParams(params);
  // The frame lives in the field's own non-client margin (WM_NCCALCSIZE), flat or not.
  params.Style &= ~DWORD(WS_BORDER);
  params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
  if (Multiline() && (FScrollBars == ssVertical || FScrollBars == ssBoth) && !FUseCustomScrollBars)
    params.Style |= 0;  // scroll bars are not drawn; the caret scrolls into view instead
}

void TCustomFlatEdit::CreateWnd() {
  TThemedControl::CreateWnd();
  // The margin is asked for at creation; make sure it matches the settings now.
  FrameChanged();
  if (Focused()) CreateEditCaret();
}

// ---------------------------------------------------------------------------------------
// Settings

void TCustomFlatEdit::SetMultiline(bool v) {
  if (v == Multiline()) return;
  FEdit.SetMultiline(v);
  FLeftChar = FTopLine = 0;
  SyncFrameworkText();
  AdjustHeight();
  Invalidate();
}
void TCustomFlatEdit::SetWordWrap(bool v) {
  SetLook(FWordWrap, v);
}
void TCustomFlatEdit::SetReadOnly(bool v) {
  if (v == ReadOnly()) return;
  FEdit.SetReadOnly(v);
  Invalidate();
}
void TCustomFlatEdit::SetCharCase(TEditCharCase v) {
  if (v == CharCase()) return;
  const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
  const bool changed = FEdit.SetCharCase(v);
  if (changed) {
    SyncFrameworkText();
    Invalidate();
  }
  (void)c, (void)a;
}
void TCustomFlatEdit::SetPasswordChar(char16_t v) {
  if (v == FPasswordChar) return;
  FPasswordChar = v;
  ScrollCaretIntoView();
  UpdateCaret();
  Invalidate();
}
void TCustomFlatEdit::SetAlignment(TAlignment v) {
  if (v == FAlignment) return;
  FAlignment = v;
  UpdateCaret();
  Invalidate();
}
void TCustomFlatEdit::SetAutoSize(bool v) {
  if (v == FAutoSizeHeight) return;
  FAutoSizeHeight = v;
  FAutoHeight = 0;
  TThemedControl::SetAutoSize(v);
  AdjustHeight();
}
void TCustomFlatEdit::SetLeftMargin(int v) {
  SetLook(FLeftMargin, std::max(0, v));
}
void TCustomFlatEdit::SetRightMargin(int v) {
  SetLook(FRightMargin, std::max(0, v));
}
void TCustomFlatEdit::SetTopMargin(int v) {
  if (FAlignBottom) v = 0;
  SetLook(FTopMargin, std::max(0, v));
}
void TCustomFlatEdit::SetAlignBottom(bool v) {
  if (v == FAlignBottom) return;
  FAlignBottom = v;
  if (v) SetLook(FTopMargin, 0);
}
void TCustomFlatEdit::SetHideSelection(bool v) {
  SetLook(FHideSelection, v);
}
void TCustomFlatEdit::SetHighlightAlphaLevel(int v) {
  SetLook(FHighlightAlphaLevel, std::clamp(v, 0, 255));
}
void TCustomFlatEdit::SetUseDisabledColors(bool v) {
  SetLook(FUseDisabledColors, v);
}
void TCustomFlatEdit::SetTabSpaces(int v) {
  v = std::max(1, v);
  if (v == FTabSpaces) return;
  FTabSpaces = v;
  FEdit.SetTabSpaces(v);
  UpdateCaret();
  Invalidate();
}
void TCustomFlatEdit::SetCueBanner(const TUnicodeString& v) {
  SetLook(FCueBanner, v);
}
void TCustomFlatEdit::SetTransparent(bool v) {
  SetLook(FTransparent, v);
}

TColor TCustomFlatEdit::EffectiveColor() const {
  if (!Enabled() && FUseDisabledColors) return FDisabledColor;
  return Color();
}

TColor TCustomFlatEdit::EffectiveTextColor() const {
  if (Enabled()) return Font()->Color();
  return FUseDisabledColors ? FDisabledFontColor : clGrayText;
}

void TCustomFlatEdit::AdjustHeight() {
  if (Multiline() || !FAutoSizeHeight || IsLoading() || FCreating) return;
  FMetricsValid = false;
  const TEXTMETRICW& tm = Metrics();
  const int h =
      tm.tmHeight + (FCtl3D ? 4 * GetSystemMetrics(SM_CXEDGE) : 6 * GetSystemMetrics(SM_CXBORDER));
  FAutoHeight = h;
  if (Height() != h) SetBounds(Left(), Top(), Width(), h);
}

void TCustomFlatEdit::SetBounds(int left, int top, int width, int height) {
  if (FAutoSizeHeight && FAutoHeight > 0 && !Multiline()) height = FAutoHeight;
  TThemedControl::SetBounds(left, top, width, height);
}

void TCustomFlatEdit::Loaded() {
  TThemedControl::Loaded();
  if (!Multiline()) FScrollBars = ssNone;
  AdjustHeight();
  FLeftChar = FTopLine = 0;
  ScrollCaretIntoView();
  Invalidate();
}

void TCustomFlatEdit::FontChanged() {
  TThemedControl::FontChanged();
  FMetricsValid = false;
  AdjustHeight();
  if (FHasCaret) {
    DestroyCaret();
    FHasCaret = false;
    CreateEditCaret();
  }
  Invalidate();
}

void TCustomFlatEdit::EnabledChanged() {
  TThemedControl::EnabledChanged();
  DrawFrame();
  Invalidate();
}

void TCustomFlatEdit::ColorChanged() {
  TThemedControl::ColorChanged();
  DrawFrame();
  Invalidate();
}

void TCustomFlatEdit::Resize() {
  TThemedControl::Resize();
  ScrollCaretIntoView();
  UpdateCaret();
  DrawFrame();
}

// ---------------------------------------------------------------------------------------
// Painting

void TCustomFlatEdit::Paint() {
  if (!Themed()) DrawFrame();
  const TRect client = ClientRect();
  const int w = RectWidth(client), h = RectHeight(client);
  if (w <= 0 || h <= 0) return;
  if (FBuffer->Width() != w || FBuffer->Height() != h) FBuffer->SetSize(w, h);
  TCanvas* target = Canvas();
  TCanvas* c = FBuffer->Canvas();
  HDC dc = c->Handle();
  if (FTransparent) {
    BitBlt(dc, 0, 0, w, h, target->Handle(), 0, 0, SRCCOPY);
  } else {
    c->Brush()->SetColor(EffectiveColor());
    c->FillRect(Rect(0, 0, w, h));
  }
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  c->RequireState();
  const TEXTMETRICW& tm = Metrics();
  const UINT oldAlign = SetTextAlign(dc, TA_BASELINE | TA_LEFT);
  SetBkMode(dc, TRANSPARENT);
  const COLORREF textColor = ColorToRGB(EffectiveTextColor());

  const bool showSel = FEdit.Selected() && (Focused() || !FHideSelection);
  const TEditPos selA = FEdit.SelFirst(), selB = FEdit.SelLast();
  const bool focused = Focused();
  const int lastLine =
      std::min(FEdit.Lines().Count() - 1, FTopLine + (Multiline() ? LinesInView() : 0));
  for (int line = FTopLine; line <= lastLine; ++line) {
    const TLineLayout L = LayoutLine(line);
    const int base = BaselineOf(line);
    auto run = [&](int c0, int c1, COLORREF color) {
      if (c1 <= c0) return;
      SetTextColor(dc, color);
      const int s0 = L.shownStart[size_t(c0)], s1 = L.shownStart[size_t(c1)];
      TextOutW(dc, L.X(c0), base, L.shown.data() + s0, s1 - s0);
    };
    int s0 = L.lastCol, s1 = L.lastCol;
    if (showSel && line >= selA.Y && line <= selB.Y) {
      const int len = int(L.cum.size()) - 1;
      s0 = std::clamp(line == selA.Y ? selA.X : 0, L.firstCol, L.lastCol);
      s1 = std::clamp(line == selB.Y ? selB.X : len, L.firstCol, L.lastCol);
    }
    run(L.firstCol, s0, textColor);
    if (s1 > s0) {
      const TColor bk = focused ? FFocusedSelectColor : FHideSelectColor;
      const TColor fg = focused ? FFocusedSelectTextColor : FHideSelectTextColor;
      const TRect sr = Rect(L.X(s0), base - tm.tmAscent, L.X(s1), base + tm.tmDescent);
      if (FHighlightAlphaLevel >= 255) {
        HBRUSH brush = CreateSolidBrush(ColorToRGB(bk));
        FillRect(dc, &sr, brush);
        DeleteObject(brush);
        run(s0, s1, ColorToRGB(fg));
      } else {
        run(s0, s1, textColor);
        BlendRect(FBuffer.get(), sr, bk, FHighlightAlphaLevel);
      }
    }
    run(s1, L.lastCol, textColor);
  }
  if (!focused && FEdit.TextLength() == 0 && !FCueBanner.empty()) {
    SetTextColor(dc, ColorToRGB(FDisabledFontColor));
    const TRect e = EditRect();
    TextOutW(dc, e.left + FLeftMargin, BaselineOf(0), FCueBanner.data(), int(FCueBanner.size()));
  }
  SetTextAlign(dc, oldAlign);
  BitBlt(target->Handle(), 0, 0, w, h, dc, 0, 0, SRCCOPY);
}

// ---------------------------------------------------------------------------------------
// Messages: the non-client margin and the standard edit-control requests.

void TCustomFlatEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCCALCSIZE: {
      auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
      if (p) {
        const TRect margin = FrameMargins();
        RECT& r = p->rgrc[0];
        r.left += margin.left, r.top += margin.top;
        r.right -= margin.right, r.bottom -= margin.bottom;
        // Never a negative client size.
        r.right = std::max(r.right, r.left);
        r.bottom = std::max(r.bottom, r.top);
      }
      m.Result = 0;
      return;
    }
    case WM_NCPAINT:
      DrawFrame();
      m.Result = 0;
      return;
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char16_t*>(m.LParam);
      const size_t size = size_t(m.WParam);
      // A masked field hands out nothing; a zero-sized buffer takes nothing.
      if (FPasswordChar || size == 0 || !buffer) {
        if (buffer && size) buffer[0] = 0;
        m.Result = 0;
        return;
      }
      const TUnicodeString text = Text();
      const size_t n = std::min(text.size(), size - 1);
      std::copy_n(text.data(), n, buffer);
      buffer[n] = 0;
      m.Result = LRESULT(n);
      return;
    }
    case WM_GETTEXTLENGTH:
      m.Result = FEdit.TextLength();
      return;
    case WM_SETTEXT:
      if (!FSyncingText) {
        const auto* text = reinterpret_cast<const char16_t*>(m.LParam);
        SetText(text ? TUnicodeString(text) : TUnicodeString());
      }
      m.Result = TRUE;
      return;
    case EM_GETSEL: {
      const DWORD start = DWORD(FEdit.SelStart()), end = DWORD(start + FEdit.SelLength());
      if (m.WParam) *reinterpret_cast<DWORD*>(m.WParam) = start;
      if (m.LParam) *reinterpret_cast<DWORD*>(m.LParam) = end;
      m.Result = LRESULT(
          MAKELPARAM(int(std::min<DWORD>(start, 0xFFFF)), int(std::min<DWORD>(end, 0xFFFF))));
      return;
    }
    case EM_SETSEL: {
      const TEditPos c = FEdit.Caret(), a = FEdit.Anchor();
      const int start = int(intptr_t(m.WParam)), end = int(m.LParam);
      if (start < 0) {
        FEdit.SetCaret(FEdit.Caret());
      } else {
        const int len = FEdit.TextLength();
        const int e = end < 0 ? len : std::min(end, len);
        FEdit.SetSelOffsets(std::min(start, len), e);
      }
      AfterEdit(false, c, a);
      m.Result = 0;
      return;
    }
    case EM_REPLACESEL: {
      const auto* text = reinterpret_cast<const char16_t*>(m.LParam);
      SetSelText(text ? TUnicodeString(text) : TUnicodeString());
      m.Result = 0;
      return;
    }
    case WM_UNDO:
    case kEmUndo: {
      const bool could = CanUndo();
      Undo();
      m.Result = could;
      return;
    }
    case EM_CANUNDO:
      m.Result = CanUndo();
      return;
    case EM_EMPTYUNDOBUFFER:
      ClearUndo();
      return;
    case EM_SETREADONLY:
      SetReadOnly(m.WParam != 0);
      m.Result = TRUE;
      return;
    case WM_CUT:
      CutToClipboard();
      return;
    case WM_COPY:
      CopyToClipboard();
      return;
    case WM_PASTE:
      PasteFromClipboard();
      return;
    case WM_CLEAR:
      ClearSelection();
      return;
    case EM_GETLINECOUNT:
      m.Result = LineCount();
      return;
    case EM_LINELENGTH: {
      const int index = int(intptr_t(m.WParam));
      const TEditPos p = index < 0 ? FEdit.Caret() : FEdit.OffsetToPos(index);
      m.Result = LRESULT(FEdit.Lines().Strings(p.Y).size());
      return;
    }
    case WM_DEADCHAR:
      FDeadChar = char16_t(m.WParam);
      return;
    case WM_MOUSEWHEEL:
      if (Multiline()) {
        const int delta = int(SHORT(HIWORD(m.WParam)));
        FTopLine = std::clamp(FTopLine - 3 * delta / WHEEL_DELTA, 0,
                              std::max(0, FEdit.Lines().Count() - LinesInView()));
        UpdateCaret();
        Invalidate();
        return;
      }
      break;
    default:
      break;
  }
  TThemedControl::WndProc(m);
}
