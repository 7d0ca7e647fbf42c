#include "htmltext/HTMLControlItem.h"

#include <string>

#include "framework/Classes.h"
#include "framework/Controls.h"
#include "framework/TypInfo.h"
#include "htmltext/HTMLData.h"
#include "htmltext/HTMLParser.h"
#include "htmltext/HTMLRender.h"
#include "platform/kernel/Unicode.h"

namespace {

class TControlWatch : public TComponent {
 public:
  explicit TControlWatch(THTMLControlItem* item) : TComponent(nullptr), item_(item) {}
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == item_->FControl) {
      if (item_->FControlHook) item_->FControlHook->Detach();
      item_->FControl = nullptr;
    }
  }

 private:
  THTMLControlItem* item_;
};

std::u16string Unquote(const std::u16string& v) {
  if (v.empty() || (v[0] != u'\'' && v[0] != u'"')) return v;
  const char16_t q = v[0];
  const bool closed = v.size() >= 2 && v.back() == q;
  return v.substr(1, v.size() - 1 - (closed ? 1 : 0));
}

// Applies one attribute to a property by the property's kind; false when it does not fit.
bool ApplyProperty(TObject* obj, const TPropInfo* prop, const std::u16string& text) {
  switch (prop->Kind()) {
    case TPropKind::Integer:
    case TPropKind::Color: {
      int32_t v = 0;
      if (text.size() >= 2 && text[0] == u'c' && text[1] == u'l') {
        TColor c;
        if (!THTMLParser::ColorFromName(text, c)) return false;
        v = c;
      } else {
        std::u16string digits = text;
        if (!digits.empty() && digits[0] == u'#') digits.erase(0, 1);
        if (!THTMLParser::ReadInteger(digits, v)) return false;
      }
      return prop->SetValue(obj, TPropValue(int64_t(v)));
    }
    case TPropKind::Bool: {
      const std::string name = kx::Utf16ToUtf8(text);
      const int o = BooleanInfo()->Ordinal(name);
      if (o < 0) return false;
      return prop->SetValue(obj, TPropValue(o == 1));
    }
    case TPropKind::Enum: {
      if (!prop->EnumInfo()) return false;
      const int o = prop->EnumInfo()->Ordinal(kx::Utf16ToUtf8(text));
      if (o < 0) return false;
      return prop->SetValue(obj, TPropValue(int64_t(o)));
    }
    case TPropKind::Set: {
      if (!prop->EnumInfo()) return false;
      std::string s = kx::Utf16ToUtf8(text);
      if (s.size() < 2 || s.front() != '[' || s.back() != ']') return false;
      s = s.substr(1, s.size() - 2);
      int64_t mask = 0;
      size_t start = 0;
      while (start <= s.size()) {
        size_t comma = s.find(',', start);
        if (comma == std::string::npos) comma = s.size();
        std::string part = s.substr(start, comma - start);
        const size_t b = part.find_first_not_of(' ');
        const size_t e = part.find_last_not_of(' ');
        part = b == std::string::npos ? std::string() : part.substr(b, e - b + 1);
        if (!part.empty()) {
          const int o = prop->EnumInfo()->Ordinal(part);
          if (o < 0 || o > 62) return false;
          mask |= int64_t(1) << o;
        }
        start = comma + 1;
      }
      return prop->SetValue(obj, TPropValue(mask));
    }
    case TPropKind::Float:
    case TPropKind::Double: {
      const std::string s = kx::Utf16ToUtf8(text);
      if (s.empty()) return false;
      size_t used = 0;
      double d = 0;
      try {
        d = std::stod(s, &used);
      } catch (...) {
        return false;
      }
      if (used != s.size()) return false;
      return prop->SetValue(obj, TPropValue(d));
    }
    case TPropKind::String:
      return prop->SetValue(obj, TPropValue(text));
    case TPropKind::AnsiString:
      return prop->SetValue(obj, TPropValue(kx::Utf16ToUtf8(text)));
    default:
      return false;
  }
}

