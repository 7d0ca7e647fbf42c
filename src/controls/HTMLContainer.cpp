#include "controls/HTMLContainer.h"

#include <algorithm>

THTMLChangeLink::~THTMLChangeLink() {
  if (FSender) FSender->UnRegisterChanges(this);
}

const TClassInfo* THTMLContainer::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<THTMLContainer>("THTMLContainer", TComponent::StaticClass()).Factory().Build();
  return info;
}

THTMLContainer::THTMLContainer(TComponent* owner) : TComponent(owner) {}

THTMLContainer::~THTMLContainer() {
  for (THTMLChangeLink* link : FLinks)
    link->FSender = nullptr;
}

int THTMLContainer::Add(const std::string& name, const TUnicodeString& caption) {
  FItems.push_back(THTMLContainerItem{name, caption});
  Changed();
  return Count() - 1;
}

void THTMLContainer::SetItem(int index, const std::string& name, const TUnicodeString& caption) {
  if (index < 0 || index >= Count()) return;
  FItems[size_t(index)] = THTMLContainerItem{name, caption};
  Changed();
}

void THTMLContainer::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  FItems.erase(FItems.begin() + index);
  Changed();
}

void THTMLContainer::Clear() {
  FItems.clear();
  Changed();
}

int THTMLContainer::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (FItems[size_t(i)].Name == name) return i;
  return -1;
}

void THTMLContainer::RegisterChanges(THTMLChangeLink* link) {
  if (!link || link->FSender == this) return;
  if (link->FSender) link->FSender->UnRegisterChanges(link);
  link->FSender = this;
  FLinks.push_back(link);
}

void THTMLContainer::UnRegisterChanges(THTMLChangeLink* link) {
  auto it = std::find(FLinks.begin(), FLinks.end(), link);
  if (it == FLinks.end()) return;
  FLinks.erase(it);
  link->FSender = nullptr;
}

void THTMLContainer::Changed() {
  // A callback may unregister links; walk a copy.
  const std::vector<THTMLChangeLink*> links = FLinks;
  for (THTMLChangeLink* link : links)
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) link->Change();
}
