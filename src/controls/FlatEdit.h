// The flat text field: a self-drawn text editor with its own caret, selection, undo,
// clipboard, key bindings and context menu, single-line or multi-line, in a configurable
// flat frame drawn in its non-client margin.
#pragma once

#include <memory>
#include <vector>

#include "controls/EditModel.h"
#include "controls/FlatFrame.h"
#include "controls/KeyCommandList.h"
#include "controls/ThemedControl.h"

class TPopupMenu;
class TMenuItem;

enum TScrollStyle : uint8_t { ssNone = 0, ssHorizontal = 1, ssVertical = 2, ssBoth = 3 };

// OnPasteClipboardText(Sender, Text, Allow): the text about to be pasted; clearing Allow
// cancels the paste, changing Text pastes something else.
using TPasteClipboardTextEvent = TEvent<TObject*, TUnicodeString&, bool&>;
// OnKeyPressEx(Sender, Key, Shift): a typed character with the modifiers held; a Key of 0
// drops it.
using TKeyPressExEvent = TEvent<TObject*, char16_t&, TShiftState>;

class TCustomFlatEdit : public TThemedControl {
  KX_DECLARE_CLASS(TCustomFlatEdit)

 public:
  explicit TCustomFlatEdit(TComponent* owner);
  ~TCustomFlatEdit() override;

  // --- text
  // All lines joined with CR LF; a single line exactly as typed.
  TUnicodeString Text() const { return FEdit.Text(); }
  // Replaces the whole text when it differs: case-converted, undo and redo cleared,
  // OnChange unless NotifyUserChangeOnly.
  void SetText(const TUnicodeString& v);
  const TEditStrings& Lines() const { return FEdit.Lines(); }
  int LineCount() const { return FEdit.Lines().Count(); }
  bool Modified() const { return FModified; }
  void SetModified(bool v) { FModified = v; }

  // --- selection and caret
  int SelStart() const { return FEdit.SelStart(); }
  void SetSelStart(int v);
  int SelLength() const { return FEdit.SelLength(); }
  void SetSelLength(int v);
  TUnicodeString SelText() const { return FEdit.SelText(); }
  void SetSelText(const TUnicodeString& v);
  void SelectAll();
  void ClearSelection();
  int CaretX() const { return FEdit.Caret().X; }
  int CaretY() const { return FEdit.Caret().Y; }
  void SetCaretPos(int x, int y);
  // Client position of a text position's top-left, and the text position nearest a
  // client point.
  virtual TPoint PosFromCaret(int x, int y);
  virtual TEditPos CaretFromPos(TPoint p);
  const TEditModel& Model() const { return FEdit; }

  // --- editing
  virtual void CutToClipboard();
  virtual void CopyToClipboard();
  virtual void PasteFromClipboard();
  void Undo();
  void Redo();
  bool CanUndo() const { return FEdit.CanUndo() && !FEdit.ReadOnly(); }
  bool CanRedo() const { return FEdit.CanRedo() && !FEdit.ReadOnly(); }
  void ClearUndo() { FEdit.ClearUndo(); }
  // Runs one command of the binding table; returns whether it did anything.
  virtual bool ExecuteCommand(TEditorCommand command);
  TKeyCommandList* CommandCenter() { return &FCommandCenter; }

  // Single line with AutoSize: height = text height + 4 edges (Ctl3D) or 6 borders.
  virtual void AdjustHeight();

