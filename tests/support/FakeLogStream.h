// An in-memory log stream whose file outlives it, with faults a test can arm and a record of the
// raw calls and locks it saw.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Exception.h"
#include "log/LogStream.h"

namespace hv::testing {

struct FakeFile {
  enum class Op { kSize, kRead, kWrite };
  enum class Fault { kStream, kOther };

  std::vector<uint8_t> data;
  int32_t maxWrite = INT32_MAX;  // the most bytes one raw write accepts
  bool sink = false;             // writes are counted, not stored (for huge transfers)

  // The `failAfter`-th call (from 0) of `failOp` raises, once.
  Op failOp = Op::kWrite;
  int failAfter = -1;
  Fault fault = Fault::kStream;

  int64_t position = 0;                                // where the last raw transfer ended
  std::vector<int32_t> rawReads;                       // counts asked
  std::vector<std::pair<int64_t, int32_t>> rawWrites;  // offset, bytes accepted
  bool locked = false;
  bool lockExclusive = false;
  int64_t lockedLength = 0;
  int locks = 0;
  std::vector<uint8_t> atUnlock;  // the file as the last unlock left it

  void MaybeFail(Op op) {
    if (op != failOp || failAfter < 0) return;
    if (failAfter-- > 0) return;
    if (fault == Fault::kStream) throw EStream(5, u"fake.log: injected failure");
    throw std::runtime_error("injected failure");
  }
};

class FakeLogStream final : public LogStream {
 public:
  explicit FakeLogStream(std::shared_ptr<FakeFile> file, const StreamSettings& settings = {})
      : LogStream(u"fake.log", settings), file_(std::move(file)) {}

  void LockRange(int64_t length, bool exclusive) override {
    if (file_->locked) throw std::logic_error("range locked twice");
    file_->locked = true;
    file_->lockExclusive = exclusive;
    file_->lockedLength = length;
    ++file_->locks;
  }
  void UnlockRange(int64_t length) override {
    if (!file_->locked || length != file_->lockedLength) throw std::logic_error("bad unlock");
    file_->locked = false;
    file_->atUnlock = file_->data;
  }

 protected:
  int64_t SizeRaw() override {
    file_->MaybeFail(FakeFile::Op::kSize);
    return static_cast<int64_t>(file_->data.size());
  }
  int32_t ReadRawAt(int64_t offset, void* buffer, int32_t count) override {
    file_->position = offset;
    file_->MaybeFail(FakeFile::Op::kRead);
    file_->rawReads.push_back(count);
    const int64_t available = static_cast<int64_t>(file_->data.size()) - file_->position;
    const auto n = static_cast<int32_t>(std::clamp<int64_t>(available, 0, count));
    std::memcpy(buffer, file_->data.data() + file_->position, static_cast<size_t>(n));
    file_->position += n;
    return n;
  }
  int32_t WriteRawAt(int64_t offset, const void* buffer, int32_t count) override {
    file_->position = offset;
    file_->MaybeFail(FakeFile::Op::kWrite);
    const int32_t n = std::min(count, file_->maxWrite);
    file_->rawWrites.emplace_back(file_->position, n);
    if (!file_->sink) {
      const auto end = static_cast<size_t>(file_->position + n);
      if (file_->data.size() < end) file_->data.resize(end);
      std::memcpy(file_->data.data() + file_->position, buffer, static_cast<size_t>(n));
    }
    file_->position += n;
    return n;
  }

 private:
  std::shared_ptr<FakeFile> file_;
};

}  // namespace hv::testing
