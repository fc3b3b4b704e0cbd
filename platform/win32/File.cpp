// Files on Windows. Every open shares reading, writing and deletion, so several writers can hold
// the same log open; LockFileEx ranges then keep them out of each other's way.
#include <string>

#include "platform/File.h"
#include "platform/Platform.h"
#include "platform/win32/WindowsApi.h"

namespace hv::platform {
namespace {

HANDLE Native(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

OVERLAPPED RangeStart(int64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xFFFFFFFFu);
  at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  return at;
}

DWORD Low(int64_t value) { return static_cast<DWORD>(static_cast<uint64_t>(value) & 0xFFFFFFFFu); }
DWORD High(int64_t value) { return static_cast<DWORD>(static_cast<uint64_t>(value) >> 32); }

}  // namespace

File::~File() { Close(); }

SystemError CurrentSystemError() {
  const DWORD code = GetLastError();
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return {SystemError::Kind::kNotFound, static_cast<int32_t>(code)};
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return {SystemError::Kind::kAlreadyExists, static_cast<int32_t>(code)};
    default:
      return {SystemError::Kind::kOther, static_cast<int32_t>(code)};
  }
}

bool File::OpenExisting(const char16_t* path, bool writable) {
  Close();
  const DWORD access = writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  HANDLE h = CreateFileW(win32::AsWide(path), access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    // A directory cannot be opened this way; say what it is rather than "access denied".
    const SystemError error = CurrentSystemError();
    const DWORD attributes = GetFileAttributesW(win32::AsWide(path));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      return Fail(SystemError::Kind::kNotAPlainFile);
    }
    error_ = error;
    return false;
  }
  if (GetFileType(h) != FILE_TYPE_DISK) {
    CloseHandle(h);
    return Fail(SystemError::Kind::kNotAPlainFile);
  }
  handle_ = reinterpret_cast<intptr_t>(h);
  return true;
}

bool File::CreateNew(const char16_t* path) {
  Close();
  HANDLE h = CreateFileW(win32::AsWide(path), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return Fail();
  handle_ = reinterpret_cast<intptr_t>(h);
  return true;
}

bool File::Size(int64_t* size) {
  LARGE_INTEGER value{};
  if (!GetFileSizeEx(Native(handle_), &value)) return Fail();
  *size = static_cast<int64_t>(value.QuadPart);
  return true;
}

bool File::ReadAt(int64_t offset, void* buffer, int32_t count, int32_t* done) {
  *done = 0;
  if (count <= 0) return true;
  OVERLAPPED at = RangeStart(offset);
  DWORD n = 0;
  if (!ReadFile(Native(handle_), buffer, static_cast<DWORD>(count), &n, &at)) {
    // Reading at or past the end is no failure: it reads nothing.
    if (GetLastError() == ERROR_HANDLE_EOF) return true;
    return Fail();
  }
  *done = static_cast<int32_t>(n);
  return true;
}

bool File::WriteAt(int64_t offset, const void* buffer, int32_t count, int32_t* done) {
  *done = 0;
  if (count <= 0) return true;
  OVERLAPPED at = RangeStart(offset);
  DWORD n = 0;
  if (!WriteFile(Native(handle_), buffer, static_cast<DWORD>(count), &n, &at)) return Fail();
  if (n == 0) return Fail(SystemError::Kind::kOther, ERROR_DISK_FULL);
  *done = static_cast<int32_t>(n);
  return true;
}

bool File::Lock(int64_t offset, int64_t length, bool exclusive) {
  if (length < 1 || offset < 0) return Fail(SystemError::Kind::kOther, ERROR_INVALID_PARAMETER);
  // Without LOCKFILE_FAIL_IMMEDIATELY the call waits until the range is free.
  OVERLAPPED at = RangeStart(offset);
  if (!LockFileEx(Native(handle_), exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0, Low(length),
                  High(length), &at)) {
    return Fail();
  }
  return true;
}

bool File::Unlock(int64_t offset, int64_t length) {
  if (length < 1 || offset < 0) return Fail(SystemError::Kind::kOther, ERROR_INVALID_PARAMETER);
  OVERLAPPED at = RangeStart(offset);
  if (!UnlockFileEx(Native(handle_), 0, Low(length), High(length), &at)) return Fail();
  return true;
}

bool File::Close() {
  if (handle_ == kNoHandle) return true;
  HANDLE h = Native(handle_);
  handle_ = kNoHandle;
  if (!CloseHandle(h)) return Fail();
  return true;
}

bool RemoveFile(const char16_t* path, SystemError* error) {
  if (DeleteFileW(win32::AsWide(path))) return true;
  *error = CurrentSystemError();
  return false;
}

std::u16string Describe(const SystemError& error) {
  if (error.kind == SystemError::Kind::kNotAPlainFile) {
    return u"not a plain file (a directory, pipe or device)";
  }
  const auto code = static_cast<DWORD>(error.code);
  wchar_t buffer[512] = {};
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, buffer, 512, nullptr);
  std::u16string text(reinterpret_cast<const char16_t*>(buffer), n);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) {
    text.pop_back();
  }
  if (text.empty()) text = u"system error " + Decimal(code);
  return text;
}

}  // namespace hv::platform
