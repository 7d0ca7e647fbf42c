// Run-time class information: the class registry and named, typed properties.
//
// Every class that a layout description can name, or whose properties it stores, declares
// KX_DECLARE_CLASS(TName) in its class body and defines StaticClass() with a builder that
// lists its own properties next to their getters and setters:
//
//   const TClassInfo* TFlatEdit::StaticClass() {
//     static const TClassInfo* info =
//         TClassBuilder<TFlatEdit>("TFlatEdit", TCustomFlatEdit::StaticClass())
//             .Factory()
//             .Color("BorderColorShadow", &TFlatEdit::BorderColorShadow,
//                    &TFlatEdit::SetBorderColorShadow, clBtnShadow)
//             .Bool("Flat", &TFlatEdit::Flat, &TFlatEdit::SetFlat, true)
//             .Event<TNotifyEvent>("OnChange", &TFlatEdit::OnChange, &TFlatEdit::SetOnChange)
//             .Build();
//     return info;
//   }
//
// Getters and setters are any callables usable as std::invoke(get, const T&) and
// std::invoke(set, T&, value); member function pointers work, returning by value or by
// const reference. The value type of a property is the getter's result type. The last
// argument of a value property is its default: a property equal to its default is not
// written; without a default it is always written. A derived class may list a property of
// its parent again (for another default); it then takes the parent's place in the order.
#pragma once

#include <any>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "framework/Classes.h"

// ---------------------------------------------------------------------------------------
// Enumerations: element names by ordinal ("" for an ordinal without an element).
class TEnumInfo {
 public:
  TEnumInfo(std::string typeName, std::vector<std::string> names);
  const std::string& TypeName() const { return typeName_; }
  int Count() const { return static_cast<int>(names_.size()); }
  // "" outside the range or for an unused ordinal.
  const std::string& Name(int ordinal) const;
  // Case-insensitive; -1 when unknown.
  int Ordinal(std::string_view name) const;

 private:
  std::string typeName_;
  std::vector<std::string> names_;
};

// Symbolic names for some values of an integer property (colours, cursors, charsets).
class TIdentMap {
 public:
  struct Entry {
    int32_t value;
    std::string name;
  };
  explicit TIdentMap(std::vector<Entry> entries);
  // Case-insensitive.
  bool IdentToInt(std::string_view name, int32_t* value) const;
  // The first name of `value`.
  bool IntToIdent(int32_t value, std::string* name) const;
  const std::vector<Entry>& Entries() const { return entries_; }

 private:
  std::vector<Entry> entries_;
};

// The enumerations of framework/Types.h.
const TEnumInfo* AlignInfo();            // TAlign
const TEnumInfo* AnchorKindInfo();       // TAnchorKind (TAnchors is a set of it)
const TEnumInfo* AlignmentInfo();        // TAlignment
const TEnumInfo* TextLayoutInfo();       // TTextLayout
const TEnumInfo* BorderStyleInfo();      // TBorderStyle: bsNone, bsSingle
const TEnumInfo* FormBorderStyleInfo();  // TFormBorderStyle
const TEnumInfo* BevelCutInfo();         // TBevelCut
const TEnumInfo* PositionInfo();         // TPosition
const TEnumInfo* FontStyleInfo();        // TFontStyle (TFontStyles is a set of it)
const TEnumInfo* BooleanInfo();          // False, True
const TEnumInfo* ShiftStateInfo();       // TShiftStateElement (TShiftState is a set of it)
const TEnumInfo* MouseButtonInfo();      // TMouseButton
// Every cl* constant of framework/Types.h by name.
const TIdentMap* ColorIdents();
// Every cr* constant of framework/Types.h by name.
const TIdentMap* CursorIdents();
// The character sets: ANSI_CHARSET, DEFAULT_CHARSET, SYMBOL_CHARSET, ..., OEM_CHARSET.
const TIdentMap* CharsetIdents();

