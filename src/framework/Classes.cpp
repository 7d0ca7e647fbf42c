#include "framework/Classes.h"

#include <algorithm>
#include <cctype>

#include "framework/TypInfo.h"

namespace kx {
bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}
}  // namespace kx

// ---------------------------------------------------------------------------------------
TObject::~TObject() = default;

const TClassInfo* TObject::StaticClass() {
  static const TClassInfo* info = TClassBuilder<TObject>("TObject", nullptr).Build();
  return info;
}
const TClassInfo* TObject::ClassInfo() const {
  return StaticClass();
}

std::string TObject::ClassName() const {
  return ClassInfo()->Name();
}

bool TObject::InheritsFrom(const TClassInfo* cls) const {
  return ClassInfo()->InheritsFrom(cls);
}

// ---------------------------------------------------------------------------------------
const TClassInfo* TPersistent::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TPersistent>("TPersistent", TObject::StaticClass()).Build();
  return info;
}
const TClassInfo* TPersistent::ClassInfo() const {
  return StaticClass();
}

void TPersistent::Assign(const TPersistent* src) {
  if (src && src != this) src->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent*) const {}

// ---------------------------------------------------------------------------------------
const TClassInfo* TComponent::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TComponent>("TComponent", TPersistent::StaticClass())
          .Integer(
              "Tag", [](const TComponent& c) { return c.Tag; },
              [](TComponent& c, int v) { c.Tag = v; }, 0)
          .Build();
  return info;
}
const TClassInfo* TComponent::ClassInfo() const {
  return StaticClass();
}

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Peers first: each hears of the removal once and forgets the pair.
  while (!freeNotifies_.empty()) {
    TComponent* peer = freeNotifies_.back();
    freeNotifies_.pop_back();
    peer->RemoveNotify(this);
    peer->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
}

void TComponent::Destroying() {
  state_ |= csDestroying;
}

bool TComponent::IsValidIdent(std::string_view name) {
  if (name.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(name[0])) return false;
  for (char c : name)
    if (!alpha(c) && !(c >= '0' && c <= '9')) return false;
  return true;
}

bool TComponent::SetName(std::string name) {
  if (name == name_) return true;
  if (!name.empty() && !IsValidIdent(name)) return false;
  if (!name.empty() && owner_) {
    TComponent* other = owner_->FindComponent(name);
    if (other && other != this) return false;
  }
  name_ = std::move(name);
  return true;
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) return nullptr;
  return components_[size_t(index)];
}

int TComponent::ComponentIndex() const {
  if (!owner_) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : int(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (kx::SameText(c->name_, name)) return c;
  return nullptr;
}

bool TComponent::InsertComponent(TComponent* c) {
  if (!c) return false;
  for (const TComponent* o = this; o; o = o->owner_)
    if (o == c) return false;
  if (c->owner_ == this) return true;
  if (!c->name_.empty() && FindComponent(c->name_)) return false;
  if (c->owner_) c->owner_->RemoveComponent(c);
  components_.push_back(c);
  c->owner_ = this;
  Notification(c, opInsert);
  return true;
}

void TComponent::RemoveComponent(TComponent* c) {
  if (!c || c->owner_ != this) return;
  Notification(c, opRemove);
  auto it = std::find(components_.begin(), components_.end(), c);
  if (it != components_.end()) components_.erase(it);
  c->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    // Detached first, so its destructor does not come back to this list.
    components_.pop_back();
    c->owner_ = nullptr;
    delete c;
  }
}

void TComponent::FreeNotification(TComponent* other) {
  if (!other || other == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end())
    freeNotifies_.push_back(other);
  if (std::find(other->freeNotifies_.begin(), other->freeNotifies_.end(), this) ==
      other->freeNotifies_.end())
    other->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
  if (!other) return;
  RemoveNotify(other);
  other->RemoveNotify(this);
}

void TComponent::RemoveNotify(TComponent* other) {
  auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), other);
  if (it != freeNotifies_.end()) freeNotifies_.erase(it);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component) RemoveFreeNotification(component);
  // Owned components may come and go while they hear the news: walk by index, from the end.
  for (size_t i = components_.size(); i > 0; --i) {
    if (i > components_.size()) continue;
    TComponent* c = components_[i - 1];
    if (c != component) c->Notification(component, operation);
  }
}

void TComponent::Loaded() {
  state_ &= ~csLoading;
}

void TComponent::SetParentComponent(TComponent*) {}
TComponent* TComponent::GetParentComponent() const {
  return nullptr;
}
bool TComponent::HasParent() const {
  return false;
}

void TComponent::RegisterMethod(const std::string& name, std::any boundEvent) {
  for (auto& m : methods_) {
    if (kx::SameText(m.first, name)) {
      m.second = std::move(boundEvent);
      return;
    }
  }
  methods_.emplace_back(name, std::move(boundEvent));
}

const std::any* TComponent::FindMethod(const std::string& name) const {
  for (const auto& m : methods_)
    if (kx::SameText(m.first, name)) return &m.second;
  return nullptr;
}
