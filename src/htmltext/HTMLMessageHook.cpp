#include "htmltext/HTMLMessageHook.h"

#include <algorithm>
#include <vector>

namespace {

struct HookEntry {
  TControl* control;
  THTMLMessageHook* hook;
};

// Every attached hook, on the user-interface thread only.
std::vector<HookEntry>& Hooks() {
  static std::vector<HookEntry> hooks;
  return hooks;
}

}  // namespace

THTMLMessageHook::THTMLMessageHook(Callback callback) : FCallback(std::move(callback)) {}

THTMLMessageHook::~THTMLMessageHook() {
  Detach();
}

void THTMLMessageHook::Attach(TControl* control) {
  Detach();
  if (!control) return;
  FControl = control;
  Hooks().push_back({control, this});
}

void THTMLMessageHook::Detach() {
  if (!FControl) return;
  auto& hooks = Hooks();
  hooks.erase(std::remove_if(hooks.begin(), hooks.end(),
                             [this](const HookEntry& e) { return e.hook == this; }),
              hooks.end());
  FControl = nullptr;
}

void THTMLMessageHook::Dispatch(TControl* control, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!control) return;
  // A callback may attach or detach hooks: collect first, then check each is still there.
  std::vector<THTMLMessageHook*> targets;
  for (const auto& e : Hooks())
    if (e.control == control) targets.push_back(e.hook);
  for (THTMLMessageHook* h : targets) {
    const auto& hooks = Hooks();
    const bool still = std::any_of(hooks.begin(), hooks.end(), [&](const HookEntry& e) {
      return e.hook == h && e.control == control;
    });
    if (still && h->FCallback) h->FCallback(msg, wParam, lParam);
  }
}

bool THTMLMessageHook::IsHooked(const TControl* control) {
  const auto& hooks = Hooks();
  return std::any_of(hooks.begin(), hooks.end(),
                     [&](const HookEntry& e) { return e.control == control; });
}
