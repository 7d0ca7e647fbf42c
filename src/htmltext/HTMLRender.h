// The HTML text engine: holds the current document and a measuring device context,
// parses captions of the HTML dialect into documents, lays them out, draws them, hit-tests
// them and answers mouse and keyboard input for their links and input items.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "framework/Classes.h"
#include "framework/Types.h"
#include "htmltext/HTMLControlItem.h"
#include "htmltext/HTMLData.h"
#include "htmltext/HTMLInputItem.h"
#include "htmltext/HTMLItem.h"
#include "htmltext/HTMLMessageHook.h"

class TBitmap;
class TCanvas;
class TControl;
class TPicture;

using THTMLImageNeededEvent = TEvent<TObject*, const TUnicodeString&, TPicture*>;
using THTMLBitmapNeededEvent = TEvent<TObject*, const TUnicodeString&, TBitmap*&>;
using THTMLInputItemChangedEvent = TEvent<TObject*, THTMLInputItem*>;
using THTMLVariableNeededEvent = TEvent<TObject*, const TUnicodeString&, TUnicodeString&>;

class THTMLRender : public TObject {
 public:
  THTMLRender();
  ~THTMLRender() override;
  THTMLRender(const THTMLRender&) = delete;
  THTMLRender& operator=(const THTMLRender&) = delete;

  // --- documents
  // The current document; none only after DestroyData of the current one.
  THTMLData* Data() const { return FData; }
  // None makes the internal document current again.
  void SetData(THTMLData* data);
  // A new document measured by this engine; it does not become current.
  THTMLData* CreateData();
  void DestroyData(THTMLData* data);

  // Matches measuring to another device (a non-zero DC).
  void SetDC(HDC dc);

  // --- parsing (never raises; after an internal error the document is empty)
  void PrepareText(const TUnicodeString& text, int maxWidth, bool autoWrap);
  void PrepareToData(const TUnicodeString& text, int maxWidth, bool autoWrap, THTMLData*& curData);

  // --- drawing
  void DrawText(TCanvas* canvas, TPoint srcPoint, TRect r, TColor adjustFromColor);
  void DrawTextEx(TCanvas* canvas, TPoint srcPoint, TRect r, bool useOverColors, TColor color,
                  TColor bkColor, TColor selColor, TColor selBkColor, TColor adjustFromColor);

  // --- interaction
  THTMLItem* ItemAt(TPoint point, TPoint srcPoint, TRect r);
  bool IsCursorOverLink(TPoint point, TPoint srcPoint, TRect r, TUnicodeString& href);
  void SelectLinkAt(TPoint point, TPoint srcPoint, TRect r);
  void SelectNextLink();
  void SelectPrevLink();
  void SelectNextSuitableItem();
  void SelectPrevSuitableItem();
  THTMLInputItem* FindInputItemByName(const TUnicodeString& name, THTMLItem* findFrom);
  void MouseMoveTransfer(TShiftState shift, int x, int y, TRect r);
  void ClickTransfer(int x, int y, TRect r);
  void KeyDownTransfer(WORD& key, TShiftState shift);
  TUnicodeString AsText() const;

  // --- requests to the host
  virtual void ImageNeeded(const TUnicodeString& name, TPicture* picture);
  virtual void ImageNeededBitmap(const TUnicodeString& name, TBitmap*& bitmap);
  void VariableNeeded(const TUnicodeString& name, TUnicodeString& value);
  void Change();