  // --- frame
  bool Flat() const { return FFlat; }
  void SetFlat(bool v);
  TBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle v);
  TBorderSides BorderSides() const { return FBorderSides; }
  void SetBorderSides(TBorderSides v);
  TFlatBorderType ActiveBorderType() const { return FActiveBorderType; }
  void SetActiveBorderType(TFlatBorderType v);
  TFlatBorderType InactiveBorderType() const { return FInactiveBorderType; }
  void SetInactiveBorderType(TFlatBorderType v);
  TColor BorderColorDkShadow() const { return FColors.DkShadow; }
  void SetBorderColorDkShadow(TColor v) { SetFrameColor(FColors.DkShadow, v); }
  TColor BorderColorFace() const { return FColors.Face; }
  void SetBorderColorFace(TColor v) { SetFrameColor(FColors.Face, v); }
  TColor BorderColorShadow() const { return FColors.Shadow; }
  void SetBorderColorShadow(TColor v) { SetFrameColor(FColors.Shadow, v); }
  TColor BorderColorHighlight() const { return FColors.Highlight; }
  void SetBorderColorHighlight(TColor v) { SetFrameColor(FColors.Highlight, v); }
  TColor BorderColorWindow() const { return FColors.Window; }
  void SetBorderColorWindow(TColor v) { SetFrameColor(FColors.Window, v); }
  TColor LineBorderActiveColor() const { return FLineBorderActiveColor; }
  void SetLineBorderActiveColor(TColor v);
  TColor LineBorderInactiveColor() const { return FLineBorderInactiveColor; }
  void SetLineBorderInactiveColor(TColor v);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool v);
  // Focused or hot: the frame's active state.
  bool Active() const;
  bool MouseOver() const { return FMouseOver; }
  // The frame's width on each side (the non-client margin).
  TRect FrameMargins() const;

  // --- behaviour and look
  bool Multiline() const { return FEdit.Multiline(); }
  void SetMultiline(bool v);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool v);
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool v) { FWantTabs = v; }
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool v) { FWantReturns = v; }
  bool ReadOnly() const { return FEdit.ReadOnly(); }
  void SetReadOnly(bool v);
  int MaxLength() const { return FEdit.MaxLength(); }
  void SetMaxLength(int v) { FEdit.SetMaxLength(v); }
  TEditCharCase CharCase() const { return FEdit.CharCase(); }
  void SetCharCase(TEditCharCase v);
  char16_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char16_t v);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment v);
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool v) { FAutoSelect = v; }
  bool AutoSize() const { return FAutoSizeHeight; }
  void SetAutoSize(bool v) override;
  int LeftMargin() const { return FLeftMargin; }
  void SetLeftMargin(int v);
  int RightMargin() const { return FRightMargin; }
  void SetRightMargin(int v);
  int TopMargin() const { return FTopMargin; }
  void SetTopMargin(int v);
  bool AlignBottom() const { return FAlignBottom; }
  void SetAlignBottom(bool v);
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool v);
  TColor FocusedSelectColor() const { return FFocusedSelectColor; }
  void SetFocusedSelectColor(TColor v) { SetLook(FFocusedSelectColor, v); }
  TColor FocusedSelectTextColor() const { return FFocusedSelectTextColor; }
  void SetFocusedSelectTextColor(TColor v) { SetLook(FFocusedSelectTextColor, v); }
  TColor HideSelectColor() const { return FHideSelectColor; }
  void SetHideSelectColor(TColor v) { SetLook(FHideSelectColor, v); }
  TColor HideSelectTextColor() const { return FHideSelectTextColor; }
  void SetHideSelectTextColor(TColor v) { SetLook(FHideSelectTextColor, v); }
  int HighlightAlphaLevel() const { return FHighlightAlphaLevel; }
  void SetHighlightAlphaLevel(int v);
  bool UseDisabledColors() const { return FUseDisabledColors; }
  void SetUseDisabledColors(bool v);
  TColor DisabledColor() const { return FDisabledColor; }
  void SetDisabledColor(TColor v) { SetLook(FDisabledColor, v); }
  TColor DisabledFontColor() const { return FDisabledFontColor; }
  void SetDisabledFontColor(TColor v) { SetLook(FDisabledFontColor, v); }
  int TabSpaces() const { return FTabSpaces; }
  void SetTabSpaces(int v);
  const TUnicodeString& CueBanner() const { return FCueBanner; }
  void SetCueBanner(const TUnicodeString& v);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v);
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle v) { FScrollBars = v; }
  bool UseCustomScrollBars() const { return FUseCustomScrollBars; }
  void SetUseCustomScrollBars(bool v) { FUseCustomScrollBars = v; }
  bool UseSystemMenu() const { return FUseSystemMenu; }
  void SetUseSystemMenu(bool v) { FUseSystemMenu = v; }
  bool LocalizedSystemMenu() const { return FLocalizedSystemMenu; }
  void SetLocalizedSystemMenu(bool v) { FLocalizedSystemMenu = v; }
  bool NotifyUserChangeOnly() const { return FNotifyUserChangeOnly; }
  void SetNotifyUserChangeOnly(bool v) { FNotifyUserChangeOnly = v; }

  // The effective colours of the background and of the text now.
  TColor EffectiveColor() const;
  TColor EffectiveTextColor() const;
  int LineHeight() const;
  int LinesInView() const;
  int LeftChar() const { return FLeftChar; }
  int TopLine() const { return FTopLine; }
  TRect EditRect() const;

  // The standard edit menu (created on first use; owned by the field).
  TPopupMenu* StandardMenu();
  // Enables and captions the standard menu's items for the current state.
  void UpdateStandardMenu();

  // --- events
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = std::move(e); }
  const TNotifyEvent& OnSelectionChange() const { return FOnSelectionChange; }
  void SetOnSelectionChange(TNotifyEvent e) { FOnSelectionChange = std::move(e); }
  const TKeyPressExEvent& OnKeyPressEx() const { return FOnKeyPressEx; }
  void SetOnKeyPressEx(TKeyPressExEvent e) { FOnKeyPressEx = std::move(e); }
  const TPasteClipboardTextEvent& OnPasteClipboardText() const { return FOnPasteClipboardText; }
  void SetOnPasteClipboardText(TPasteClipboardTextEvent e) { FOnPasteClipboardText = std::move(e); }

  void Loaded() override;
  void SetBounds(int left, int top, int width, int height) override;
  void WndProc(TMessage& message) override;
  // Draws the frame on the window's non-client margin now.
  void DrawFrame();

 protected:
  void Paint() override;
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void DoEnter() override;
  void DoExit() override;
  void DoContextPopup(TPoint mousePos, bool& handled) override;
  void FontChanged() override;
  void EnabledChanged() override;
  void ColorChanged() override;
  void TextChanged() override;
  void Resize() override;
  UINT DialogCode() override;
  void ThemeChanged() override;

  // After a user change of the text: Modified, caret into view, repaint, OnChange.
  virtual void Change();
  virtual void SelectionChange();

 private:
  struct TLineLayout {
    int x0 = 0;                   // client x of column firstCol
    int firstCol = 0;             // first column drawn
    int lastCol = 0;              // one past the last column drawn
    std::vector<int> cum;         // cum[c]: width of columns 0 .. c-1
    TUnicodeString shown;         // the line as drawn (tabs expanded, masked)
    std::vector<int> shownStart;  // shownStart[c]: index in shown of column c
    int X(int col) const { return x0 + cum[size_t(col)] - cum[size_t(firstCol)]; }
  };
  TLineLayout LayoutLine(int line);
  int BaselineOf(int line) const;
  void PrepareMeasure();
  const TEXTMETRICW& Metrics();
  void ScrollCaretIntoView();
  void UpdateCaret();
  void CreateEditCaret();
  void FrameChanged();
  void SetFrameColor(TColor& field, TColor v);
  template <class V>
  void SetLook(V& field, V v) {
    if (field == v) return;
    field = v;
    Invalidate();
  }
  void AfterEdit(bool changed, TEditPos oldCaret, TEditPos oldAnchor);
  void SyncFrameworkText();
  void HandleDeadChar(char16_t& key);
  void MenuItemClick(TObject* sender);

  TEditModel FEdit;
  TKeyCommandList FCommandCenter;
  bool FModified = false;
  int FLeftMargin = 1, FTopMargin = 0, FRightMargin = 1;
  TBorderStyle FBorderStyle = bsSingle;
  bool FAutoSelect = false;
  TAlignment FAlignment = taLeftJustify;
  bool FWantTabs = false;
  bool FWantReturns = false;
  char16_t FPasswordChar = 0;
  bool FTransparent = false;
  int FTabSpaces = 4;
  bool FHasCaret = false;
  TUnicodeString FCueBanner;
  int FLeftChar = 0;
  int FTopLine = 0;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnSelectionChange;
  TKeyPressExEvent FOnKeyPressEx;
  TPasteClipboardTextEvent FOnPasteClipboardText;
  TBorderSides FBorderSides = allSides;
  TFlatBorderType FActiveBorderType = fbtSunken;
  bool FFlat = false;
  TFlatBorderType FInactiveBorderType = fbtSunkenOuter;
  bool FMouseOver = false;
  TScrollStyle FScrollBars = ssNone;
  bool FUseCustomScrollBars = true;
  bool FAutoSizeHeight = true;
  int FAutoHeight = 0;  // the height AutoSize keeps, once computed
  TColor FLineBorderActiveColor = clBtnFace;
  TColor FLineBorderInactiveColor = clBtnFace;
  bool FWordWrap = false;
  bool FHideSelection = true;
  TColor FFocusedSelectColor = clHighlight;
  TColor FFocusedSelectTextColor = clHighlightText;
  TColor FHideSelectColor = clBtnFace;
  TColor FHideSelectTextColor = clBtnShadow;
  int FHighlightAlphaLevel = 255;
  bool FUseDisabledColors = true;
  TColor FDisabledColor = clBtnFace;
  TColor FDisabledFontColor = clGrayText;
  TFlatFrameColors FColors;
  bool FCtl3D = true;
  bool FAlignBottom = true;
  bool FUseSystemMenu = true;
  bool FLocalizedSystemMenu = false;
  bool FNotifyUserChangeOnly = true;

  // Input state
  bool FDragging = false;
  bool FMouseFocusing = false;  // the focus arrives from a click
  DWORD FLastDblClickTime = 0;
  bool FDblClickValid = false;
  TPoint FLastDblClickPt{};
  char16_t FDeadChar = 0;
  char16_t FSuppressChar = 0;  // the text input of a key that completed a binding
  bool FSyncingText = false;

  std::unique_ptr<TBitmap> FMeasure;  // 1 x 1, for measuring outside a paint
  std::unique_ptr<TBitmap> FBuffer;   // the off-screen client image
  TEXTMETRICW FMetrics{};
  bool FMetricsValid = false;
  std::unique_ptr<TPopupMenu> FStandardMenu;
  std::vector<TMenuItem*> FStandardItems;
};

class TFlatEdit : public TCustomFlatEdit {
  KX_DECLARE_CLASS(TFlatEdit)

 public:
  explicit TFlatEdit(TComponent* owner) : TCustomFlatEdit(owner) {}
};