// ---------------------------------------------------------------------------------------
// Properties
enum class TPropKind {
  Integer,     // int64_t; symbolic values through Idents()
  Color,       // int64_t; names through ColorIdents()
  Bool,        // bool
  Enum,        // int64_t ordinal; names through EnumInfo()
  Set,         // int64_t bit mask over EnumInfo()'s ordinals
  Float,       // double holding a float
  Double,      // double
  String,      // std::u16string
  AnsiString,  // std::string in the ANSI code page
  Object,      // nested persistent object (dotted names: Font.Name)
  Event,       // bound event, written as the method name
  Component,   // reference to another component, written as its name
};

// A value property's value in its stored form (see TPropKind).
using TPropValue = std::variant<std::monostate, int64_t, bool, double, std::u16string, std::string>;

class TPropInfo {
 public:
  const std::string& Name() const { return name; }
  TPropKind Kind() const { return kind; }
  const TEnumInfo* EnumInfo() const { return enumInfo; }
  const TIdentMap* Idents() const { return idents; }
  bool HasDefault() const { return !std::holds_alternative<std::monostate>(defaultValue); }
  const TPropValue& Default() const { return defaultValue; }
  // Value kinds and events with a setter, and component references with one.
  bool Writable() const {
    return static_cast<bool>(setValue) || static_cast<bool>(setEvent) ||
           static_cast<bool>(setComponent);
  }

  // Value kinds. SetValue refuses (false) a value of the wrong alternative, out of the
  // property type's range, an enum ordinal without element, set bits beyond the elements,
  // an object of another class, or a property without setter.
  TPropValue GetValue(const TObject* obj) const;
  bool SetValue(TObject* obj, const TPropValue& value) const;
  // Whether a writer stores the property: its stored predicate holds and, for value kinds,
  // the value differs from the default (or there is none); events when a named method is
  // bound; references when set to a named component; objects always.
  bool IsStored(const TObject* obj) const;

  // Object kind: the nested object (may be nullptr).
  TPersistent* GetObject(const TObject* obj) const;

  // Event kind. SetEvent takes a std::any holding the property's exact TEvent type (as the
  // method table stores it); another type is refused.
  std::string GetEventName(const TObject* obj) const;
  bool IsEventAssigned(const TObject* obj) const;
  bool SetEvent(TObject* obj, const std::any& boundEvent) const;
  bool ClearEvent(TObject* obj) const;

  // Component kind. A component of the wrong class is refused; nullptr clears.
  TComponent* GetComponent(const TObject* obj) const;
  bool SetComponent(TObject* obj, TComponent* component) const;

  // Filled in by TClassBuilder.
  std::string name;
  TPropKind kind = TPropKind::Integer;
  const TEnumInfo* enumInfo = nullptr;
  const TIdentMap* idents = nullptr;
  TPropValue defaultValue;
  std::function<TPropValue(const TObject*)> getValue;
  std::function<bool(TObject*, const TPropValue&)> setValue;
  std::function<bool(const TObject*)> stored;
  std::function<TPersistent*(const TObject*)> getObject;
  std::function<std::string(const TObject*)> getEventName;
  std::function<bool(const TObject*)> eventAssigned;
  std::function<bool(TObject*, const std::any*)> setEvent;  // nullptr any: clear
  std::function<TComponent*(const TObject*)> getComponent;
  std::function<bool(TObject*, TComponent*)> setComponent;
};

// ---------------------------------------------------------------------------------------
// Classes
class TClassInfo {
 public:
  using FactoryFunction = TComponent* (*)(TComponent* owner);

  const std::string& Name() const { return name_; }
  const TClassInfo* Parent() const { return parent_; }
  bool InheritsFrom(const TClassInfo* cls) const;
  // Creatable by name (the class registered a factory).
  bool CanCreate() const { return factory_ != nullptr; }
  // A new instance owned by `owner`, or nullptr when the class cannot be created.
  TComponent* Create(TComponent* owner) const;

  // A property of this class or an ancestor, case-insensitive; nullptr when unknown.
  const TPropInfo* FindProperty(std::string_view name) const;
  // Every property, ancestors' first, in declaration order.
  const std::vector<const TPropInfo*>& Properties() const { return all_; }