// A property's current value in its text form.
std::u16string PropertyText(const TObject* obj, const TPropInfo* prop) {
  const TPropValue v = prop->GetValue(obj);
  switch (prop->Kind()) {
    case TPropKind::Integer:
    case TPropKind::Color: {
      const int64_t* i = std::get_if<int64_t>(&v);
      if (!i) return {};
      const std::u16string name = THTMLParser::ColorName(TColor(*i));
      if (!name.empty()) return name;
      return kx::Utf8ToUtf16(std::to_string(*i));
    }
    case TPropKind::Bool: {
      const bool* b = std::get_if<bool>(&v);
      return b && *b ? u"True" : u"False";
    }
    case TPropKind::Enum: {
      const int64_t* i = std::get_if<int64_t>(&v);
      if (!i || !prop->EnumInfo()) return {};
      return kx::Utf8ToUtf16(prop->EnumInfo()->Name(int(*i)));
    }
    case TPropKind::Set: {
      const int64_t* m = std::get_if<int64_t>(&v);
      if (!m || !prop->EnumInfo()) return u"[]";
      std::string s = "[";
      for (int o = 0; o < prop->EnumInfo()->Count(); ++o) {
        if (!((*m >> o) & 1)) continue;
        if (s.size() > 1) s += ",";
        s += prop->EnumInfo()->Name(o);
      }
      return kx::Utf8ToUtf16(s + "]");
    }
    case TPropKind::Float:
    case TPropKind::Double: {
      const double* d = std::get_if<double>(&v);
      if (!d) return {};
      char buf[64];
      snprintf(buf, sizeof buf, "%g", *d);
      return kx::Utf8ToUtf16(buf);
    }
    case TPropKind::String: {
      const std::u16string* s = std::get_if<std::u16string>(&v);
      return s ? *s : std::u16string();
    }
    case TPropKind::AnsiString: {
      const std::string* s = std::get_if<std::string>(&v);
      return s ? kx::Utf8ToUtf16(*s) : std::u16string();
    }
    default:
      return {};
  }
}

}  // namespace

THTMLControlItem::THTMLControlItem(THTMLData* owner)
    : THTMLItem(owner),
      FControlHook(std::make_unique<THTMLMessageHook>([](UINT, WPARAM, LPARAM) {})),
      FWatch(std::make_unique<TControlWatch>(this)) {}

THTMLControlItem::~THTMLControlItem() {
  DestroyControl();
  FControlHook.reset();
}

void THTMLControlItem::DestroyControl() {
  if (FControlHook) FControlHook->Detach();
  TControl* control = FControl;
  FControl = nullptr;
  if (control) {
    FWatch->RemoveFreeNotification(control);
    delete control;
  }
}

const TClassInfo* THTMLControlItem::FindControlClass(const TUnicodeString& name) {
  if (name.empty()) return nullptr;
  const TClassInfo* cls = FindClass(kx::Utf16ToUtf8(name));
  if (!cls || !cls->CanCreate() || !cls->InheritsFrom(TControl::StaticClass())) return nullptr;
  return cls;
}

void THTMLControlItem::Configure(const TClassInfo* cls, const TUnicodeString& className,
                                 const TAttributeLines& attributes) {
  THTMLRender* render = FOwner ? FOwner->Render() : nullptr;
  if (className != FControlClass) {
    DestroyControl();
    FControlClass = className;
    TControl* host = render ? render->Control() : nullptr;
    if (host) {
      TComponent* made = cls->Create(host);
      auto* control = dynamic_cast<TControl*>(made);
      if (!control) {
        delete made;
      } else {
        control->SetVisible(false);
        FControl = control;
        FWatch->FreeNotification(control);
        FWidth = uint16_t(control->Width());
        FHeight = uint16_t(control->Height());
        if (auto* wc = dynamic_cast<TWinControl*>(control)) wc->SetTabStop(false);
        FControlHook->Attach(control);
      }
    }
  }
  FControlPropList.clear();
  for (const auto& a : attributes)
    FControlPropList.push_back(a.first + u"=" + a.second);

  auto find = [&](const char16_t* name) -> std::u16string {
    for (const auto& a : attributes)
      if (a.first == name) return Unquote(a.second);
    return {};
  };
  do {
    int32_t v;
    const std::u16string w = find(u"width");
    if (!w.empty()) {
      if (!THTMLParser::ReadInteger(w, v)) break;
      FWidth = uint16_t(v);
      if (FControl) FControl->SetWidth(v);
    }
    const std::u16string h = find(u"height");
    if (!h.empty()) {
      if (!THTMLParser::ReadInteger(h, v)) break;
      FHeight = uint16_t(v);
      if (FControl) FControl->SetHeight(v);
    }
  } while (false);

  if (!FControl) return;
  const TClassInfo* info = FControl->ClassInfo();
  for (const auto& a : attributes) {
    const TPropInfo* prop = info->FindProperty(kx::Utf16ToUtf8(a.first));
    if (!prop || !prop->Writable()) continue;
    ApplyProperty(FControl, prop, Unquote(a.second));
  }
}

void THTMLControlItem::AsHTML(TUnicodeString& out) const {
  if (!FControl) return;
  out += u"<control controlclass=\"" + kx::Utf8ToUtf16(FControl->ClassName()) + u"\" ";
  const TClassInfo* info = FControl->ClassInfo();
  for (const auto& line : FControlPropList) {
    const size_t eq = line.find(u'=');
    const std::u16string name = Unquote(line.substr(0, eq));
    const TPropInfo* prop = info->FindProperty(kx::Utf16ToUtf8(name));
    if (!prop) continue;
    out += name + u"=\"" + PropertyText(FControl, prop) + u"\" ";
  }
  out += u">";
}
