// Files, the one-name directory search, attributes, deletion and the thread's last error.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/kernel/Kernel.h"
#include "platform/kernel/Unicode.h"

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

size_t Length(LPCWSTR s) {
  size_t n = 0;
  while (s[n])
    ++n;
  return n;
}

DWORD ErrorFromErrno(int e) {
  switch (e) {
    case 0:
      return ERROR_SUCCESS;
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
      return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
      return ERROR_ACCESS_DENIED;
    case EEXIST:
      return ERROR_FILE_EXISTS;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE:
      return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL:
      return ERROR_INVALID_PARAMETER;
    case EBADF:
      return ERROR_INVALID_HANDLE;
    case ENOTEMPTY:
      return ERROR_DIR_NOT_EMPTY;
    default:
      return ERROR_WRITE_FAULT;
  }
}

void SetErrno() {
  SetLastError(ErrorFromErrno(errno));
}

// A name the file system can take: no NUL inside.
bool ToFsName(LPCWSTR name, std::string* out) {
  if (!name || !*name) {
    SetLastError(name ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return false;
  }
  *out = kx::Utf16ToUtf8(std::u16string_view(name, Length(name)));
  return true;
}

bool AnsiToFsName(LPCSTR name, std::string* out) {
  if (!name || !*name) {
    SetLastError(name ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return false;
  }
  *out = kx::FileSystemName(kx::AnsiToUnicode(name));
  return true;
}

// ASCII and Latin-1 case folding, enough to find the stored spelling of a name on the
// case-insensitive file systems Linux mounts (vfat, exfat, ntfs3, ciopfs).
char16_t Fold(char16_t c) {
  if (c >= u'A' && c <= u'Z') return char16_t(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return char16_t(c + 32);
  return c;
}
bool SameFolded(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

// ---------------------------------------------------------------------------------------
struct FindHandle final : HANDLE__ {};

struct FileHandle final : HANDLE__ {
  static constexpr size_t kBufferSize = 64 * 1024;
  int fd = -1;
  bool canRead = false;
  bool canWrite = false;
  std::vector<char> buffer;  // pending writes, at most kBufferSize
  ~FileHandle() override {
    if (fd >= 0) ::close(fd);
  }

  bool WriteAll(const char* p, size_t n) {
    while (n > 0) {
      ssize_t w = ::write(fd, p, n);
      if (w < 0) {
        if (errno == EINTR) continue;
        SetErrno();
        return false;
      }
      p += w;
      n -= size_t(w);
    }
    return true;
  }
  bool Flush() {
    if (buffer.empty()) return true;
    bool ok = WriteAll(buffer.data(), buffer.size());
    buffer.clear();  // a failed block is dropped: the error is reported once, here
    return ok;
  }
};

FileHandle* AsFile(HANDLE h) {
  if (!h || h == INVALID_HANDLE_VALUE) return nullptr;
  return dynamic_cast<FileHandle*>(h);
}

DWORD AttributesOf(const struct stat& st, bool isLink) {
  DWORD a = 0;
  if (S_ISDIR(st.st_mode)) a |= FILE_ATTRIBUTE_DIRECTORY;
  if (!(st.st_mode & S_IWUSR)) a |= FILE_ATTRIBUTE_READONLY;
  if (isLink) a |= FILE_ATTRIBUTE_REPARSE_POINT;
  if (a == 0) a = FILE_ATTRIBUTE_NORMAL;
  return a;
}

DWORD Attributes(const std::string& fs) {
  struct stat lst {};
  if (::lstat(fs.c_str(), &lst) != 0) {
    SetErrno();
    return INVALID_FILE_ATTRIBUTES;
  }
  bool link = S_ISLNK(lst.st_mode);
  struct stat st = lst;
  if (link && ::stat(fs.c_str(), &st) != 0) {  // a dangling link names nothing
    SetErrno();
    return INVALID_FILE_ATTRIBUTES;
  }
  SetLastError(ERROR_SUCCESS);
  return AttributesOf(st, link);
}

BOOL Delete(const std::string& fs) {
  struct stat st {};
  if (::lstat(fs.c_str(), &st) != 0) {
    SetErrno();
    return FALSE;
  }
  if (S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (::unlink(fs.c_str()) != 0) {
    SetErrno();
    return FALSE;
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

HANDLE Create(const std::string& fs, DWORD access, DWORD disposition) {
  int flags = O_CLOEXEC;
  bool r = access & GENERIC_READ, w = access & GENERIC_WRITE;
  if (r && w)
    flags |= O_RDWR;
  else if (w)
    flags |= O_WRONLY;
  else
    flags |= O_RDONLY;
  bool existed = ::access(fs.c_str(), F_OK) == 0;
  switch (disposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= O_CREAT | O_TRUNC;
      break;
    case OPEN_EXISTING:
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      if (!w) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      flags |= O_TRUNC;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  if ((flags & O_TRUNC) && !w) flags = (flags & ~O_ACCMODE) | O_RDWR;
  int fd = ::open(fs.c_str(), flags, 0666);
  if (fd < 0) {
    SetErrno();
    return INVALID_HANDLE_VALUE;
  }
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  auto* h = new FileHandle;
  h->fd = fd;
  h->canRead = r;
  h->canWrite = w;
  SetLastError((existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS))
                   ? ERROR_ALREADY_EXISTS
                   : ERROR_SUCCESS);
  return h;
}

}  // namespace

DWORD GetLastError() {
  return t_lastError;
}
void SetLastError(DWORD error) {
  t_lastError = error;
}

namespace kx {
std::string FileSystemName(std::u16string_view name) {
  return Utf16ToUtf8(name);
}
}  // namespace kx

// ---------------------------------------------------------------------------------------
HANDLE FindFirstFileW(LPCWSTR name, WIN32_FIND_DATAW* data) {
  std::string fs;
  if (!ToFsName(name, &fs)) return INVALID_HANDLE_VALUE;
  std::u16string_view wname(name, Length(name));
  if (wname.back() == u'/') {  // an empty last segment names no entry
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  struct stat lst {};
  if (::lstat(fs.c_str(), &lst) != 0) {
    SetErrno();
    if (GetLastError() == ERROR_PATH_NOT_FOUND) SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  size_t slash = wname.rfind(u'/');
  std::u16string_view base = slash == std::u16string_view::npos ? wname : wname.substr(slash + 1);
  std::u16string stored(base);
  if (base != u"." && base != u"..") {
    std::string dir = slash == std::u16string_view::npos
                          ? std::string(".")
                          : (slash == 0 ? std::string("/") : fs.substr(0, fs.rfind('/')));
    std::string fsBase = kx::Utf16ToUtf8(base);
    if (DIR* d = ::opendir(dir.c_str())) {
      bool exact = false;
      std::u16string folded;
      while (dirent* e = ::readdir(d)) {
        if (fsBase == e->d_name) {
          exact = true;
          break;
        }
        if (folded.empty()) {
          std::u16string entry = kx::Utf8ToUtf16(e->d_name);
          if (SameFolded(entry, base)) folded = entry;
        }
      }
      ::closedir(d);
      if (!exact && !folded.empty()) stored = folded;
    }
  }
  if (data) {
    *data = WIN32_FIND_DATAW{};
    struct stat st = lst;
    bool link = S_ISLNK(lst.st_mode);
    if (link && ::stat(fs.c_str(), &st) != 0) st = lst;
    data->dwFileAttributes = AttributesOf(st, link);
    data->nFileSize = S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0;
    size_t n = std::min<size_t>(stored.size(), MAX_PATH - 1);
    std::memcpy(data->cFileName, stored.data(), n * sizeof(WCHAR));
    data->cFileName[n] = 0;
  }
  SetLastError(ERROR_SUCCESS);
  return new FindHandle;
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW*) {
  SetLastError(dynamic_cast<FindHandle*>(find) ? ERROR_NO_MORE_FILES : ERROR_INVALID_HANDLE);
  return FALSE;
}

BOOL FindClose(HANDLE find) {
  if (!find || find == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  auto* f = dynamic_cast<FindHandle*>(find);
  if (!f) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  delete f;
  return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR name) {
  std::string fs;
  if (!ToFsName(name, &fs)) return INVALID_FILE_ATTRIBUTES;
  return Attributes(fs);
}

DWORD GetFileAttributesA(LPCSTR name) {
  std::string fs;
  if (!AnsiToFsName(name, &fs)) return INVALID_FILE_ATTRIBUTES;
  return Attributes(fs);
}

BOOL DeleteFileW(LPCWSTR name) {
  std::string fs;
  if (!ToFsName(name, &fs)) return FALSE;
  return Delete(fs);
}

BOOL DeleteFileA(LPCSTR name) {
  std::string fs;
  if (!AnsiToFsName(name, &fs)) return FALSE;
  return Delete(fs);
}

// ---------------------------------------------------------------------------------------
HANDLE CreateFileW(LPCWSTR name, DWORD access, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
  std::string fs;
  if (!ToFsName(name, &fs)) return INVALID_HANDLE_VALUE;
  return Create(fs, access, disposition);
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, void*, DWORD disposition, DWORD, HANDLE) {
  std::string fs;
  if (!AnsiToFsName(name, &fs)) return INVALID_HANDLE_VALUE;
  return Create(fs, access, disposition);
}

BOOL WriteFile(HANDLE file, const void* data, DWORD size, DWORD* written, void*) {
  if (written) *written = 0;
  FileHandle* f = AsFile(file);
  if (!f || !f->canWrite) {
    SetLastError(f ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (size > 0 && !data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const char* p = static_cast<const char*>(data);
  if (f->buffer.size() + size > FileHandle::kBufferSize) {
    if (!f->Flush()) return FALSE;
    if (size >= FileHandle::kBufferSize) {  // a large block goes straight out
      if (!f->WriteAll(p, size)) return FALSE;
      if (written) *written = size;
      SetLastError(ERROR_SUCCESS);
      return TRUE;
    }
  }
  if (f->buffer.capacity() == 0) f->buffer.reserve(FileHandle::kBufferSize);
  f->buffer.insert(f->buffer.end(), p, p + size);
  if (written) *written = size;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL ReadFile(HANDLE file, void* data, DWORD size, DWORD* read, void*) {
  if (read) *read = 0;
  FileHandle* f = AsFile(file);
  if (!f || !f->canRead) {
    SetLastError(f ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!f->Flush()) return FALSE;
  char* p = static_cast<char*>(data);
  DWORD total = 0;
  while (total < size) {
    ssize_t n = ::read(f->fd, p + total, size - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      SetErrno();
      if (read) *read = total;
      return FALSE;
    }
    if (n == 0) break;
    total += DWORD(n);
  }
  if (read) *read = total;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL FlushFileBuffers(HANDLE file) {
  FileHandle* f = AsFile(file);
  if (!f) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (!f->Flush()) return FALSE;
  if (::fsync(f->fd) != 0 && errno != EINVAL && errno != EROFS) {
    SetErrno();
    return FALSE;
  }
  return TRUE;
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD method) {
  FileHandle* f = AsFile(file);
  if (!f) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_SET_FILE_POINTER;
  }
  if (!f->Flush()) return INVALID_SET_FILE_POINTER;
  int64_t dist = distanceHigh ? (int64_t(*distanceHigh) << 32) | uint32_t(distance) : distance;
  int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  if (method > FILE_END) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  off_t pos = ::lseek(f->fd, off_t(dist), whence);
  if (pos < 0) {
    SetErrno();
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = LONG(uint64_t(pos) >> 32);
  SetLastError(ERROR_SUCCESS);
  return DWORD(uint64_t(pos) & 0xFFFFFFFFu);
}

DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) {
  FileHandle* f = AsFile(file);
  if (!f) {
    SetLastError(ERROR_INVALID_HANDLE);
    return INVALID_FILE_SIZE;
  }
  if (!f->Flush()) return INVALID_FILE_SIZE;
  struct stat st {};
  if (::fstat(f->fd, &st) != 0) {
    SetErrno();
    return INVALID_FILE_SIZE;
  }
  uint64_t size = uint64_t(st.st_size);
  if (sizeHigh) *sizeHigh = DWORD(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return DWORD(size & 0xFFFFFFFFu);
}

BOOL CloseHandle(HANDLE handle) {
  if (!handle || handle == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (auto* f = dynamic_cast<FileHandle*>(handle)) {
    bool ok = f->Flush();
    DWORD err = GetLastError();
    int fd = f->fd;
    f->fd = -1;
    if (::close(fd) != 0 && ok) {
      ok = false;
      err = ErrorFromErrno(errno);
    }
    delete f;
    SetLastError(ok ? ERROR_SUCCESS : err);
    return ok ? TRUE : FALSE;
  }
  if (auto* find = dynamic_cast<FindHandle*>(handle)) {
    delete find;
    return TRUE;
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}
