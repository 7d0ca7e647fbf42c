#include "htmltext/HTMLItem.h"

#include <algorithm>
#include <vector>

#include "htmltext/HTMLData.h"
#include "htmltext/HTMLRender.h"

const char* HTMLItemTypeName(THTMLItemType type) {
  static const char* const names[] = {
      "hitChar", "hitSoftBreak", "hitBreak",  "hitPara",  "hitBitmap",  "hitHR", "hitLI",
      "hitUL",   "hitOL",        "hitIndent", "hitInput", "hitControl", "hitVar"};
  return type <= hitVar ? names[type] : "hitUnknown";
}

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define KX_HTML_ITEM_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KX_HTML_ITEM_POOL 0
#endif
#endif
#ifndef KX_HTML_ITEM_POOL
#define KX_HTML_ITEM_POOL 1
#endif

#if KX_HTML_ITEM_POOL
// Free lists by size class (multiples of 64 bytes). Items live on the user-interface
// thread; each thread keeps its own lists, and a block freed on another thread simply
// joins that thread's list.
class TItemPool {
 public:
  static constexpr size_t kGranule = 64;
  static constexpr size_t kClasses = 8;                // up to 512 bytes
  static constexpr size_t kMaxKeptPerClass = 1 << 16;  // bounded memory kept

  void* Allocate(size_t size) {
    const size_t c = (size + kGranule - 1) / kGranule;
    if (c == 0 || c > kClasses) return ::operator new(size);
    auto& list = lists_[c - 1];
    if (list.empty()) return ::operator new(c* kGranule);
    void* p = list.back();
    list.pop_back();
    return p;
  }
  void Free(void* p, size_t size) {
    const size_t c = (size + kGranule - 1) / kGranule;
    if (c == 0 || c > kClasses || lists_[c - 1].size() >= kMaxKeptPerClass) {
      ::operator delete(p);
      return;
    }
    lists_[c - 1].push_back(p);
  }

 private:
  std::vector<void*> lists_[kClasses];
};

// Never destroyed: items may outlive the thread-local objects at exit.
TItemPool& Pool() {
  thread_local TItemPool* pool = new TItemPool();
  return *pool;
}
#endif

}  // namespace

void* THTMLItem::operator new(size_t size) {
#if KX_HTML_ITEM_POOL
  return Pool().Allocate(size);
#else
  return ::operator new(size);
#endif
}

void THTMLItem::operator delete(void* p, size_t size) {
  if (!p) return;
#if KX_HTML_ITEM_POOL
  Pool().Free(p, size);
#else
  (void)size;
  ::operator delete(p);
#endif
}

THTMLItem::THTMLItem(THTMLData* owner) : FOwner(owner) {}

THTMLItem::~THTMLItem() = default;

void THTMLItem::AsHTML(TUnicodeString&) const {}

void THTMLItem::Assign(const THTMLItem* source) {
  if (!source) return;
  FontStyle = source->FontStyle;
  FontHeight = source->FontHeight;
  FontBgColor = source->FontBgColor;
  FontColor = source->FontColor;
  FLinkRef = source->FLinkRef;
  FFontRef = source->FFontRef;
  FIndent = source->FIndent;
  FFntCnt = source->FFntCnt;
  FBoolState = source->FBoolState;
}

int THTMLItem::MeasureHeight() const {
  const int h = FontHeight;
  if (!(IsSub() || IsSuper())) return h;
  // h - 2 * sign(h), computed without overflow at the ends of the range.
  return h > 0 ? int(int64_t(h) - 2)
               : (h < 0 ? int(std::min<int64_t>(int64_t(h) + 2, 0x7FFFFFFF)) : 0);
}

bool THTMLItem::SelectFont(bool reduced, TEXTMETRICW* tm) const {
  THTMLRender* render = FOwner ? FOwner->Render() : nullptr;
  if (!render) return false;
  const TEXTMETRICW& m = render->SelectMeasureFont(FFontRef, reduced ? MeasureHeight() : FontHeight,
                                                   FontStyle, FOwner->Charset());
  if (tm) *tm = m;
  return true;
}

int THTMLItem::GetWidth() {
  switch (FItemType) {
    case hitChar:
    case hitVar: {
      if (FTWidth != kHTMLWidthUnknown) return FTWidth;
      THTMLRender* render = FOwner ? FOwner->Render() : nullptr;
      if (!render) {
        FTWidth = 0;
        return 0;
      }
      auto* font = render->Font(FFontRef, MeasureHeight(), FontStyle, FOwner->Charset());
      FTWidth = uint16_t(render->MeasureText(font, FText.data(), FText.size()) + 1);
      return FTWidth;
    }
    case hitBitmap:
    case hitHR:
    case hitIndent:
    case hitInput:
    case hitControl:
      return FWidth;
    case hitUL:
    case hitOL: {
      TEXTMETRICW tm;
      return SelectFont(false, &tm) ? tm.tmMaxCharWidth : 0;
    }
    default:
      return 0;
  }
}

int THTMLItem::GetHeight(int& baseLine) {
  baseLine = 0;
  int h = 0;
  switch (FItemType) {
    case hitChar: {
      TEXTMETRICW tm;
      if (SelectFont(true, &tm)) {
        baseLine = tm.tmDescent;
        h = tm.tmHeight < 0 ? -tm.tmHeight : tm.tmHeight;
      }
      break;
    }
    case hitBitmap:
    case hitInput:
    case hitControl:
      h = FHeight;
      break;
    default:
      break;
  }
  return h + (FOwner ? FOwner->LineGap() : 0);
}

// ---------------------------------------------------------------------------------------

int THTMLBreakItem::GetWidth() {
  switch (FItemType) {
    case hitLI: {
      TEXTMETRICW tm;
      return SelectFont(false, &tm) ? tm.tmAveCharWidth : 0;
    }
    case hitUL:
    case hitOL:
      return THTMLItem::GetWidth();
    default:
      return 0;
  }
}

int THTMLBreakItem::GetHeight(int& baseLine) {
  baseLine = 0;
  int h = 0;
  if (FItemType == hitSoftBreak || FItemType == hitBreak || FItemType == hitLI) {
    const THTMLItem* next = FOwner ? FOwner->ItemAfter(this) : nullptr;
    TEXTMETRICW tm;
    if (next && next->IsBreakItem() && SelectFont(true, &tm)) {
      baseLine = tm.tmDescent;
      h = tm.tmHeight < 0 ? -tm.tmHeight : tm.tmHeight;
    }
  }
  if (FOwner && FOwner->LineSpacing() != 0) h = std::max(h, FOwner->LineSpacing());
  return h + (FOwner ? FOwner->LineGap() : 0);
}

void THTMLBreakItem::Assign(const THTMLItem* source) {
  if (!source) return;
  THTMLItem::Assign(source);
  if (auto* b = dynamic_cast<const THTMLBreakItem*>(source)) {
    FListLevel = b->FListLevel;
    FListItemN = b->FListItemN;
    FParams = b->FParams & ~3u;
  }
}

void THTMLBreakItem::AssignBreakProps(const THTMLItem* source) {
  auto* b = dynamic_cast<const THTMLBreakItem*>(source);
  if (!b) return;
  FListLevel = b->FListLevel;
  FListItemN = b->FListItemN;
  FParams = b->FParams;
}