 private:
  template <class>
  friend class TClassBuilder;
  TClassInfo() = default;
  void Finish();

  std::string name_;
  const TClassInfo* parent_ = nullptr;
  FactoryFunction factory_ = nullptr;
  std::vector<std::unique_ptr<TPropInfo>> own_;
  std::vector<const TPropInfo*> all_;
};

// The registry of classes by name (case-insensitive). Build() registers; a second class
// under a taken name is not registered (the first stays) and a message goes to stderr.
const TClassInfo* FindClass(std::string_view name);
bool RegisterClass(const TClassInfo* info);
std::vector<const TClassInfo*> RegisteredClasses();

// In a class body: declares StaticClass() and overrides ClassInfo(). Leaves the access at
// private, the default of a class body.
#define KX_DECLARE_CLASS(T)                      \
 public:                                         \
  static const TClassInfo* StaticClass();        \
  const TClassInfo* ClassInfo() const override { \
    return StaticClass();                        \
  }                                              \
                                                 \
 private:

// ---------------------------------------------------------------------------------------
namespace kx::typinfo {

template <class T, class G>
using ValueOf = std::remove_cvref_t<std::invoke_result_t<G, const T&>>;

template <class V>
int64_t SetToMask(const V& v) {
  if constexpr (std::is_integral_v<V>)
    return static_cast<int64_t>(v);
  else
    return static_cast<int64_t>(v.ToByte());
}
template <class V>
V MaskToSet(int64_t m) {
  if constexpr (std::is_integral_v<V>)
    return static_cast<V>(m);
  else
    return V::FromByte(static_cast<uint8_t>(m));
}
template <class V>
bool InRange(int64_t v) {
  if constexpr (std::is_same_v<V, bool>)
    return v == 0 || v == 1;
  else if constexpr (std::is_enum_v<V>)
    return InRange<std::underlying_type_t<V>>(v);
  else
    return v >= static_cast<int64_t>(std::numeric_limits<V>::min()) &&
           (v < 0 ||
            static_cast<uint64_t>(v) <= static_cast<uint64_t>(std::numeric_limits<V>::max()));
}

}  // namespace kx::typinfo

// Builds one class's information; Build() registers it. The parent's StaticClass() is the
// second constructor argument, so the parent is complete first.
template <class T>
class TClassBuilder {
 public:
  TClassBuilder(std::string name, const TClassInfo* parent) : info_(new TClassInfo()) {
    info_->name_ = std::move(name);
    info_->parent_ = parent;
  }

  // Creatable by name: new T(owner).
  TClassBuilder& Factory() {
    info_->factory_ = [](TComponent* owner) -> TComponent* { return new T(owner); };
    return *this;
  }

  template <class G, class S>
  TClassBuilder& Integer(std::string name, G get, S set) {
    return IntegerImpl(std::move(name), TPropKind::Integer, get, set, TPropValue(), nullptr);
  }
  template <class G, class S>
  TClassBuilder& Integer(std::string name, G get, S set, int def,
                         const TIdentMap* idents = nullptr) {
    return IntegerImpl(std::move(name), TPropKind::Integer, get, set,
                       TPropValue(static_cast<int64_t>(def)), idents);
  }
  template <class G, class S>
  TClassBuilder& Integer(std::string name, G get, S set, const TIdentMap* idents) {
    return IntegerImpl(std::move(name), TPropKind::Integer, get, set, TPropValue(), idents);
  }

  template <class G, class S>
  TClassBuilder& Color(std::string name, G get, S set) {
    return IntegerImpl(std::move(name), TPropKind::Color, get, set, TPropValue(), ColorIdents());
  }
  template <class G, class S>
  TClassBuilder& Color(std::string name, G get, S set, TColor def) {
    return IntegerImpl(std::move(name), TPropKind::Color, get, set,
                       TPropValue(static_cast<int64_t>(def)), ColorIdents());
  }

