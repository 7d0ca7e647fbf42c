#include <gtest/gtest.h>

#include "TestClasses.h"

namespace {

// Records the notifications it hears.
class TListener : public TComponent {
 public:
  using TComponent::TComponent;
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    heard.emplace_back(c, op);
  }
  int Removals(TComponent* c) const {
    int n = 0;
    for (auto& [who, op] : heard)
      n += who == c && op == opRemove;
    return n;
  }
  std::vector<std::pair<TComponent*, TOperation>> heard;
};

// Overrides Notification without calling the base.
class TRude : public TComponent {
 public:
  using TComponent::TComponent;
  void Notification(TComponent*, TOperation) override { ++calls; }
  int calls = 0;
};

}  // namespace

TEST(Ownership, OwnerDeletesItsComponents) {
  const int before = TTestControl::liveCount;
  auto* root = new TComponent(nullptr);
  auto* a = new TTestControl(root);
  new TTestControl(a);  // owned by a component that is itself owned
  EXPECT_EQ(root->ComponentCount(), 1);
  EXPECT_EQ(a->Owner(), root);
  EXPECT_EQ(TTestControl::liveCount, before + 2);
  delete root;
  EXPECT_EQ(TTestControl::liveCount, before);
}

TEST(Ownership, DeletingAComponentRemovesItFromItsOwner) {
  TComponent root(nullptr);
  auto* a = new TTestControl(&root);
  auto* b = new TTestControl(&root);
  delete a;
  ASSERT_EQ(root.ComponentCount(), 1);
  EXPECT_EQ(root.Components(0), b);
  EXPECT_EQ(b->ComponentIndex(), 0);
  EXPECT_EQ(root.Components(5), nullptr);
}

TEST(Ownership, NamesAreIdentifiersUniqueAmongSiblings) {
  TComponent root(nullptr);
  auto* a = new TTestControl(&root);
  auto* b = new TTestControl(&root);
  EXPECT_TRUE(a->SetName("Button1"));
  EXPECT_FALSE(b->SetName("button1"));  // taken, regardless of case
  EXPECT_TRUE(b->Name().empty());
  for (const char* bad : {"1abc", "a b", "a-b", "\xC3\xA4"})
    EXPECT_FALSE(b->SetName(bad)) << bad;
  EXPECT_TRUE(b->SetName("_Edit_2"));
  EXPECT_EQ(root.FindComponent("BUTTON1"), a);
  EXPECT_EQ(root.FindComponent("_edit_2"), b);
  EXPECT_EQ(root.FindComponent(""), nullptr);
  EXPECT_TRUE(a->SetName(""));
  EXPECT_EQ(root.FindComponent("Button1"), nullptr);
}

TEST(Ownership, InsertComponentMovesBetweenOwnersAndRefusesCycles) {
  TComponent first(nullptr), second(nullptr);
  auto* c = new TTestControl(&first);
  c->SetName("C");
  auto* taken = new TTestControl(&second);
  taken->SetName("C");
  EXPECT_FALSE(second.InsertComponent(c));  // name taken there
  EXPECT_EQ(c->Owner(), &first);
  taken->SetName("D");
  EXPECT_TRUE(second.InsertComponent(c));
  EXPECT_EQ(c->Owner(), &second);
  EXPECT_EQ(first.ComponentCount(), 0);
  EXPECT_FALSE(c->InsertComponent(&second));  // its own owner
  EXPECT_FALSE(c->InsertComponent(c));
}

TEST(FreeNotification, ReferenceIsClearedWhenTheTargetGoes) {
  TComponent a(nullptr), b(nullptr);  // different owners: only free notification links them
  auto* user = new TTestControl(&a);
  auto* target = new TTestControl(&b);
  user->SetBuddy(target);
  delete target;
  EXPECT_EQ(user->Buddy(), nullptr);
}

TEST(FreeNotification, ReferrerGoingFirstLeavesNothingBehind) {
  TListener target(nullptr);
  auto* user = new TTestControl(nullptr);
  target.FreeNotification(user);
  TComponent* gone = user;
  delete user;
  EXPECT_EQ(target.Removals(gone), 1);
  // The target's own destruction at the end of the scope must not reach the deleted user
  // (the sanitizer build checks it).
}

