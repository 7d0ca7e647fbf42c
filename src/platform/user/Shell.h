// Opening a document or address with the desktop's default application.
//
// ShellExecuteA / ShellExecuteW with the verb "open" (or null) hand `file` to xdg-open
// (or to the program named by the environment variable KX_SHELL_OPEN), spawned detached in
// a session of its own so that it outlives this process and is never left as a zombie.
// The result is greater than 32 on success (the opener was started), else an error code:
// SE_ERR_FILENOTFOUND for an empty file, SE_ERR_NOASSOC for another verb or when no opener
// exists. With the headless display nothing is spawned: the request is recorded
// (platform/display/Headless.h) and answered with success. `parameters` and `directory`
// are recorded but not passed to the opener; `show` is recorded.
#pragma once

#include "platform/Windows.h"

enum : int {
  SE_ERR_FNF = 2,
  SE_ERR_FILENOTFOUND = 2,
  SE_ERR_ACCESSDENIED = 5,
  SE_ERR_OOM = 8,
  SE_ERR_NOASSOC = 31,
};

HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int show);
HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR directory, int show);
