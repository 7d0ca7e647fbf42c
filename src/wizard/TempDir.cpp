#include "wizard/TempDir.h"

#include <vector>

#include "platform/kernel/Kernel.h"

namespace kx::wizard {

TUnicodeString GetTempDir() {
  // The classic 260-character buffer; a longer value gets a buffer of its size rather than
  // being cut, since a cut path would name some other folder.
  std::vector<WCHAR> buffer(MAX_PATH);
  DWORD needed = ExpandEnvironmentStringsW(kTempDirReference, buffer.data(), DWORD(buffer.size()));
  if (needed > buffer.size()) {
    buffer.assign(needed, 0);
    needed = ExpandEnvironmentStringsW(kTempDirReference, buffer.data(), DWORD(buffer.size()));
  }
  TUnicodeString value =
      needed == 0 || needed > buffer.size() ? TUnicodeString() : TUnicodeString(buffer.data());

  size_t begin = 0, end = value.size();
  while (begin < end && value[begin] <= 32)
    ++begin;
  while (end > begin && value[end - 1] <= 32)
    --end;
  value = value.substr(begin, end - begin);

  TUnicodeString result;
  ExpandLongPath(value, result);
  const DWORD attributes =
      result.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(result.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    if (result.back() != u'/') result.push_back(u'/');
    return result;
  }
  return kFallbackTempDir;
}

void ExpandLongPath(TUnicodeString path, TUnicodeString& result) {
  path = kx::FullPathName(path);

  size_t sep = path.find(u'/');
  if (sep != TUnicodeString::npos) {
    result.append(path, 0, sep + 1);
    path.erase(0, sep + 1);
  }

  while (!path.empty()) {
    sep = path.find(u'/');
    const bool folder = sep != TUnicodeString::npos;
    const TUnicodeString component = folder ? path.substr(0, sep) : path;

    const TUnicodeString searchName = result + component;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(searchName.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
      result += path;
      return;
    }
    result += data.cFileName;
    if (folder) result.push_back(u'/');
    FindClose(find);

    path.erase(0, folder ? sep + 1 : path.size());
  }
}

}  // namespace kx::wizard