TEST(FreeNotification, EachPeerHearsOnce) {
  auto* target = new TComponent(nullptr);
  TListener l1(nullptr), l2(nullptr);
  target->FreeNotification(&l1);
  target->FreeNotification(&l1);  // asked twice, told once
  target->FreeNotification(&l2);
  l2.RemoveFreeNotification(target);
  delete target;
  EXPECT_EQ(l1.Removals(target), 1);
  EXPECT_EQ(l2.Removals(target), 0);
}

TEST(FreeNotification, OverrideWithoutBaseCallCannotLoop) {
  auto* target = new TComponent(nullptr);
  TRude rude(nullptr);
  target->FreeNotification(&rude);
  delete target;
  EXPECT_EQ(rude.calls, 1);
}

TEST(Notification, SiblingsHearOfEachOtherThroughTheOwner) {
  TComponent root(nullptr);
  auto* listener = new TListener(&root);
  auto* c = new TTestControl(&root);
  ASSERT_FALSE(listener->heard.empty());
  EXPECT_EQ(listener->heard.back(), std::make_pair(static_cast<TComponent*>(c), opInsert));
  delete c;
  EXPECT_EQ(listener->Removals(c), 1);
}

TEST(Loading, LoadedClearsTheLoadingState) {
  TComponent c(nullptr);
  c.SetComponentState(csLoading | csReading);
  EXPECT_TRUE(c.IsLoading());
  c.Loaded();
  EXPECT_FALSE(c.IsLoading());
}

TEST(MethodTable, FindsBoundEventsByNameRegardlessOfCase) {
  TTestRoot root(nullptr);
  const std::any* m = root.FindMethod("formcreate");
  ASSERT_NE(m, nullptr);
  const TNotifyEvent* e = std::any_cast<TNotifyEvent>(m);
  ASSERT_NE(e, nullptr);
  (*e)(&root);
  EXPECT_EQ(root.created, 1);
  EXPECT_EQ(e->MethodName(), "FormCreate");
  EXPECT_EQ(root.FindMethod("Nope"), nullptr);
}

TEST(ClassRegistry, ClassesAreFoundByNameWithTheirProperties) {
  TTestControl::StaticClass();
  const TClassInfo* cls = FindClass("ttestcontrol");
  ASSERT_NE(cls, nullptr);
  EXPECT_TRUE(cls->InheritsFrom(TComponent::StaticClass()));
  EXPECT_TRUE(cls->CanCreate());
  EXPECT_FALSE(TComponent::StaticClass()->CanCreate());
  ASSERT_NE(cls->FindProperty("tag"), nullptr);  // inherited
  EXPECT_EQ(cls->Properties().front()->Name(), "Tag");
  EXPECT_EQ(cls->FindProperty("Nope"), nullptr);
  TComponent owner(nullptr);
  TComponent* made = cls->Create(&owner);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->ClassName(), "TTestControl");
  EXPECT_EQ(made->Owner(), &owner);
}

TEST(ClassRegistry, SettersRefuseValuesOutsideTheirType) {
  TTestControl c(nullptr);
  const TClassInfo* cls = c.ClassInfo();
  EXPECT_FALSE(cls->FindProperty("Cursor")->SetValue(&c, int64_t(40000)));  // TCursor is 16-bit
  EXPECT_TRUE(cls->FindProperty("Cursor")->SetValue(&c, int64_t(-21)));
  EXPECT_EQ(c.Cursor(), crHandPoint);
  EXPECT_FALSE(cls->FindProperty("Align")->SetValue(&c, int64_t(7)));
  EXPECT_FALSE(cls->FindProperty("Anchors")->SetValue(&c, int64_t(16)));
  EXPECT_FALSE(cls->FindProperty("Ratio")->SetValue(&c, 1e300));
  EXPECT_FALSE(cls->FindProperty("Left")->SetValue(&c, true));  // wrong kind
}
