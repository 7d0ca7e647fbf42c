// A live child control embedded in the text, created by class name from the framework's
// class registry and configured from the tag's attributes.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "htmltext/HTMLItem.h"
#include "htmltext/HTMLMessageHook.h"

class TClassInfo;
class TComponent;
class TControl;

class THTMLControlItem : public THTMLItem {
 public:
  using TAttributeLines = std::vector<std::pair<TUnicodeString, TUnicodeString>>;

  explicit THTMLControlItem(THTMLData* owner);
  ~THTMLControlItem() override;

  void AsHTML(TUnicodeString& out) const override;

  // A registered, creatable control class by name (ignoring case), or none.
  static const TClassInfo* FindControlClass(const TUnicodeString& name);
  // Creates the control (when the engine has a host control) and applies the attributes:
  // width and height, then every attribute that names a property of the control. Values
  // that do not fit are skipped.
  void Configure(const TClassInfo* cls, const TUnicodeString& className,
                 const TAttributeLines& attributes);
  // Unhooks and destroys the control.
  void DestroyControl();

  TControl* Control() const { return FControl; }

  std::unique_ptr<THTMLMessageHook> FControlHook;
  TUnicodeString FControlClass;
  // The tag's attribute lines, "name=value", as read.
  std::vector<TUnicodeString> FControlPropList;
  TControl* FControl = nullptr;

 private:
  // Clears FControl when the control is destroyed by someone else (its owner).
  std::unique_ptr<TComponent> FWatch;
};
