// The editor's commands and its key-binding table.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/Types.h"

enum TEditorCommand : uint16_t {
  ecNone = 0,
  ecLeft,
  ecSelLeft,
  ecWordLeft,
  ecSelWordLeft,
  ecRight,
  ecSelRight,
  ecWordRight,
  ecSelWordRight,
  ecUp,
  ecSelUp,
  ecDown,
  ecSelDown,
  ecPageUp,
  ecSelPageUp,
  ecPageDown,
  ecSelPageDown,
  ecLineStart,
  ecSelLineStart,
  ecEditorTop,
  ecSelEditorTop,
  ecLineEnd,
  ecSelLineEnd,
  ecEditorBottom,
  ecSelEditorBottom,
  ecLineBreak,
  ecTab,
  ecDeleteLastChar,
  ecDeleteLastWord,
  ecUndo,
  ecRedo,
  ecDeleteChar,
  ecDeleteWord,
  ecCut,
  ecCopy,
  ecPaste,
  ecSelectAll,
  ecBlockIndent,
  ecBlockUnindent,
  ecSetMarker0,  // ecSetMarker0 + n sets bookmark n (0 to 9)
  ecGotoMarker0 = ecSetMarker0 + 10,
  ecCommandLast = ecGotoMarker0 + 10
};

// The modifier keys a binding distinguishes; mouse buttons and double-click are ignored.
constexpr TShiftState KeyShiftMask = ShiftBit(ssShift) | ShiftBit(ssAlt) | ShiftBit(ssCtrl);

struct TKeyCommand {
  WORD Key = 0;
  TShiftState Shift = 0;
  WORD Key2 = 0;  // 0: a one-key binding
  TShiftState Shift2 = 0;
  TEditorCommand Command = ecNone;
};

// The binding table and the state of a pending two-key binding.
class TKeyCommandList {
 public:
  TKeyCommandList() { ResetDefaults(); }

  void ResetDefaults();
  void Clear() { items_.clear(), pending_ = false; }
  void Add(WORD key, TShiftState shift, TEditorCommand command, WORD key2 = 0,
           TShiftState shift2 = 0);
  int Count() const { return int(items_.size()); }
  const TKeyCommand& Items(int i) const { return items_[size_t(i)]; }

  enum class TMatch { None, Pending, Command };
  // Looks the key up. A key that begins a two-key binding is remembered (Pending) and
  // the next call completes it; the second key matches with or without Ctrl held. A
  // second key that completes nothing cancels the pending binding and is looked up on
  // its own.
  TMatch Translate(WORD key, TShiftState shift, TEditorCommand& command);
  bool PendingFirstKey() const { return pending_; }
  void CancelPending() { pending_ = false; }

 private:
  std::vector<TKeyCommand> items_;
  bool pending_ = false;
  WORD firstKey_ = 0;
  TShiftState firstShift_ = 0;
};
