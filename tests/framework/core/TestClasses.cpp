#include "TestClasses.h"

int TTestControl::liveCount = 0;

const TClassInfo* TTestFont::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TTestFont>("TTestFont", TPersistent::StaticClass())
          .String("Name", &TTestFont::Name, &TTestFont::SetName, u"Tahoma")
          .Integer("Height", &TTestFont::Height, &TTestFont::SetHeight, -11)
          .Set("Style", &TTestFont::Style, &TTestFont::SetStyle, FontStyleInfo(), TFontStyles{})
          .Color("Color", &TTestFont::Color, &TTestFont::SetColor, clWindowText)
          .Build();
  return info;
}

const TClassInfo* TTestControl::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TTestControl>("TTestControl", TComponent::StaticClass())
          .Factory()
          .Integer("Left", &TTestControl::Left, &TTestControl::SetLeft, 0)
          .String("Caption", &TTestControl::Caption, &TTestControl::SetCaption, u"")
          .Bool("Visible", &TTestControl::Visible, &TTestControl::SetVisible, true)
          .Enum("Align", &TTestControl::Align, &TTestControl::SetAlign, AlignInfo(), alNone)
          .Set("Anchors", &TTestControl::Anchors, &TTestControl::SetAnchors, AnchorKindInfo(),
               DefaultAnchors)
          .Color("Color", &TTestControl::Color, &TTestControl::SetColor, clBtnFace)
          .Integer("Cursor", &TTestControl::Cursor, &TTestControl::SetCursor, crDefault,
                   CursorIdents())
          .Float("Ratio", &TTestControl::Ratio, &TTestControl::SetRatio)
          .Double("Scale", &TTestControl::Scale, &TTestControl::SetScale, 1.0)
          .AnsiString("URL", &TTestControl::URL, &TTestControl::SetURL, "")
          .Object("Font", &TTestControl::Font)
          .Event<TNotifyEvent>("OnClick", &TTestControl::OnClick, &TTestControl::SetOnClick)
          .Component("Buddy", &TTestControl::Buddy, &TTestControl::SetBuddy)
          .Build();
  return info;
}

TTestControl::TTestControl(TComponent* owner) : TComponent(owner) {
  ++liveCount;
}
TTestControl::~TTestControl() {
  SetBuddy(nullptr);
  --liveCount;
}

void TTestControl::SetBuddy(TTestControl* b) {
  if (buddy_) buddy_->RemoveFreeNotification(this);
  buddy_ = b;
  if (buddy_) buddy_->FreeNotification(this);
  if (IsLoading()) loadingDuringSetters = true;
}

void TTestControl::Notification(TComponent* c, TOperation op) {
  TComponent::Notification(c, op);
  if (op == opRemove && c == buddy_) buddy_ = nullptr;
}

void TTestControl::Loaded() {
  TComponent::Loaded();
  ++loadedCalls;
  leftAtLoaded = left_;
  if (auto* root = dynamic_cast<TTestRoot*>(Owner())) root->loadOrder.push_back(Name());
}

const TClassInfo* TTestRoot::StaticClass() {
  static const TClassInfo* info =
      TClassBuilder<TTestRoot>("TTestRoot", TComponent::StaticClass())
          .String("Caption", &TTestRoot::Caption, &TTestRoot::SetCaption, u"")
          .Event<TNotifyEvent>("OnCreate", &TTestRoot::OnCreate, &TTestRoot::SetOnCreate)
          .Build();
  return info;
}

TTestRoot::TTestRoot(TComponent* owner) : TComponent(owner) {
  TTestControl::StaticClass();
  RegisterMethod("FormCreate", TNotifyEvent::Bind(this, &TTestRoot::FormCreate, "FormCreate"));
  RegisterMethod("ButtonClick", TNotifyEvent::Bind(this, &TTestRoot::ButtonClick, "ButtonClick"));
  RegisterMethod("WrongType",
                 TEvent<TObject*, int>::Bind(this, &TTestRoot::WrongType, "WrongType"));
}

void TTestRoot::Loaded() {
  TComponent::Loaded();
  loadOrder.push_back(Name());
}
