// Check boxes and radio buttons inside a document, and the painters that draw them.
#pragma once

#include <memory>

#include "htmltext/HTMLItem.h"

class TCanvas;
class THTMLInputItem;

enum THTMLInputType : uint8_t { itCheckBox = 0, itRadioButton = 1 };

// Draws one input item into a box; the base draws nothing.
class THTMLControlPainter {
 public:
  explicit THTMLControlPainter(THTMLInputItem* item) : FInputItem(item) {}
  virtual ~THTMLControlPainter() = default;
  virtual void PaintTo(TCanvas* canvas, const TRect& rect);

  THTMLInputItem* FInputItem = nullptr;  // not owned
};

// The classic check box or radio button, with a focus rectangle when selected.
class THTMLCheckBoxPainter : public THTMLControlPainter {
 public:
  using THTMLControlPainter::THTMLControlPainter;
  void PaintTo(TCanvas* canvas, const TRect& rect) override;
};

class THTMLInputItem : public THTMLItem {
 public:
  explicit THTMLInputItem(THTMLData* owner);
  ~THTMLInputItem() override;

  void AsHTML(TUnicodeString& out) const override;
  void Assign(const THTMLItem* source) override;

  bool Checked() const { return FChecked; }
  // Checking a grouped radio button clears the others of its group first (without
  // events); then OnInputItemChecked and OnChange. An equal value does nothing.
  void SetChecked(bool value);
  const TUnicodeString& Name() const { return FName; }
  void SetName(const TUnicodeString& v) { FName = v; }
  const TUnicodeString& Value() const { return FValue; }
  void SetValue(const TUnicodeString& value);
  THTMLInputType InputType() const { return FInputType; }
  // Stores the kind, makes a painter, and numbers a named radio button's group.
  void SetInputType(THTMLInputType value);

  // A radio button that is not checked becomes checked; anything else toggles.
  void Click();
  // Space toggles a check box and checks a radio button.
  void KeyDownTransfer(WORD& key, TShiftState shift);

  THTMLControlPainter* ControlPainter() const { return FControlPainter.get(); }

  bool FChecked = false;
  THTMLInputType FInputType = itCheckBox;
  TUnicodeString FName;  // lower case
  TUnicodeString FValue;
  std::unique_ptr<THTMLControlPainter> FControlPainter;
};
