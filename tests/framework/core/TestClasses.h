// Small component classes with one property of every kind, for the component and
// streaming tests.
#pragma once

#include <string>
#include <vector>

#include "framework/Classes.h"
#include "framework/TypInfo.h"

class TTestFont : public TPersistent {
  KX_DECLARE_CLASS(TTestFont)
 public:
  const TUnicodeString& Name() const { return name_; }
  void SetName(const TUnicodeString& v) { name_ = v; }
  int Height() const { return height_; }
  void SetHeight(int v) { height_ = v; }
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles v) { style_ = v; }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { color_ = v; }

 private:
  TUnicodeString name_ = u"Tahoma";
  int height_ = -11;
  TFontStyles style_;
  TColor color_ = clWindowText;
};

class TTestControl : public TComponent {
  KX_DECLARE_CLASS(TTestControl)
 public:
  explicit TTestControl(TComponent* owner);
  ~TTestControl() override;

  static int liveCount;

  int Left() const { return left_; }
  void SetLeft(int v) { left_ = v; }
  const TUnicodeString& Caption() const { return caption_; }
  void SetCaption(const TUnicodeString& v) { caption_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v) { align_ = v; }
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors v) { anchors_ = v; }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor v) { cursor_ = v; }
  float Ratio() const { return ratio_; }
  void SetRatio(float v) { ratio_ = v; }
  double Scale() const { return scale_; }
  void SetScale(double v) { scale_ = v; }
  const AnsiString& URL() const { return url_; }
  void SetURL(const AnsiString& v) { url_ = v; }
  TTestFont* Font() { return &font_; }
  const TNotifyEvent& OnClick() const { return onClick_; }
  void SetOnClick(TNotifyEvent e) { onClick_ = std::move(e); }
  TTestControl* Buddy() const { return buddy_; }
  void SetBuddy(TTestControl* b);

  void SetParentComponent(TComponent* parent) override { parent_ = parent; }
  TComponent* GetParentComponent() const override { return parent_; }
  bool HasParent() const override { return true; }
  void Notification(TComponent* c, TOperation op) override;
  void Loaded() override;

  // What the setters and Loaded saw.
  bool loadingDuringSetters = false;
  bool parentBeforeProperties = false;
  int loadedCalls = 0;
  int leftAtLoaded = 0;

 private:
  TComponent* parent_ = nullptr;
  int left_ = 0;
  TUnicodeString caption_;
  bool visible_ = true;
  TAlign align_ = alNone;
  TAnchors anchors_ = DefaultAnchors;
  TColor color_ = clBtnFace;
  TCursor cursor_ = crDefault;
  float ratio_ = 0;
  double scale_ = 1.0;
  AnsiString url_;
  TTestFont font_;
  TNotifyEvent onClick_;
  TTestControl* buddy_ = nullptr;
};

class TTestRoot : public TComponent {
  KX_DECLARE_CLASS(TTestRoot)
 public:
  explicit TTestRoot(TComponent* owner);
  const TUnicodeString& Caption() const { return caption_; }
  void SetCaption(const TUnicodeString& v) { caption_ = v; }
  const TNotifyEvent& OnCreate() const { return onCreate_; }
  void SetOnCreate(TNotifyEvent e) { onCreate_ = std::move(e); }
  void Loaded() override;

  void FormCreate(TObject*) { ++created; }
  void ButtonClick(TObject*) { ++clicks; }
  void WrongType(TObject*, int) {}

  int created = 0;
  int clicks = 0;
  std::vector<std::string> loadOrder;

 private:
  TUnicodeString caption_;
  TNotifyEvent onCreate_;
};
