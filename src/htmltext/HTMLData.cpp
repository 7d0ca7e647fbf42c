#include "htmltext/HTMLData.h"

#include <algorithm>

#include "framework/Controls.h"
#include "htmltext/HTMLControlItem.h"
#include "htmltext/HTMLInputItem.h"
#include "htmltext/HTMLRender.h"

THTMLData::THTMLData() = default;

THTMLData::~THTMLData() {
  ClearArray();
}

void THTMLData::ClearArray() {
  FActiveItem = nullptr;
  FSelectedItem = nullptr;
  FControlsArray.clear();
  // Items are destroyed last to first; the list stays valid while one is destroyed.
  while (!FArray.empty())
    FArray.pop_back();
  FRadioList.clear();
}

int THTMLData::LineCount() const {
  return int(std::count_if(FArray.begin(), FArray.end(),
                           [](const auto& item) { return item->IsBreakItem(); }));
}

THTMLItem* THTMLData::ItemAfter(const THTMLItem* item) const {
  if (!item || item->FOwner != this || item->FListIndex < 0) return nullptr;
  const size_t next = size_t(item->FListIndex) + 1;
  if (next >= FArray.size() || FArray[next - 1].get() != item) return nullptr;
  return FArray[next].get();
}

void THTMLData::Append(std::unique_ptr<THTMLItem> item) {
  item->FListIndex = int32_t(FArray.size());
  FArray.push_back(std::move(item));
}

void THTMLData::InsertFront(std::unique_ptr<THTMLItem> item) {
  FArray.insert(FArray.begin(), std::move(item));
  for (size_t i = 0; i < FArray.size(); ++i)
    FArray[i]->FListIndex = int32_t(i);
}

std::unique_ptr<THTMLItem> THTMLData::RemoveLast() {
  if (FArray.empty()) return nullptr;
  auto item = std::move(FArray.back());
  FArray.pop_back();
  item->FListIndex = -1;
  return item;
}

void THTMLData::RemoveFromControls(const THTMLItem* item) {
  auto it = std::find(FControlsArray.begin(), FControlsArray.end(), item);
  if (it != FControlsArray.end()) FControlsArray.erase(it);
}

int THTMLData::RadioGroup(const TUnicodeString& name) {
  auto it = std::find(FRadioList.begin(), FRadioList.end(), name);
  if (it == FRadioList.end()) {
    FRadioList.push_back(name);
    return int(FRadioList.size());
  }
  return int(it - FRadioList.begin()) + 1;
}

void THTMLData::SetSelectedItem(THTMLItem* item) {
  FSelectedItem = item;
  if (auto* ci = dynamic_cast<THTMLControlItem*>(item)) {
    if (auto* wc = dynamic_cast<TWinControl*>(ci->FControl)) {
      if (wc->CanFocus()) wc->SetFocus();
    }
  }
}

void THTMLData::SetActiveItem(THTMLInputItem* item) {
  if (item == FActiveItem) return;
  FActiveItem = item;
  if (FRender) FRender->Change();
}

TUnicodeString THTMLData::GenerateHTML() const {
  TUnicodeString out = u"<html>";
  for (const auto& p : FArray) {
    const THTMLItem* item = p.get();
    switch (item->FItemType) {
      case hitChar:
        out += item->FText;
        break;
      case hitBreak:
        out += u"<br>\r\n";
        break;
      case hitInput:
      case hitControl:
        item->AsHTML(out);
        out += u"\r\n";
        break;
      case hitVar:
        out += u"<~~" + item->FText + u">";
        break;
      default:
        break;
    }
  }
  out += u"</html>";
  return out;
}
