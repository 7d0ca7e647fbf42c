// The items of an HTML document: one flat, ordered list of styled runs, line-starting
// break items and embedded objects. A break item starts a line and, after layout, carries
// that line's width, height and largest descent.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/Types.h"

class THTMLData;

enum THTMLItemType : uint8_t {
  hitChar = 0,
  hitSoftBreak = 1,
  hitBreak = 2,
  hitPara = 3,
  hitBitmap = 4,
  hitHR = 5,
  hitLI = 6,
  hitUL = 7,
  hitOL = 8,
  hitIndent = 9,
  hitInput = 10,
  hitControl = 11,
  hitVar = 12,
};

// The name of a kind as written in dumps ("hitChar", "hitBreak" ...).
const char* HTMLItemTypeName(THTMLItemType type);

// Bits of THTMLItem::FBoolState.
enum : uint32_t {
  hbsLink = 0x1,
  hbsSub = 0x2,
  hbsSuper = 0x4,
  hbsAbsolute = 0x8,            // hitIndent: jump to an absolute x position
  hbsParaClosed = 0x80000000u,  // the mark of a paragraph closed by "/p"
};

// Marks FTWidth as not measured.
constexpr uint16_t kHTMLWidthUnknown = 0xFFFF;

class THTMLItem {
 public:
  explicit THTMLItem(THTMLData* owner);
  virtual ~THTMLItem();
  THTMLItem(const THTMLItem&) = delete;
  THTMLItem& operator=(const THTMLItem&) = delete;

  // Items come from a free list that keeps their memory between parses: a document of
  // thousands of items is parsed again and again, and returning it all to the system after
  // every parse makes each parse pay for fresh pages.
  static void* operator new(size_t size);
  static void operator delete(void* p, size_t size);

  // Appends the item's markup to `out`; nothing for plain items.
  virtual void AsHTML(TUnicodeString& out) const;
  virtual int GetWidth();
  virtual int GetHeight(int& baseLine);
  // Copies the style: font, colours, link, indent, colour count and state bits. A null
  // source does nothing.
  virtual void Assign(const THTMLItem* source);
  virtual bool IsBreakItem() const { return false; }

  bool IsLink() const { return FBoolState & hbsLink; }
  void SetIsLink(bool v) { SetBit(hbsLink, v); }
  bool IsSub() const { return FBoolState & hbsSub; }
  void SetIsSub(bool v) { SetBit(hbsSub, v); }
  bool IsSuper() const { return FBoolState & hbsSuper; }
  void SetIsSuper(bool v) { SetBit(hbsSuper, v); }
  const TUnicodeString& LinkRef() const { return FLinkRef; }
  void SetLinkRef(const TUnicodeString& v) { FLinkRef = v; }
  const TUnicodeString& Text() const { return FText; }
  void SetText(const TUnicodeString& v) {
    FText = v;
    FTWidth = kHTMLWidthUnknown;
  }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool v) { FTransparent = v; }
  THTMLItemType ItemType() const { return FItemType; }
  void SetItemType(THTMLItemType v) { FItemType = v; }
  THTMLData* Owner() const { return FOwner; }

  // The height the item's font is measured and drawn with: reduced by two pixels toward
  // zero for subscript and superscript runs.
  int MeasureHeight() const;

  THTMLData* FOwner = nullptr;
  THTMLItemType FItemType = hitChar;
  TUnicodeString FText;
  TFontStyles FontStyle;
  int32_t FontHeight = 0;
  TColor FontBgColor = 0;
  TColor FontColor = 0;
  TUnicodeString FLinkRef;
  TUnicodeString FFontRef;
  int32_t FFntCnt = 0;
  uint16_t FTWidth = kHTMLWidthUnknown;
  uint16_t FWidth = 0;
  uint16_t FHeight = 0;
  int32_t FIndent = 0;
  uint32_t FBoolState = 0;
  bool FTransparent = false;
  int32_t FTag = 0;
  // Position in the owner's item list, kept by THTMLData; -1 when not listed.
  int32_t FListIndex = -1;

 protected:
  // Selects the item's measuring font on the engine's measuring context; false without an
  // engine. `reduced` applies the subscript/superscript reduction.
  bool SelectFont(bool reduced, TEXTMETRICW* tm) const;

 private:
  void SetBit(uint32_t bit, bool v) { FBoolState = v ? (FBoolState | bit) : (FBoolState & ~bit); }
};

class THTMLBreakItem : public THTMLItem {
 public:
  explicit THTMLBreakItem(THTMLData* owner) : THTMLItem(owner) {}

  int GetWidth() override;
  int GetHeight(int& baseLine) override;
  void Assign(const THTMLItem* source) override;
  bool IsBreakItem() const override { return true; }
  // Copies list level, list number and FParams unchanged.
  void AssignBreakProps(const THTMLItem* source);

  int Alignment() const { return int(FParams & 0xFFFF); }
  int Descent() const { return int(FParams >> 16); }

  uint32_t FParams = 0;  // low 16 bits alignment, high 16 bits the line's descent
  int32_t FListLevel = 0;
  int32_t FListItemN = 0;
};