  template <class G, class S>
  TClassBuilder& Bool(std::string name, G get, S set) {
    return BoolImpl(std::move(name), get, set, TPropValue());
  }
  template <class G, class S>
  TClassBuilder& Bool(std::string name, G get, S set, bool def) {
    return BoolImpl(std::move(name), get, set, TPropValue(def));
  }

  template <class G, class S>
  TClassBuilder& Enum(std::string name, G get, S set, const TEnumInfo* info) {
    return EnumImpl(std::move(name), get, set, info, TPropValue());
  }
  template <class G, class S, class D>
  TClassBuilder& Enum(std::string name, G get, S set, const TEnumInfo* info, D def) {
    return EnumImpl(std::move(name), get, set, info, TPropValue(static_cast<int64_t>(def)));
  }

  // A set property's value is an integral bit mask or a class with ToByte()/FromByte(),
  // like TFontStyles. The default is of the value type or an integral mask.
  template <class G, class S>
  TClassBuilder& Set(std::string name, G get, S set, const TEnumInfo* info) {
    return SetImpl(std::move(name), get, set, info, TPropValue());
  }
  template <class G, class S, class D>
  TClassBuilder& Set(std::string name, G get, S set, const TEnumInfo* info, D def) {
    return SetImpl(std::move(name), get, set, info, TPropValue(kx::typinfo::SetToMask<D>(def)));
  }

  // Written as an 80-bit extended number; read back into a float.
  template <class G, class S>
  TClassBuilder& Float(std::string name, G get, S set) {
    return FloatImpl(std::move(name), TPropKind::Float, get, set, TPropValue());
  }
  template <class G, class S>
  TClassBuilder& Float(std::string name, G get, S set, float def) {
    return FloatImpl(std::move(name), TPropKind::Float, get, set,
                     TPropValue(static_cast<double>(def)));
  }
  template <class G, class S>
  TClassBuilder& Double(std::string name, G get, S set) {
    return FloatImpl(std::move(name), TPropKind::Double, get, set, TPropValue());
  }
  template <class G, class S>
  TClassBuilder& Double(std::string name, G get, S set, double def) {
    return FloatImpl(std::move(name), TPropKind::Double, get, set, TPropValue(def));
  }

  // UTF-16 text.
  template <class G, class S>
  TClassBuilder& String(std::string name, G get, S set) {
    return TextImpl<std::u16string>(std::move(name), TPropKind::String, get, set, TPropValue());
  }
  template <class G, class S>
  TClassBuilder& String(std::string name, G get, S set, std::u16string def) {
    return TextImpl<std::u16string>(std::move(name), TPropKind::String, get, set,
                                    TPropValue(std::move(def)));
  }
  // 8-bit text in the ANSI code page.
  template <class G, class S>
  TClassBuilder& AnsiString(std::string name, G get, S set) {
    return TextImpl<std::string>(std::move(name), TPropKind::AnsiString, get, set, TPropValue());
  }
  template <class G, class S>
  TClassBuilder& AnsiString(std::string name, G get, S set, std::string def) {
    return TextImpl<std::string>(std::move(name), TPropKind::AnsiString, get, set,
                                 TPropValue(std::move(def)));
  }

  // A nested persistent object owned by the instance; its own class information lists its
  // properties. The getter returns a pointer to it.
  template <class G>
  TClassBuilder& Object(std::string name, G get) {
    auto p = NewProp(std::move(name), TPropKind::Object);
    p->getObject = [get](const TObject* o) -> TPersistent* {
      auto* t = dynamic_cast<const T*>(o);
      if (!t) return nullptr;
      // The nested object is part of the instance; the getter may be non-const.
      return static_cast<TPersistent*>(std::invoke(get, *const_cast<T*>(t)));
    };
    return *this;
  }

