// The download target folder: the user's temporary folder in its absolute, stored form.
#pragma once

#include <string_view>

#include "framework/Types.h"

namespace kx::wizard {

// The temporary-folder reference and the folder used when it names no folder.
inline constexpr char16_t kTempDirReference[] = u"%TMPDIR%";
inline constexpr char16_t kFallbackTempDir[] = u"/tmp/";

// Expands kTempDirReference, trims characters up to code 32 from both ends, and returns
// its long, absolute form with a trailing "/" when it names an existing folder (a link to a
// folder counts); kFallbackTempDir otherwise. Reads the environment and the file system
// anew on each call.
TUnicodeString GetTempDir();

// Appends the absolute form of `path` to `result` (the caller passes it empty), each
// leading component that exists in the spelling the file system stores, and from the first
// component that cannot be found on, the rest as written.
void ExpandLongPath(TUnicodeString path, TUnicodeString& result);

}  // namespace kx::wizard
