#include "framework/TypInfo.h"

#include <cstdio>
#include <mutex>

// ---------------------------------------------------------------------------------------
TEnumInfo::TEnumInfo(std::string typeName, std::vector<std::string> names)
    : typeName_(std::move(typeName)), names_(std::move(names)) {}

const std::string& TEnumInfo::Name(int ordinal) const {
  static const std::string empty;
  if (ordinal < 0 || ordinal >= Count()) return empty;
  return names_[size_t(ordinal)];
}

int TEnumInfo::Ordinal(std::string_view name) const {
  if (name.empty()) return -1;
  for (size_t i = 0; i < names_.size(); ++i)
    if (kx::SameText(names_[i], name)) return int(i);
  return -1;
}

TIdentMap::TIdentMap(std::vector<Entry> entries) : entries_(std::move(entries)) {}

bool TIdentMap::IdentToInt(std::string_view name, int32_t* value) const {
  for (const Entry& e : entries_) {
    if (kx::SameText(e.name, name)) {
      if (value) *value = e.value;
      return true;
    }
  }
  return false;
}

bool TIdentMap::IntToIdent(int32_t value, std::string* name) const {
  for (const Entry& e : entries_) {
    if (e.value == value) {
      if (name) *name = e.name;
      return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------------------
const TEnumInfo* AlignInfo() {
  static const TEnumInfo info(
      "TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"});
  return &info;
}
const TEnumInfo* AnchorKindInfo() {
  static const TEnumInfo info("TAnchorKind", {"akLeft", "akTop", "akRight", "akBottom"});
  return &info;
}
const TEnumInfo* AlignmentInfo() {
  static const TEnumInfo info("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
  return &info;
}
const TEnumInfo* TextLayoutInfo() {
  static const TEnumInfo info("TTextLayout", {"tlTop", "tlCenter", "tlBottom"});
  return &info;
}
const TEnumInfo* BorderStyleInfo() {
  static const TEnumInfo info("TBorderStyle", {"bsNone", "bsSingle"});
  return &info;
}
const TEnumInfo* FormBorderStyleInfo() {
  static const TEnumInfo info("TFormBorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog",
                                                   "bsToolWindow", "bsSizeToolWin"});
  return &info;
}
const TEnumInfo* BevelCutInfo() {
  static const TEnumInfo info("TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"});
  return &info;
}
const TEnumInfo* PositionInfo() {
  // Ordinals 2 and 3 have no element in framework/Types.h.
  static const TEnumInfo info(
      "TPosition", {"poDesigned", "poDefault", "", "", "poScreenCenter", "poDesktopCenter",
                    "poMainFormCenter", "poOwnerFormCenter"});
  return &info;
}
const TEnumInfo* FontStyleInfo() {
  static const TEnumInfo info("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  return &info;
}
const TEnumInfo* BooleanInfo() {
  static const TEnumInfo info("Boolean", {"False", "True"});
  return &info;
}
const TEnumInfo* ShiftStateInfo() {
  static const TEnumInfo info("TShiftStateElement", {"ssShift", "ssAlt", "ssCtrl", "ssLeft",
                                                     "ssRight", "ssMiddle", "ssDouble"});
  return &info;
}
const TEnumInfo* MouseButtonInfo() {
  static const TEnumInfo info("TMouseButton", {"mbLeft", "mbRight", "mbMiddle"});
  return &info;
}

const TIdentMap* ColorIdents() {
  static const TIdentMap map({
      {clBlack, "clBlack"},
      {clMaroon, "clMaroon"},
      {clGreen, "clGreen"},
      {clOlive, "clOlive"},
      {clNavy, "clNavy"},
      {clPurple, "clPurple"},
      {clTeal, "clTeal"},
      {clGray, "clGray"},
      {clSilver, "clSilver"},
      {clRed, "clRed"},
      {clLime, "clLime"},
      {clYellow, "clYellow"},
      {clBlue, "clBlue"},
      {clFuchsia, "clFuchsia"},
      {clAqua, "clAqua"},
      {clWhite, "clWhite"},
      {clMoneyGreen, "clMoneyGreen"},
      {clSkyBlue, "clSkyBlue"},
      {clCream, "clCream"},
      {clMedGray, "clMedGray"},
      {clScrollBar, "clScrollBar"},
      {clBackground, "clBackground"},
      {clActiveCaption, "clActiveCaption"},
      {clInactiveCaption, "clInactiveCaption"},
      {clMenu, "clMenu"},
      {clWindow, "clWindow"},
      {clWindowFrame, "clWindowFrame"},
      {clMenuText, "clMenuText"},
      {clWindowText, "clWindowText"},
      {clCaptionText, "clCaptionText"},
      {clActiveBorder, "clActiveBorder"},
      {clInactiveBorder, "clInactiveBorder"},
      {clAppWorkSpace, "clAppWorkSpace"},
      {clHighlight, "clHighlight"},
      {clHighlightText, "clHighlightText"},
      {clBtnFace, "clBtnFace"},
      {clBtnShadow, "clBtnShadow"},
      {clGrayText, "clGrayText"},
      {clBtnText, "clBtnText"},
      {clInactiveCaptionText, "clInactiveCaptionText"},
      {clBtnHighlight, "clBtnHighlight"},
      {cl3DDkShadow, "cl3DDkShadow"},
      {cl3DLight, "cl3DLight"},
      {clInfoText, "clInfoText"},
      {clInfoBk, "clInfoBk"},
      {clHotLight, "clHotLight"},
      {clMenuHighlight, "clMenuHighlight"},
      {clMenuBar, "clMenuBar"},
      {clNone, "clNone"},
      {clDefault, "clDefault"},
  });
  return &map;
}

const TIdentMap* CursorIdents() {
  static const TIdentMap map({
      {crDefault, "crDefault"},
      {crNone, "crNone"},
      {crArrow, "crArrow"},
      {crCross, "crCross"},
      {crIBeam, "crIBeam"},
      {crHourGlass, "crHourGlass"},
      {crNo, "crNo"},
      {crHandPoint, "crHandPoint"},
      {crSizeAll, "crSizeAll"},
  });
  return &map;
}

const TIdentMap* CharsetIdents() {
  static const TIdentMap map({
      {ANSI_CHARSET, "ANSI_CHARSET"},
      {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
      {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
      {77, "MAC_CHARSET"},
      {128, "SHIFTJIS_CHARSET"},
      {129, "HANGEUL_CHARSET"},
      {130, "JOHAB_CHARSET"},
      {134, "GB2312_CHARSET"},
      {136, "CHINESEBIG5_CHARSET"},
      {161, "GREEK_CHARSET"},
      {162, "TURKISH_CHARSET"},
      {163, "VIETNAMESE_CHARSET"},
      {177, "HEBREW_CHARSET"},
      {178, "ARABIC_CHARSET"},
      {186, "BALTIC_CHARSET"},
      {204, "RUSSIAN_CHARSET"},
      {222, "THAI_CHARSET"},
      {238, "EASTEUROPE_CHARSET"},
      {OEM_CHARSET, "OEM_CHARSET"},
  });
  return &map;
}

// ---------------------------------------------------------------------------------------
TPropValue TPropInfo::GetValue(const TObject* obj) const {
  if (!getValue || !obj) return {};
  return getValue(obj);
}

bool TPropInfo::SetValue(TObject* obj, const TPropValue& value) const {
  if (!setValue || !obj) return false;
  return setValue(obj, value);
}

bool TPropInfo::IsStored(const TObject* obj) const {
  if (!obj) return false;
  if (stored && !stored(obj)) return false;
  switch (kind) {
    case TPropKind::Object:
      return static_cast<bool>(getObject) && getObject(obj) != nullptr;
    case TPropKind::Event:
      return static_cast<bool>(getEventName) && !getEventName(obj).empty();
    case TPropKind::Component: {
      TComponent* c = GetComponent(obj);
      return c != nullptr && !c->Name().empty();
    }
    default:
      if (!setValue || !getValue) return false;
      return !HasDefault() || getValue(obj) != defaultValue;
  }
}

TPersistent* TPropInfo::GetObject(const TObject* obj) const {
  return getObject && obj ? getObject(obj) : nullptr;
}

std::string TPropInfo::GetEventName(const TObject* obj) const {
  return getEventName && obj ? getEventName(obj) : std::string();
}

bool TPropInfo::IsEventAssigned(const TObject* obj) const {
  return eventAssigned && obj && eventAssigned(obj);
}

bool TPropInfo::SetEvent(TObject* obj, const std::any& boundEvent) const {
  return setEvent && obj && setEvent(obj, &boundEvent);
}

bool TPropInfo::ClearEvent(TObject* obj) const {
  return setEvent && obj && setEvent(obj, nullptr);
}

TComponent* TPropInfo::GetComponent(const TObject* obj) const {
  return getComponent && obj ? getComponent(obj) : nullptr;
}

bool TPropInfo::SetComponent(TObject* obj, TComponent* component) const {
  return setComponent && obj && setComponent(obj, component);
}

// ---------------------------------------------------------------------------------------
bool TClassInfo::InheritsFrom(const TClassInfo* cls) const {
  for (const TClassInfo* c = this; c; c = c->parent_)
    if (c == cls) return true;
  return false;
}

TComponent* TClassInfo::Create(TComponent* owner) const {
  return factory_ ? factory_(owner) : nullptr;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const {
  for (const TPropInfo* p : all_)
    if (kx::SameText(p->name, name)) return p;
  return nullptr;
}

void TClassInfo::Finish() {
  if (parent_) all_ = parent_->all_;
  for (const auto& own : own_) {
    bool replaced = false;
    for (const TPropInfo*& p : all_) {
      if (kx::SameText(p->name, own->name)) {
        p = own.get();
        replaced = true;
        break;
      }
    }
    if (!replaced) all_.push_back(own.get());
  }
}

// ---------------------------------------------------------------------------------------
namespace {
struct Registry {
  std::mutex mutex;
  std::vector<const TClassInfo*> classes;
};
Registry& TheRegistry() {
  static auto* r = new Registry;  // lives as long as the program, like the class infos
  return *r;
}
}  // namespace

const TClassInfo* FindClass(std::string_view name) {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (const TClassInfo* c : r.classes)
    if (kx::SameText(c->Name(), name)) return c;
  return nullptr;
}

bool RegisterClass(const TClassInfo* info) {
  if (!info) return false;
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  for (const TClassInfo* c : r.classes) {
    if (c == info) return true;
    if (kx::SameText(c->Name(), info->Name())) {
      std::fprintf(stderr, "class %s is registered twice; the first registration stays\n",
                   info->Name().c_str());
      return false;
    }
  }
  r.classes.push_back(info);
  return true;
}

std::vector<const TClassInfo*> RegisteredClasses() {
  Registry& r = TheRegistry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.classes;
}
