// The HTML label: a windowless label that shows its caption either as markup of the HTML
// dialect, through its own HTML engine, or as plain text.
#pragma once

#include <memory>

#include "controls/HTMLContainer.h"
#include "controls/ThemedLabel.h"
#include "htmltext/HTMLRender.h"

class TPopupMenu;

using THTMLLinkClickEvent = TEvent<TObject*, const TUnicodeString&>;

// Centres an inner size (w x h) in an outer size (W x H); an inner size larger than the
// outer one is placed at 0 and cut to it. Each size is halved on its own, toward zero.
TRect CenterRect(int w, int W, int h, int H);

class THTMLLabel : public TCustomThemedLabel {
  KX_DECLARE_CLASS(THTMLLabel)

 public:
  explicit THTMLLabel(TComponent* owner);
  ~THTMLLabel() override;

  bool IsHTML() const { return FIsHTML; }
  void SetIsHTML(bool v);
  TColor LinkColor() const { return FLinkColor; }
  void SetLinkColor(TColor v);
  TFontStyles LinkStyle() const { return FLinkStyle; }
  void SetLinkStyle(TFontStyles v);
  // The menu for links; not owned.
  TPopupMenu* LinkPopupMenu() const { return FLinkPopupMenu; }
  void SetLinkPopupMenu(TPopupMenu* v);
  // The declared cursor; over a link in HTML mode the hand shows instead.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor v) override;
  // The cursor the framework shows now.
  TCursor EffectiveCursor() const { return TControl::Cursor(); }

  // The optional source of captions; not owned.
  THTMLContainer* Container() const { return FContainer; }
  void SetContainer(THTMLContainer* v);
  int ContainerIndex() const { return FIndex; }
  void SetContainerIndex(int v);
  bool CheckContainerLinks() const { return FCheck; }
  void SetCheckContainerLinks(bool v) { FCheck = v; }

  void SetWordWrap(bool v) override;
  void SetAutoSize(bool v) override;
  void SetBounds(int left, int top, int width, int height) override;

  // The extent of the caption: the document's size in HTML mode, the measured text in
  // plain mode.
  TRect TextRect();
  // The caption without markup.
  TUnicodeString PlainText() const;
  // The caption shown: the container item's, or Caption.
  TUnicodeString DisplayText() const;

  // Copies the font and link settings into the engine, parses and lays out the caption,
  // fits the bounds, repaints. Does nothing while loading.
  void UpdateDocument();

  THTMLRender* Render() const { return FRender.get(); }

  // Where the document is drawn (and hit-tested) in client coordinates.
  TRect DocumentRect() const;

  const THTMLLinkClickEvent& OnLinkClick() const { return FOnLinkClick; }
  void SetOnLinkClick(THTMLLinkClickEvent e) { FOnLinkClick = std::move(e); }
  const THTMLBitmapNeededEvent& OnImageNeeded() const { return FOnImageNeeded; }
  void SetOnImageNeeded(THTMLBitmapNeededEvent e) { FOnImageNeeded = std::move(e); }
  const THTMLImageNeededEvent& OnImageNeededEx() const { return FOnImageNeededEx; }
  void SetOnImageNeededEx(THTMLImageNeededEvent e) { FOnImageNeededEx = std::move(e); }
  const THTMLVariableNeededEvent& OnVariableNeeded() const { return FOnVariableNeeded; }
  void SetOnVariableNeeded(THTMLVariableNeededEvent e) { FOnVariableNeeded = std::move(e); }

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  virtual void LinkClicked(const TUnicodeString& href);

  void Paint() override;
  void Click() override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseLeave() override;
  void WndProc(TMessage& message) override;
  void TextChanged() override;
  void FontChanged() override;
  void EnabledChanged() override;
  // Auto size: to the document in HTML mode, to the measured caption in plain mode.
  void AdjustBounds() override;
  // The plain text primitive (measure with DT_CALCRECT, or draw).
  void DoDrawText(TRect& rect, UINT flags) override;
  TUnicodeString GetLabelText() const override { return DisplayText(); }

 private:
  void PaintHTML();
  void PaintPlain();
  bool LinkAt(TPoint client, TUnicodeString& href) const;
  TPoint CursorClientPos() const;
  void PopupLinkMenu(TPoint screen);
  bool ShowsContainerItem() const;

  bool FAlreadyInSetBounds = false;
  THTMLContainer* FContainer = nullptr;
  int FIndex = 0;
  std::unique_ptr<THTMLChangeLink> FChangeLink;
  bool FCheck = true;
  TCursor FCursor = crDefault;
  std::unique_ptr<THTMLRender> FRender;
  bool FIsHTML = true;
  THTMLLinkClickEvent FOnLinkClick;
  THTMLBitmapNeededEvent FOnImageNeeded;
  THTMLImageNeededEvent FOnImageNeededEx;
  THTMLVariableNeededEvent FOnVariableNeeded;
  TColor FLinkColor = clBlue;
  TPopupMenu* FLinkPopupMenu = nullptr;
  TFontStyles FLinkStyle{fsUnderline};
};
