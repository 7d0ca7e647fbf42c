// ShellExecuteA / ShellExecuteW: the default application opens a file or address.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/display/DisplayBackend.h"
#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"
#include "platform/user/Shell.h"

extern char** environ;

namespace {

HINSTANCE Result(intptr_t code) {
  return reinterpret_cast<HINSTANCE>(code);
}

std::string Text(LPCWSTR s) {
  return s ? kx::Utf16ToUtf8(s) : std::string();
}

// Starts the opener in a session of its own through a shell that backgrounds it and exits
// at once, so the opener is re-parented to init and never becomes our zombie. The shell
// reports whether the opener exists.
HINSTANCE Open(HWND owner, const std::string& verb, const std::string& file,
               const std::string& params, const std::string& dir, int show) {
  if (!verb.empty() && verb != "open") return Result(SE_ERR_NOASSOC);
  if (file.empty()) return Result(SE_ERR_FILENOTFOUND);
  if (auto* b = kx::display::ActiveOrNull(); b && b->Kind() == kx::DisplayKind::Headless) {
    b->RecordShellRequest(owner, verb, file, params, dir, show);
    return Result(42);
  }
  const char* env = std::getenv("KX_SHELL_OPEN");
  std::string opener = env && *env ? env : "xdg-open";
  const char* script =
      "command -v \"$1\" >/dev/null 2>&1 || exit 127; "
      "\"$1\" \"$2\" </dev/null >/dev/null 2>&1 & exit 0";
  const char* argv[] = {"/bin/sh", "-c", script, "sh", opener.c_str(), file.c_str(), nullptr};
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
  pid_t pid = 0;
  int rc = posix_spawn(&pid, "/bin/sh", nullptr, &attr, const_cast<char* const*>(argv), environ);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) return Result(SE_ERR_OOM);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return Result(SE_ERR_NOASSOC);
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return Result(SE_ERR_NOASSOC);
  return Result(42);
}

}  // namespace

HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        int show) {
  // The "A" texts are in the ANSI code page; the opener takes UTF-8 paths.
  auto conv = [](LPCSTR s) { return s ? kx::Utf16ToUtf8(kx::AnsiToUnicode(s)) : std::string(); };
  return Open(owner, conv(verb), conv(file), conv(parameters), conv(directory), show);
}

HINSTANCE ShellExecuteW(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                        LPCWSTR directory, int show) {
  return Open(owner, Text(verb), Text(file), Text(parameters), Text(directory), show);
}