  // A bound event of type E, written as the name of the method it was bound to.
  template <class E, class G, class S>
  TClassBuilder& Event(std::string name, G get, S set) {
    auto p = NewProp(std::move(name), TPropKind::Event);
    p->getEventName = [get](const TObject* o) -> std::string {
      auto* t = dynamic_cast<const T*>(o);
      if (!t) return {};
      const E& e = std::invoke(get, *t);
      return e.MethodName();
    };
    p->eventAssigned = [get](const TObject* o) -> bool {
      auto* t = dynamic_cast<const T*>(o);
      return t && static_cast<bool>(std::invoke(get, *t));
    };
    p->setEvent = [set](TObject* o, const std::any* bound) -> bool {
      auto* t = dynamic_cast<T*>(o);
      if (!t) return false;
      if (!bound) {
        std::invoke(set, *t, E());
        return true;
      }
      const E* e = std::any_cast<E>(bound);
      if (!e) return false;
      std::invoke(set, *t, *e);
      return true;
    };
    return *this;
  }

  // A reference to another component of the same root, written as its name. The getter
  // returns a pointer to the referenced class; the setter takes one.
  template <class G, class S>
  TClassBuilder& Component(std::string name, G get, S set) {
    using P = kx::typinfo::ValueOf<T, G>;
    static_assert(std::is_pointer_v<P>, "a component reference getter returns a pointer");
    auto p = NewProp(std::move(name), TPropKind::Component);
    p->getComponent = [get](const TObject* o) -> TComponent* {
      auto* t = dynamic_cast<const T*>(o);
      if (!t) return nullptr;
      return static_cast<TComponent*>(std::invoke(get, *t));
    };
    p->setComponent = [set](TObject* o, TComponent* c) -> bool {
      auto* t = dynamic_cast<T*>(o);
      if (!t) return false;
      P target = nullptr;
      if (c) {
        target = dynamic_cast<P>(c);
        if (!target) return false;
      }
      std::invoke(set, *t, target);
      return true;
    };
    return *this;
  }

  // Adds a stored predicate to the last property listed: it is written only when
  // pred(const T&) holds (and it differs from its default).
  template <class P>
  TClassBuilder& Stored(P pred) {
    if (!info_->own_.empty()) {
      info_->own_.back()->stored = [pred](const TObject* o) -> bool {
        auto* t = dynamic_cast<const T*>(o);
        return t && static_cast<bool>(std::invoke(pred, *t));
      };
    }
    return *this;
  }

  // Completes and registers the class; the information lives as long as the program.
  const TClassInfo* Build() {
    info_->Finish();
    const TClassInfo* info = info_.release();
    RegisterClass(info);
    return info;
  }

 private:
  TPropInfo* NewProp(std::string name, TPropKind kind) {
    auto p = std::make_unique<TPropInfo>();
    p->name = std::move(name);
    p->kind = kind;
    TPropInfo* raw = p.get();
    info_->own_.push_back(std::move(p));
    return raw;
  }

  template <class G, class S>
  TClassBuilder& IntegerImpl(std::string name, TPropKind kind, G get, S set, TPropValue def,
                             const TIdentMap* idents) {
    using V = kx::typinfo::ValueOf<T, G>;
    auto p = NewProp(std::move(name), kind);
    p->idents = idents;
    p->defaultValue = std::move(def);
    p->getValue = [get](const TObject* o) -> TPropValue {
      auto* t = dynamic_cast<const T*>(o);
      if (!t) return {};
      return static_cast<int64_t>(std::invoke(get, *t));
    };
    p->setValue = [set](TObject* o, const TPropValue& v) -> bool {
      auto* t = dynamic_cast<T*>(o);
      const int64_t* i = std::get_if<int64_t>(&v);
      if (!t || !i || !kx::typinfo::InRange<V>(*i)) return false;
      std::invoke(set, *t, static_cast<V>(*i));
      return true;
    };
    return *this;
  }

  template <class G, class S>
  TClassBuilder& BoolImpl(std::string name, G get, S set, TPropValue def) {
    auto p = NewProp(std::move(name), TPropKind::Bool);
    p->enumInfo = BooleanInfo();
    p->defaultValue = std::move(def);
    p->getValue = [get](const TObject* o) -> TPropValue {
      auto* t = dynamic_cast<const T*>(o);
      if (!t) return {};
      return static_cast<bool>(std::invoke(get, *t));
    };
    p->setValue = [set](TObject* o, const TPropValue& v) -> bool {
      auto* t = dynamic_cast<T*>(o);
      const bool* b = std::get_if<bool>(&v);
      if (!t || !b) return false;
      std::invoke(set, *t, *b);
      return true;
    };
    return *this;
  }

