// Kernel services of the operating-system stand-in: the system language, environment
// expansion, paths, the one-name directory search, file attributes, files, the ANSI code
// page and the clock.
//
// Text: the "W" operations take UTF-16; file names and environment values are UTF-8 on the
// system side. The "A" operations take 8-bit text in the ANSI code page. Every operation reports
// failure through its return value and GetLastError, never by throwing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Windows.h"

// ---------------------------------------------------------------------------------------
// Error codes (GetLastError)
enum : DWORD {
  ERROR_SUCCESS = 0,
  ERROR_FILE_NOT_FOUND = 2,
  ERROR_PATH_NOT_FOUND = 3,
  ERROR_TOO_MANY_OPEN_FILES = 4,
  ERROR_ACCESS_DENIED = 5,
  ERROR_INVALID_HANDLE = 6,
  ERROR_NOT_ENOUGH_MEMORY = 8,
  ERROR_NO_MORE_FILES = 18,
  ERROR_WRITE_FAULT = 29,
  ERROR_READ_FAULT = 30,
  ERROR_SHARING_VIOLATION = 32,
  ERROR_HANDLE_EOF = 38,
  ERROR_FILE_EXISTS = 80,
  ERROR_INVALID_PARAMETER = 87,
  ERROR_DISK_FULL = 112,
  ERROR_INSUFFICIENT_BUFFER = 122,
  ERROR_INVALID_NAME = 123,
  ERROR_DIR_NOT_EMPTY = 145,
  ERROR_ALREADY_EXISTS = 183,
  ERROR_FILENAME_EXCED_RANGE = 206,
  ERROR_ENVVAR_NOT_FOUND = 203,
  ERROR_DIRECTORY = 267,
};

DWORD GetLastError();
void SetLastError(DWORD error);

// ---------------------------------------------------------------------------------------
// System language.
//
// The system locale is LANG= in /etc/locale.conf, then in /etc/default/locale. When neither
// sets it, the process locale decides (LC_ALL, LC_MESSAGES, LANG, the first one set). When
// nothing is set, the result is English (United States). The locale maps to a language
// identifier: primary language in the low 10 bits, sublanguage from the territory above
// them (de_DE 0x0407, de_CH 0x0807, de_AT 0x0C07, en_US 0x0409, en_GB 0x0809, fr_FR
// 0x040C). "C", "POSIX" and languages without an identifier give English (United States).
LANGID GetSystemDefaultLangID();

namespace kx {
// Maps a locale name ("de_AT.UTF-8@euro", "en", "C") to its language identifier.
LANGID LangIdFromLocaleName(std::string_view locale);
// The locale name GetSystemDefaultLangID decides by ("" when nothing is set).
std::string SystemLocaleName();
// Test seam: the system locale files read by GetSystemDefaultLangID, in order. An empty
// list reads no files. The program itself never calls this.
void SetLocaleFilesForTesting(std::vector<std::string> files);
// Restores the real files (/etc/locale.conf, /etc/default/locale).
void ResetLocaleFilesForTesting();
}  // namespace kx

// ---------------------------------------------------------------------------------------
// Environment. %NAME% is replaced by the variable's value; a name that is not set stays as
// written, percent signs included, and scanning goes on after it. A lone "%" is kept.
// Returns the characters needed including the terminating NUL; when that exceeds `size`,
// `dst` receives as much as fits (NUL-terminated when size > 0). 0 on failure.
DWORD ExpandEnvironmentStringsW(LPCWSTR src, LPWSTR dst, DWORD size);
DWORD GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size);

namespace kx {
std::u16string ExpandEnvironmentStrings(std::u16string_view src);
}  // namespace kx

// ---------------------------------------------------------------------------------------
// Paths. The separator is "/". The full path is absolute (relative names are resolved
// against the current directory) and normalised lexically: "." segments and repeated
// separators are dropped, ".." removes the segment before it (never above the root), and
// links are not resolved. A trailing separator is kept. A leading "//" is kept as written.
//
// GetFullPathNameW returns the length without the NUL when it fits into `bufLen`, else the
// size needed including the NUL; 0 on failure (empty name). *filePart, if given, points at
// the last segment inside `buf` (nullptr when the path ends with "/").
DWORD GetFullPathNameW(LPCWSTR name, DWORD bufLen, LPWSTR buf, LPWSTR* filePart);
DWORD GetCurrentDirectoryW(DWORD bufLen, LPWSTR buf);

namespace kx {
std::u16string FullPathName(std::u16string_view name);
}  // namespace kx

// The one-name directory search. `name` is taken literally (no wildcards). On success the
// returned handle is open until FindClose, and data->cFileName is the last segment as the
// directory stores it (on a case-insensitive file system, the stored spelling). A name
// ending with "/" or naming the root finds nothing. INVALID_HANDLE_VALUE on failure.
HANDLE FindFirstFileW(LPCWSTR name, WIN32_FIND_DATAW* data);
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data);  // always FALSE, ERROR_NO_MORE_FILES
BOOL FindClose(HANDLE find);

// Attributes of the named entry with links followed: FILE_ATTRIBUTE_DIRECTORY for a folder
// (or a link to one), FILE_ATTRIBUTE_READONLY when the owner may not write,
// FILE_ATTRIBUTE_REPARSE_POINT when the name itself is a link, and FILE_ATTRIBUTE_NORMAL
// alone when none of these applies. INVALID_FILE_ATTRIBUTES when it does not exist (a
// dangling link does not exist).
DWORD GetFileAttributesW(LPCWSTR name);
DWORD GetFileAttributesA(LPCSTR name);

