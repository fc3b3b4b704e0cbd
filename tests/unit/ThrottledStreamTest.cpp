#include "log/ThrottledStream.h"

#include <gtest/gtest.h>

#include <climits>
#include <numeric>
#include <vector>

#include "core/Exception.h"
#include "support/FakeLogStream.h"
#include "support/FakeServices.h"

namespace hv {
namespace {

using testing::FakeFile;
using testing::FakeLogStream;

std::vector<uint8_t> Pattern(size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 31 + i / 256);
  return bytes;
}

class ThrottledStreamTest : public ::testing::Test {
 protected:
  ThrottledStreamTest() : scope_(services_) { SetSecondsAfterStart(0); }

  // The local clock, as seconds after 2024-03-01 10:00:00.
  void SetSecondsAfterStart(int32_t seconds) {
    const int32_t total = 10 * 3600 + seconds;
    services_.localTime =
        testing::At(2024, 3, static_cast<uint16_t>(1 + total / 86400),
                    static_cast<uint16_t>(total % 86400 / 3600),
                    static_cast<uint16_t>(total % 3600 / 60), static_cast<uint16_t>(total % 60));
  }

  FakeLogStream Stream(const StreamSettings& settings = {}) {
    return FakeLogStream(file_, settings);
  }

  testing::FakeServices services_;
  platform::ScopedServices scope_;
  std::shared_ptr<FakeFile> file_ = std::make_shared<FakeFile>();
};

TEST_F(ThrottledStreamTest, SmallReadsComeFromOneRawReadOfAWholeBuffer) {
  file_->data = Pattern(100000);
  FakeLogStream stream = Stream();
  std::vector<uint8_t> got(ThrottledStream::kBufferBytes + 100);

  EXPECT_EQ(stream.Read(20, got.data()), 20);
  ASSERT_EQ(file_->rawReads, std::vector<int32_t>{ThrottledStream::kBufferBytes});
  for (int i = 1; i < 5; ++i) EXPECT_EQ(stream.Read(20, got.data() + 20 * i), 20);
  EXPECT_EQ(file_->rawReads.size(), 1u);

  // A read larger than what is held gets only the rest of the buffer; the next one refills it.
  EXPECT_EQ(stream.Read(ThrottledStream::kBufferBytes, got.data() + 100),
            ThrottledStream::kBufferBytes - 100);
  EXPECT_EQ(stream.Read(100, got.data() + ThrottledStream::kBufferBytes), 100);
  EXPECT_EQ(file_->rawReads.size(), 2u);
  EXPECT_TRUE(std::equal(got.begin(), got.end(), file_->data.begin()));
  EXPECT_EQ(stream.BytesRead(), ThrottledStream::kBufferBytes + 100);
}

TEST_F(ThrottledStreamTest, ReadAtTheEndDeliversNothing) {
  file_->data = Pattern(10);
  FakeLogStream stream = Stream();
  uint8_t got[32];
  EXPECT_EQ(stream.Read(32, got), 10);
  EXPECT_EQ(stream.Read(32, got), 0);
  EXPECT_EQ(stream.BytesRead(), 10);
}

TEST_F(ThrottledStreamTest, SeekForgetsTheReadAhead) {
  file_->data = Pattern(1000);
  FakeLogStream stream = Stream();
  uint8_t got[20];
  ASSERT_EQ(stream.Read(20, got), 20);

  // Another writer changes the file: after a Seek the reader must see the change.
  file_->data[0] = 0xEE;
  stream.Seek(0, SeekOrigin::kBegin);
  ASSERT_EQ(stream.Read(20, got), 20);
  EXPECT_EQ(got[0], 0xEE);
  EXPECT_EQ(file_->rawReads.size(), 2u);

  // Relative to where the reader is, not to where the read-ahead left the raw stream.
  stream.Seek(10, SeekOrigin::kCurrent);
  ASSERT_EQ(stream.Read(1, got), 1);
  EXPECT_EQ(got[0], file_->data[30]);
}

TEST_F(ThrottledStreamTest, SeekWritesOutTheWriteBehindWhereItBelongs) {
  FakeLogStream stream = Stream({.buffered = true});
  const std::vector<uint8_t> first = Pattern(10);
  ASSERT_EQ(stream.Write(10, first.data()), 10);
  EXPECT_TRUE(file_->rawWrites.empty());

  stream.Seek(100, SeekOrigin::kBegin);
  ASSERT_EQ(file_->rawWrites.size(), 1u);
  EXPECT_EQ(file_->rawWrites[0], (std::pair<int64_t, int32_t>{0, 10}));

  ASSERT_EQ(stream.Write(10, first.data()), 10);
  stream.Flush();
  ASSERT_EQ(file_->rawWrites.size(), 2u);
  EXPECT_EQ(file_->rawWrites[1], (std::pair<int64_t, int32_t>{100, 10}));
  EXPECT_TRUE(std::equal(first.begin(), first.end(), file_->data.begin() + 100));
}

TEST_F(ThrottledStreamTest, BufferedWriteLargerThanTheBufferIsTakenInPieces) {
  FakeLogStream stream = Stream({.buffered = true});
  const std::vector<uint8_t> source = Pattern(70000);

  EXPECT_EQ(stream.Write(70000, source.data()), ThrottledStream::kBufferBytes);
  ASSERT_EQ(file_->rawWrites.size(), 1u);
  EXPECT_EQ(file_->rawWrites[0].second, ThrottledStream::kBufferBytes);

  const int32_t rest = 70000 - ThrottledStream::kBufferBytes;
  EXPECT_EQ(stream.Write(rest, source.data() + ThrottledStream::kBufferBytes), rest);
  EXPECT_EQ(file_->rawWrites.size(), 1u);  // waits in the buffer

  stream.Flush();
  EXPECT_EQ(file_->data, source);
  EXPECT_EQ(stream.BytesWritten(), 70000);
}

TEST_F(ThrottledStreamTest, FlushRepeatsUntilTheRawStreamTookEverything) {
  file_->maxWrite = 3000;
  FakeLogStream stream = Stream({.buffered = true});
  const std::vector<uint8_t> source = Pattern(10000);
  ASSERT_EQ(stream.Write(10000, source.data()), 10000);
  stream.Flush();
  EXPECT_EQ(file_->rawWrites.size(), 4u);
  EXPECT_EQ(file_->data, source);
}

TEST_F(ThrottledStreamTest, UnbufferedWriteReturnsWhatTheRawStreamAccepted) {
  file_->maxWrite = 7;
  FakeLogStream stream = Stream();
  const std::vector<uint8_t> source = Pattern(20);
  EXPECT_EQ(stream.Write(20, source.data()), 7);
  EXPECT_EQ(stream.BytesWritten(), 7);
}

TEST_F(ThrottledStreamTest, FailedFlushDropsTheWaitingBytes) {
  FakeLogStream stream = Stream({.buffered = true});
  const std::vector<uint8_t> stale = Pattern(10);
  ASSERT_EQ(stream.Write(10, stale.data()), 10);
  file_->failOp = FakeFile::Op::kWrite;
  file_->failAfter = 0;
  EXPECT_THROW(stream.Flush(), EStream);

  // Replaying them now would put them wherever the stream points next.
  stream.Seek(500, SeekOrigin::kBegin);
  const uint8_t fresh[3] = {1, 2, 3};
  ASSERT_EQ(stream.Write(3, fresh), 3);
  stream.Flush();
  ASSERT_EQ(file_->rawWrites.size(), 1u);
  EXPECT_EQ(file_->rawWrites[0], (std::pair<int64_t, int32_t>{500, 3}));
}

TEST_F(ThrottledStreamTest, TransferThatRaisesIsNotCounted) {
  FakeLogStream stream = Stream();
  const std::vector<uint8_t> source = Pattern(10);
  file_->failOp = FakeFile::Op::kWrite;
  file_->failAfter = 0;
  EXPECT_THROW(stream.Write(10, source.data()), EStream);
  EXPECT_EQ(stream.BytesWritten(), 0);

  file_->failOp = FakeFile::Op::kRead;
  file_->failAfter = 0;
  uint8_t got[10];
  EXPECT_THROW(stream.Read(10, got), EStream);
  EXPECT_EQ(stream.BytesRead(), 0);
}

// The write cap compares the average since the first transfer with the limit: at or above it, a
// Write sleeps 500 ms and takes one byte.
TEST_F(ThrottledStreamTest, WriteCapSlowsTheStreamWhileTheAverageIsAtTheLimit) {
  struct Case {
    int32_t firstBytes;
    int32_t secondsLater;
    bool throttled;
  };
  const Case cases[] = {
      {100, 0, true},   // 100 bytes within the first second: at the limit
      {99, 0, false},   //
      {200, 2, true},   // 100 per second on average
      {200, 3, false},  // 66 per second
  };
  for (const Case& c : cases) {
    file_ = std::make_shared<FakeFile>();
    services_.sleeps.clear();
    SetSecondsAfterStart(0);
    FakeLogStream stream = Stream({.writeLimit = 100});
    const std::vector<uint8_t> source = Pattern(static_cast<size_t>(c.firstBytes));
    ASSERT_EQ(stream.Write(c.firstBytes, source.data()), c.firstBytes);
    EXPECT_TRUE(services_.sleeps.empty());

    SetSecondsAfterStart(c.secondsLater);
    const int32_t taken = stream.Write(50, source.data());
    EXPECT_EQ(taken, c.throttled ? 1 : 50) << c.firstBytes << " bytes, " << c.secondsLater << " s";
    EXPECT_EQ(services_.sleeps, c.throttled ? std::vector<uint32_t>{500} : std::vector<uint32_t>{})
        << c.firstBytes << " bytes, " << c.secondsLater << " s";
  }
}

TEST_F(ThrottledStreamTest, ReadCapSlowsReadsTheSameWay) {
  file_->data = Pattern(1000);
  FakeLogStream stream = Stream({.readLimit = 100});
  uint8_t got[100];
  ASSERT_EQ(stream.Read(100, got), 100);
  EXPECT_EQ(stream.Read(50, got), 1);
  EXPECT_EQ(services_.sleeps, std::vector<uint32_t>{500});
}

TEST_F(ThrottledStreamTest, ClockStartsAtTheFirstTransfer) {
  FakeLogStream stream = Stream({.writeLimit = 100});
  // Made long before it is used: the average runs from the first transfer, not from creation.
  SetSecondsAfterStart(5000);
  const std::vector<uint8_t> source = Pattern(100);
  ASSERT_EQ(stream.Write(100, source.data()), 100);
  EXPECT_EQ(stream.Write(50, source.data()), 1);
}

TEST_F(ThrottledStreamTest, RatesStayRightPastTwoGibibytes) {
  file_->sink = true;
  FakeLogStream stream = Stream({.writeLimit = 2000000});
  const uint8_t source[16] = {};
  // The sink never touches the bytes, so one small buffer stands for a huge one.
  ASSERT_EQ(stream.Write(INT32_MAX, source), INT32_MAX);

  SetSecondsAfterStart(1000);  // 2147483 bytes per second: over the limit
  ASSERT_EQ(stream.Write(16, source), 1);
  EXPECT_EQ(stream.BytesWritten(), int64_t{INT32_MAX} + 1);

  SetSecondsAfterStart(1060);  // 2025928 per second: still over, though 32 bits have wrapped
  EXPECT_EQ(stream.Write(16, source), 1);
  EXPECT_EQ(stream.WriteRate(), (int64_t{INT32_MAX} + 1) / 1060);

  SetSecondsAfterStart(1100);  // 1952257 per second: under
  EXPECT_EQ(stream.Write(16, source), 16);
  EXPECT_EQ(services_.sleeps.size(), 2u);
}

}  // namespace
}  // namespace hv