  template <class G, class S>
  TClassBuilder& EnumImpl(std::string name, G get, S set, const TEnumInfo* info, TPropValue def) {
    using V = kx::typinfo::ValueOf<T, G>;
    auto p = NewProp(std::move(name), TPropKind::Enum);
    p->enumInfo = info;
    p->defaultValue = std::move(def);
    p->getValue = [get](const TObject* o) -> TPropValue {
      auto* t = dynamic_cast<const T*>(o);
      if (!t) return {};
      return static_cast<int64_t>(std::invoke(get, *t));
    };
    p->setValue = [set, info](TObject* o, const TPropValue& v) -> bool {
      auto* t = dynamic_cast<T*>(o);
      const int64_t* i = std::get_if<int64_t>(&v);
      if (!t || !i || *i < 0 || *i >= info->Count() || info->Name(int(*i)).empty()) return false;
      std::invoke(set, *t, static_cast<V>(*i));
      return true;
    };
    return *this;
  }

  template <class G, class S>
  TClassBuilder& SetImpl(std::string name, G get, S set, const TEnumInfo* info, TPropValue def) {
    using V = kx::typinfo::ValueOf<T, G>;
    auto p = NewProp(std::move(name), TPropKind::Set);
    p->enumInfo = info;
    p->defaultValue = std::move(def);
    p->getValue = [get](const TObject* o) -> TPropValue {
      auto* t = dynamic_cast<const T*>(o);
      if (!t) return {};
      return kx::typinfo::SetToMask<V>(std::invoke(get, *t));
    };
    p->setValue = [set, info](TObject* o, const TPropValue& v) -> bool {
      auto* t = dynamic_cast<T*>(o);
      const int64_t* m = std::get_if<int64_t>(&v);
      if (!t || !m || *m < 0 || info->Count() > 62) return false;
      if ((*m >> info->Count()) != 0) return false;
      std::invoke(set, *t, kx::typinfo::MaskToSet<V>(*m));
      return true;
    };
    return *this;
  }

  template <class G, class S>
  TClassBuilder& FloatImpl(std::string name, TPropKind kind, G get, S set, TPropValue def) {
    using V = kx::typinfo::ValueOf<T, G>;
    auto p = NewProp(std::move(name), kind);
    p->defaultValue = std::move(def);
    p->getValue = [get](const TObject* o) -> TPropValue {
      auto* t = dynamic_cast<const T*>(o);
      if (!t) return {};
      return static_cast<double>(std::invoke(get, *t));
    };
    p->setValue = [set](TObject* o, const TPropValue& v) -> bool {
      auto* t = dynamic_cast<T*>(o);
      const double* d = std::get_if<double>(&v);
      if (!t || !d) return false;
      if constexpr (std::is_same_v<V, float>) {
        if (!(std::fabs(*d) <= std::numeric_limits<float>::max())) return false;
      }
      std::invoke(set, *t, static_cast<V>(*d));
      return true;
    };
    return *this;
  }

  template <class Str, class G, class S>
  TClassBuilder& TextImpl(std::string name, TPropKind kind, G get, S set, TPropValue def) {
    auto p = NewProp(std::move(name), kind);
    p->defaultValue = std::move(def);
    p->getValue = [get](const TObject* o) -> TPropValue {
      auto* t = dynamic_cast<const T*>(o);
      if (!t) return {};
      return Str(std::invoke(get, *t));
    };
    p->setValue = [set](TObject* o, const TPropValue& v) -> bool {
      auto* t = dynamic_cast<T*>(o);
      const Str* s = std::get_if<Str>(&v);
      if (!t || !s) return false;
      std::invoke(set, *t, *s);
      return true;
    };
    return *this;
  }

  std::unique_ptr<TClassInfo> info_;
};
