#include "log/FileStream.h"

#include "core/Exception.h"

namespace hv {

FileStream::FileStream(const char16_t* path, Mode mode, const StreamSettings& settings)
    : LogStream(path != nullptr ? path : u"", settings) {
  const bool opened = mode == Mode::kCreateNew
                          ? file_.CreateNew(Name().c_str())
                          : file_.OpenExisting(Name().c_str(), mode == Mode::kReadWrite);
  if (!opened)
    Raise(mode == Mode::kCreateNew ? u"cannot create" : u"cannot open", file_.LastError());
}

void FileStream::Raise(const char16_t* operation, const platform::SystemError& error) const {
  throw EStream(error.code, platform::FailureText(Name(), operation, error).c_str());
}

void FileStream::Close() {
  if (!file_.IsOpen()) return;
  try {
    Flush();
  } catch (...) {
    file_.Close();
    throw;
  }
  if (!file_.Close()) Raise(u"cannot close", file_.LastError());
}

void FileStream::LockRange(int64_t length, bool exclusive) {
  if (!file_.Lock(0, length, exclusive)) Raise(u"cannot lock", file_.LastError());
}

void FileStream::UnlockRange(int64_t length) {
  if (!file_.Unlock(0, length)) Raise(u"cannot unlock", file_.LastError());
}

int64_t FileStream::SizeRaw() {
  int64_t size = 0;
  if (!file_.Size(&size)) Raise(u"cannot read the size", file_.LastError());
  return size;
}

int32_t FileStream::ReadRawAt(int64_t offset, void* buffer, int32_t count) {
  int32_t done = 0;
  if (!file_.ReadAt(offset, buffer, count, &done)) Raise(u"cannot read", file_.LastError());
  return done;
}

int32_t FileStream::WriteRawAt(int64_t offset, const void* buffer, int32_t count) {
  int32_t done = 0;
  if (!file_.WriteAt(offset, buffer, count, &done)) Raise(u"cannot write", file_.LastError());
  return done;
}

}  // namespace hv
