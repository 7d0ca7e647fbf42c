// An HTML document: the flat item list with its default style, the link runs and input
// items in document order, the radio groups, and the size of the laid-out text.
#pragma once

#include <memory>
#include <vector>

#include "htmltext/HTMLItem.h"

class THTMLRender;
class THTMLInputItem;

class THTMLData {
 public:
  THTMLData();
  ~THTMLData();
  THTMLData(const THTMLData&) = delete;
  THTMLData& operator=(const THTMLData&) = delete;

  // Clears the active item, destroys every item and empties the item, control and radio
  // lists.
  void ClearArray();
  // The number of break items (lines).
  int LineCount() const;
  // Simplified markup of the document.
  TUnicodeString GenerateHTML() const;

  int ItemCount() const { return int(FArray.size()); }
  THTMLItem* Items(int index) const { return FArray[size_t(index)].get(); }
  // The item after `item` in the list, or none.
  THTMLItem* ItemAfter(const THTMLItem* item) const;

  // List operations; the list owns its items and keeps their positions.
  void Append(std::unique_ptr<THTMLItem> item);
  void InsertFront(std::unique_ptr<THTMLItem> item);
  std::unique_ptr<THTMLItem> RemoveLast();
  // Drops `item` from FControlsArray when it is listed there.
  void RemoveFromControls(const THTMLItem* item);
  // The 1-based number of a radio group, registering the name on first use.
  int RadioGroup(const TUnicodeString& name);

  const std::vector<THTMLItem*>& ControlsArray() const { return FControlsArray; }
  const std::vector<TUnicodeString>& RadioList() const { return FRadioList; }
  THTMLRender* Render() const { return FRender; }

  TSize TextSize() const { return FTextSize; }
  TColor LinkColor() const { return FLinkColor; }
  void SetLinkColor(TColor v) { FLinkColor = v; }
  TColor DefaultBgColor() const { return FDefaultBgColor; }
  void SetDefaultBgColor(TColor v) { FDefaultBgColor = v; }
  TColor DefaultColor() const { return FDefaultColor; }
  void SetDefaultColor(TColor v) { FDefaultColor = v; }
  TFontStyles LinkStyle() const { return FLinkStyle; }
  void SetLinkStyle(TFontStyles v) { FLinkStyle = v; }
  int LineSpacing() const { return FLineSpacing; }
  void SetLineSpacing(int v) { FLineSpacing = v; }
  int LineGap() const { return FLineGap; }
  void SetLineGap(int v) { FLineGap = v; }
  TFontStyles DefaultStyle() const { return FDefaultStyle; }
  void SetDefaultStyle(TFontStyles v) { FDefaultStyle = v; }
  int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int v) { FDefaultHeight = v; }
  const TUnicodeString& DefaultFont() const { return FDefaultFont; }
  void SetDefaultFont(const TUnicodeString& v) { FDefaultFont = v; }
  BYTE Charset() const { return FCharset; }
  void SetCharset(BYTE v) { FCharset = v; }
  int MaxWidth() const { return FMaxWidth; }
  void SetMaxWidth(int v) { FMaxWidth = v; }
  TColor HighlightBgColor() const { return FHighlightBgColor; }
  void SetHighlightBgColor(TColor v) { FHighlightBgColor = v; }
  TColor HighlightColor() const { return FHighlightColor; }
  void SetHighlightColor(TColor v) { FHighlightColor = v; }
  THTMLItem* SelectedItem() const { return FSelectedItem; }
  // A control item's windowed control receives the input focus.
  void SetSelectedItem(THTMLItem* item);
  TRect Rect() const { return FRect; }
  void SetRect(const TRect& r) { FRect = r; }
  THTMLInputItem* ActiveItem() const { return FActiveItem; }
  // A different item is stored and the engine's OnChange raised.
  void SetActiveItem(THTMLInputItem* item);

  std::vector<std::unique_ptr<THTMLItem>> FArray;
  std::vector<THTMLItem*> FControlsArray;
  std::vector<TUnicodeString> FRadioList;
  THTMLRender* FRender = nullptr;
  TColor FLinkColor = clBlue;
  TColor FDefaultColor = clWindowText;
  TFontStyles FLinkStyle{fsUnderline};
  TFontStyles FDefaultStyle;
  int32_t FDefaultHeight = -11;
  BYTE FCharset = 0;
  TUnicodeString FDefaultFont = u"MS Sans Serif";
  int32_t FLineSpacing = 0;
  int32_t FLineGap = 0;
  int32_t FMaxWidth = 0;
  TColor FDefaultBgColor = clNone;
  TColor FHighlightBgColor = 0;
  TColor FHighlightColor = 0;
  THTMLItem* FSelectedItem = nullptr;
  TRect FRect;
  TSize FTextSize;
  THTMLInputItem* FActiveItem = nullptr;
};
