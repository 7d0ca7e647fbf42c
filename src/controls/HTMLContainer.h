// A list of named captions that HTML labels can show by index; links whose target names
// an item switch a label to it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/TypInfo.h"

class THTMLContainer;

// Registered with a container; its callback runs after every change of the container.
class THTMLChangeLink {
 public:
  explicit THTMLChangeLink(std::function<void()> onChange) : FOnChange(std::move(onChange)) {}
  ~THTMLChangeLink();
  THTMLChangeLink(const THTMLChangeLink&) = delete;
  THTMLChangeLink& operator=(const THTMLChangeLink&) = delete;
  THTMLContainer* Sender() const { return FSender; }
  void Change() const {
    if (FOnChange) FOnChange();
  }

 private:
  friend class THTMLContainer;
  std::function<void()> FOnChange;
  THTMLContainer* FSender = nullptr;
};

struct THTMLContainerItem {
  std::string Name;
  TUnicodeString Caption;
};

class THTMLContainer : public TComponent {
  KX_DECLARE_CLASS(THTMLContainer)

 public:
  explicit THTMLContainer(TComponent* owner);
  ~THTMLContainer() override;

  int Count() const { return int(FItems.size()); }
  const THTMLContainerItem& Items(int index) const { return FItems[size_t(index)]; }
  int Add(const std::string& name, const TUnicodeString& caption);
  void SetItem(int index, const std::string& name, const TUnicodeString& caption);
  void Delete(int index);
  void Clear();
  // The first item whose Name equals name exactly (case-sensitive), or -1.
  int IndexOfName(const std::string& name) const;

  void RegisterChanges(THTMLChangeLink* link);
  void UnRegisterChanges(THTMLChangeLink* link);

 private:
  void Changed();
  std::vector<THTMLContainerItem> FItems;
  std::vector<THTMLChangeLink*> FLinks;
};