  // --- properties
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool v) { FDoubleBuffered = v; }
  bool LinkSelect() const { return FLinkSelect; }
  void SetLinkSelect(bool v) { FLinkSelect = v; }
  // The host control, whose messages the engine hooks.
  TControl* Control() const { return FControl; }
  void SetControl(TControl* control);
  const THTMLBitmapNeededEvent& OnImageNeeded() const { return FOnImageNeeded; }
  void SetOnImageNeeded(THTMLBitmapNeededEvent e) { FOnImageNeeded = std::move(e); }
  const THTMLImageNeededEvent& OnImageNeededEx() const { return FOnImageNeededEx; }
  void SetOnImageNeededEx(THTMLImageNeededEvent e) { FOnImageNeededEx = std::move(e); }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent e) { FOnChange = std::move(e); }
  const THTMLInputItemChangedEvent& OnInputItemChecked() const { return FOnInputItemChecked; }
  void SetOnInputItemChecked(THTMLInputItemChangedEvent e) { FOnInputItemChecked = std::move(e); }
  const THTMLInputItemChangedEvent& OnInputItemTextChanged() const {
    return FOnInputItemTextChanged;
  }
  void SetOnInputItemTextChanged(THTMLInputItemChangedEvent e) {
    FOnInputItemTextChanged = std::move(e);
  }
  const THTMLVariableNeededEvent& OnVariableNeeded() const { return FOnVariableNeeded; }
  void SetOnVariableNeeded(THTMLVariableNeededEvent e) { FOnVariableNeeded = std::move(e); }

  // The measuring canvas and its bitmap (also the double buffer).
  TCanvas* Canvas() const { return FCanvas.get(); }
  TBitmap* Bitmap() const { return FBitmap.get(); }
  int CurListItem() const { return FCurListItem; }

  void SetCurListItem(int v) { FCurListItem = v; }

  // --- measuring, for the items and the parser
  // One font of the engine's cache, with its metrics and character advances.
  struct FontEntry {
    HFONT font = nullptr;
    TEXTMETRICW tm{};
    int ascii[128];
    std::unordered_map<char16_t, int> other;
  };
  FontEntry* Font(const TUnicodeString& face, int height, TFontStyles style, BYTE charset);
  // Changes whenever the cache is started afresh (entries from before are gone).
  unsigned FontGeneration() const { return FFontGeneration; }
  // Selects the font on the measuring context; returns its metrics.
  const TEXTMETRICW& SelectMeasureFont(FontEntry* font);
  const TEXTMETRICW& SelectMeasureFont(const TUnicodeString& face, int height, TFontStyles style,
                                       BYTE charset) {
    return SelectMeasureFont(Font(face, height, style, charset));
  }
  // The advance width of text in `font`.
  int MeasureText(FontEntry* font, const char16_t* text, size_t count);
  // The advance of one character in `font` (cached).
  int CharAdvance(FontEntry* font, char16_t c);

 private:
  struct FontKey {
    TUnicodeString face;
    int height;
    uint8_t style;
    uint8_t charset;
    bool operator==(const FontKey&) const = default;
  };
  struct FontKeyHash {
    size_t operator()(const FontKey& k) const;
  };
  void HookMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void Layout(THTMLData* data);

  bool FLinkSelect = false;
  std::unique_ptr<THTMLMessageHook> FHook;
  THTMLImageNeededEvent FOnImageNeededEx;
  THTMLBitmapNeededEvent FOnImageNeeded;
  int32_t FCurListItem = 0;
  std::unique_ptr<THTMLData> FIntData;
  THTMLData* FData = nullptr;
  std::unique_ptr<TCanvas> FCanvas;
  std::unique_ptr<TBitmap> FBitmap;
  HDC FMemDC = nullptr;
  HBITMAP FMeasureBitmap = nullptr;
  HGDIOBJ FSaveObj = nullptr;
  TNotifyEvent FOnChange;
  THTMLInputItemChangedEvent FOnInputItemChecked;
  THTMLInputItemChangedEvent FOnInputItemTextChanged;
  THTMLVariableNeededEvent FOnVariableNeeded;
  bool FDoubleBuffered = true;
  TControl* FControl = nullptr;

  std::unordered_map<FontKey, std::unique_ptr<FontEntry>, FontKeyHash> FFonts;
  FontEntry* FMeasureFont = nullptr;  // selected on the measuring context
  unsigned FFontGeneration = 0;
};