// Deletes a file (or a link); a folder is refused with ERROR_ACCESS_DENIED.
BOOL DeleteFileW(LPCWSTR name);
BOOL DeleteFileA(LPCSTR name);

// ---------------------------------------------------------------------------------------
// Files. A file handle owns a file descriptor and a write buffer: WriteFile copies into the
// buffer and writes it out when full, so small writes cost no system call each. Data still
// buffered is written by FlushFileBuffers, ReadFile, SetFilePointer and CloseHandle; a
// failure then is reported by that call (CloseHandle returns FALSE), so a writer must check
// CloseHandle. Handles are for one thread at a time.
enum : DWORD {
  GENERIC_READ = 0x80000000,
  GENERIC_WRITE = 0x40000000,
};
enum : DWORD { FILE_SHARE_READ = 1, FILE_SHARE_WRITE = 2, FILE_SHARE_DELETE = 4 };
enum : DWORD {
  CREATE_NEW = 1,
  CREATE_ALWAYS = 2,
  OPEN_EXISTING = 3,
  OPEN_ALWAYS = 4,
  TRUNCATE_EXISTING = 5,
};
enum : DWORD { FILE_BEGIN = 0, FILE_CURRENT = 1, FILE_END = 2 };
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

// `security` and `templateFile` are ignored; `flags` may carry FILE_ATTRIBUTE_* (ignored).
// CREATE_ALWAYS and OPEN_ALWAYS on an existing file set ERROR_ALREADY_EXISTS and succeed.
// Opening a folder fails with ERROR_ACCESS_DENIED.
HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD shareMode, void* security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, void* security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written, void* overlapped);
// Reading at the end succeeds with *read = 0.
BOOL ReadFile(HANDLE file, void* data, DWORD size, DWORD* read, void* overlapped);
BOOL FlushFileBuffers(HANDLE file);
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method);
DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
// Closes a file handle (writing what is buffered) or a find handle.
BOOL CloseHandle(HANDLE handle);

namespace kx {
// Owns a kernel handle and closes it when it goes away.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) {
      Close();
      h_ = o.Release();
    }
    return *this;
  }
  ~UniqueHandle() { Close(); }

  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return Valid(); }
  HANDLE Release() {
    HANDLE h = h_;
    h_ = nullptr;
    return h;
  }
  // Closes now; returns what CloseHandle returned (true when nothing was open).
  bool Close() {
    bool ok = true;
    if (Valid()) ok = ::CloseHandle(h_) != FALSE;
    h_ = nullptr;
    return ok;
  }

 private:
  HANDLE h_ = nullptr;
};

// The UTF-8 file-system name of a UTF-16 path.
std::string FileSystemName(std::u16string_view name);
}  // namespace kx

// ---------------------------------------------------------------------------------------
// The ANSI code page: the process locale's character set (the codeset of LC_ALL, LC_CTYPE
// or LANG, e.g. "de_DE.ISO-8859-1"), UTF-8 when none is named. Converted with iconv; a
// character the code page cannot represent becomes "?", and a byte sequence that is not
// valid in it becomes U+FFFD.
namespace kx {
std::string UnicodeToAnsi(std::u16string_view text);
std::u16string AnsiToUnicode(std::string_view text);
// The iconv name of the ANSI code page ("UTF-8", "ISO-8859-1", ...).
std::string AnsiCodePage();
// Test seam: forces the ANSI code page ("" returns to the locale's).
void SetAnsiCodePageForTesting(std::string charset);
}  // namespace kx

// ---------------------------------------------------------------------------------------
// Clock. GetTickCount is milliseconds since an arbitrary start, wrapping after 49.7 days.
// The virtual clock, for tests and tools, stands still until AdvanceVirtualClock moves it;
// switching it on starts it at kx::VirtualClockStart. Every thread sees the same clock.
DWORD GetTickCount();
uint64_t GetTickCount64();
// The calling thread's identifier (the kernel thread id); never 0.
DWORD GetCurrentThreadId();
// Blocks the calling thread for `ms` milliseconds of real time, also on the virtual clock
// (it paces threads; it does not wait for the clock).
void Sleep(DWORD ms);

namespace kx {
constexpr uint64_t VirtualClockStart = 1000;
void UseVirtualClock(bool on);
bool IsVirtualClock();
// Moves the virtual clock forward by `ms` and then calls the advance hook (no effect on the
// real clock).
void AdvanceVirtualClock(uint32_t ms);
// Called (on the advancing thread) after every AdvanceVirtualClock, e.g. to wake message
// queues waiting for a timer. An empty function removes it.
void SetClockAdvanceHook(std::function<void()> hook);
// Spins on the calling thread until done() holds or `limitUs` microseconds of real time
// have passed; true when done() held. For waits that usually end within microseconds,
// where sleeping and being woken would cost more than the wait itself.
bool SpinUntil(const std::function<bool()>& done, uint32_t limitUs);
// One turn of a spin loop: tells the processor so, which lets a sibling hardware thread run.
inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  asm volatile("yield");
#endif
}
}  // namespace kx
