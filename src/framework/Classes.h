// The component model: TObject, TPersistent and TComponent.
//
// Ownership: a component created with an owner is in the owner's component list and is
// deleted by the owner's destructor. Deleting a component removes it from its owner first.
// Free notification: a component that refers to another one asks for FreeNotification and
// hears Notification(other, opRemove) before the other goes away; the base Notification
// then forgets the pair. Notification also spreads through ownership: an owner's base
// Notification passes every insert and removal on to the components it owns, so siblings
// hear of each other. Overrides of Notification must call the base.
#pragma once

#include <any>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/Types.h"

class TClassInfo;

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject();

  static const TClassInfo* StaticClass();
  virtual const TClassInfo* ClassInfo() const;
  std::string ClassName() const;
  // True when this object's class is `cls` or derives from it.
  bool InheritsFrom(const TClassInfo* cls) const;
};

class TPersistent : public TObject {
 public:
  static const TClassInfo* StaticClass();
  const TClassInfo* ClassInfo() const override;

  // Copies `src` into this object: src->AssignTo(this). A class that knows how to copy from
  // another class overrides Assign and calls the base for the rest. Assigning between
  // classes that know nothing of each other changes nothing.
  virtual void Assign(const TPersistent* src);

 protected:
  virtual void AssignTo(TPersistent* dst) const;
};

enum TOperation { opInsert, opRemove };

// Component state flags.
using TComponentState = uint32_t;
enum : TComponentState {
  csLoading = 0x01,     // being read from a layout description; Loaded() ends it
  csReading = 0x02,     // its properties are being read right now
  csWriting = 0x04,     // being written to a layout description
  csDestroying = 0x08,  // its destructor has begun
  csDesigning = 0x10,   // design-time instance (never set by the program itself)
  csUpdating = 0x20,
};

class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;

  static const TClassInfo* StaticClass();
  const TClassInfo* ClassInfo() const override;

  TComponent* Owner() const { return owner_; }

  // The name is an ASCII identifier (letter or "_", then letters, digits, "_") or empty,
  // unique among the owner's components regardless of case. An invalid or taken name is
  // refused: SetName returns false and the name stays.
  const std::string& Name() const { return name_; }
  bool SetName(std::string name);
  static bool IsValidIdent(std::string_view name);

  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;  // nullptr outside 0..ComponentCount()-1
  int ComponentIndex() const;               // position in the owner's list, -1 without owner
  // An owned component by name, case-insensitive; nullptr for "" or no match.
  TComponent* FindComponent(std::string_view name) const;
  // Moves `c` into this component's list (from its previous owner, if any). Refused (false)
  // when its name is taken here or when `c` is this component or one of its owners.
  bool InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);
  // Deletes every owned component, last first.
  void DestroyComponents();

  // Both components hear of the other's destruction until one of them asks to stop.
  void FreeNotification(TComponent* other);
  void RemoveFreeNotification(TComponent* other);

  TComponentState ComponentState() const { return state_; }
  // For the layout reader and tests: replaces the state flags.
  void SetComponentState(TComponentState state) { state_ = state; }
  bool IsLoading() const { return (state_ & csLoading) != 0; }
  bool IsDestroying() const { return (state_ & csDestroying) != 0; }

  // End-of-loading hook: runs once after a layout description has been read completely,
  // with every property and every child in place. The base clears csLoading; overrides
  // call it first.
  virtual void Loaded();

  // Streaming hooks: the component a layout description nests this one in. TControl
  // overrides them with its Parent.
  virtual void SetParentComponent(TComponent* parent);
  virtual TComponent* GetParentComponent() const;
  virtual bool HasParent() const;

  int Tag = 0;

  // A root's method table: event handlers by name, each a ready-bound TEvent<...> of the
  // handler's type. The layout reader binds "OnClick = Button1Click" through it.
  void RegisterMethod(const std::string& name, std::any boundEvent);
  const std::any* FindMethod(const std::string& name) const;

  // Called for this component's own insertions into and removals from other components'
  // lists, for every component owned by this one, and for free-notification peers. The
  // base forgets a removed peer and passes the news on to the owned components.
  virtual void Notification(TComponent* component, TOperation operation);

 protected:
  // Sets csDestroying; a derived destructor may call it first so that overrides running
  // during its teardown can tell.
  void Destroying();

 private:
  friend class TComponentAccess;
  void RemoveNotify(TComponent* other);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  std::vector<std::pair<std::string, std::any>> methods_;
  TComponentState state_ = 0;
};

namespace kx {
// ASCII case-insensitive comparison of identifiers.
bool SameText(std::string_view a, std::string_view b);
}  // namespace kx
