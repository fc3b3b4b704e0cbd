// Writers on threads of one process against a real log file, and the locks under them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "log/FileStream.h"
#include "log/LogFormat.h"
#include "log/RingLog.h"
#include "log/RingLogFile.h"
#include "log/StreamIo.h"
#include "platform/File.h"
#include "support/TempDirectory.h"

namespace hv {
namespace {

constexpr int kThreads = 4;
constexpr int kMessagesEach = 250;
constexpr int kWrites = kThreads * kMessagesEach;

using testing::TempDirectory;

// A mutex name for the running test. Named mutexes leave a lock file behind, so the name is the
// same in every run; two runs at once would only exclude each other a little more.
std::u16string MutexName() {
  const std::string name =
      std::string("hv-test-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::u16string wide;
  for (const char c : name) wide.push_back(c == '/' ? u'_' : static_cast<char16_t>(c));
  return wide;
}

std::u16string Message(int thread, int i) {
  const std::string text = "thread " + std::to_string(thread) + " message " + std::to_string(i);
  return std::u16string(text.begin(), text.end());
}

struct Case {
  const char* name;
  bool sharedLog;  // one RingLog for all threads, or one each (each its own open file)
  bool buffered;
  bool namedMutex;  // the SyncLock in mutex mode
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class RingLogThreadsTest : public ::testing::TestWithParam<Case> {};

TEST_P(RingLogThreadsTest, EveryMessageLandsExactlyOnce) {
  const Case& c = GetParam();
  TempDirectory dir;
  const std::u16string path = dir.File("shared.log");
  const int32_t slots = kWrites + 17;
  CreateRingLog(path.c_str(), slots);

  const std::u16string mutexName = MutexName();
  RingLogOptions options;
  options.buffered = c.buffered;
  options.mutexName = c.namedMutex ? mutexName.c_str() : nullptr;

  std::vector<std::unique_ptr<RingLog>> logs(c.sharedLog ? 1 : kThreads);
  for (auto& log : logs) {
    log = std::make_unique<RingLog>();
    log->Open(path.c_str(), options);
  }
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      RingLog& log = *logs[c.sharedLog ? 0 : t];
      for (int i = 0; i < kMessagesEach; ++i) {
        if (log.Write(Message(t, i).c_str()) != 1) ++failures;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  logs.clear();
  EXPECT_EQ(failures.load(), 0);

  FileStream reader(path.c_str(), FileStream::Mode::kReadOnly);
  const std::vector<LogEntry> entries = ReadRingLog(reader);
  ASSERT_EQ(entries.size(), static_cast<size_t>(kWrites));
  std::map<std::string, int> seen;
  std::vector<int> nextOfThread(kThreads, 0);
  for (size_t k = 0; k < entries.size(); ++k) {
    ++seen[entries[k].text];
    EXPECT_EQ(entries[k].slot, static_cast<int32_t>(k));
    // Oldest first is the order of writing, so each thread's messages come in its own order.
    const int t = entries[k].text[7] - '0';
    ASSERT_TRUE(t >= 0 && t < kThreads) << entries[k].text;
    const std::u16string expected = Message(t, nextOfThread[t]++);
    EXPECT_EQ(entries[k].text, std::string(expected.begin(), expected.end()));
  }
  EXPECT_EQ(seen.size(), static_cast<size_t>(kWrites));

  std::vector<uint8_t> head(static_cast<size_t>(TableEnd(slots)));
  reader.Seek(0, SeekOrigin::kBegin);
  ASSERT_EQ(ReadUpTo(reader, head.data(), static_cast<int64_t>(head.size())),
            static_cast<int64_t>(head.size()));
  const LogHeader h = LoadHeader(head.data());
  EXPECT_EQ((std::vector<int32_t>{h.lap, h.nextSlot, h.lastSlot, h.slotCount}),
            (std::vector<int32_t>{1, kWrites, kWrites - 1, slots}));
  for (int32_t slot = 0; slot < slots; ++slot) {
    EXPECT_EQ(LoadInt32(head.data() + 20 + 4 * slot), slot < kWrites ? 1 : 0) << slot;
  }
}

INSTANTIATE_TEST_SUITE_P(Writers, RingLogThreadsTest,
                         ::testing::Values(Case{"SharedLog", true, false, false},
                                           Case{"SharedLogBuffered", true, true, false},
                                           Case{"LogPerThread", false, false, false},
                                           Case{"LogPerThreadBuffered", false, true, false},
                                           Case{"SharedLogMutex", true, true, true},
                                           Case{"LogPerThreadMutex", false, false, true}),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

// Runs `holder` on this thread and `contender` on another that starts while the holder holds the
// lock. The contender must get in only after the holder let go; the pause gives a broken lock the
// chance to let it in early.
template <typename Hold, typename Contend>
void ExpectContenderWaits(Hold holder, Contend contender) {
  std::atomic<bool> released{false};
  std::atomic<bool> enteredEarly{false};
  std::thread other;
  holder([&] {
    other = std::thread([&] { contender([&] { enteredEarly = !released.load(); }); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    released = true;
  });
  other.join();
  EXPECT_FALSE(enteredEarly.load());
}

TEST(FileLockTest, ExcludesAnotherOpenFileInTheSameProcess) {
  TempDirectory dir;
  const std::u16string path = dir.File("locked.bin");
  platform::File a;
  ASSERT_TRUE(a.CreateNew(path.c_str()));
  ExpectContenderWaits(
      [&](auto whileHeld) {
        ASSERT_TRUE(a.Lock(0, 100, true));
        // Closing some other descriptor of the file must not drop the lock.
        {
          platform::File c;
          ASSERT_TRUE(c.OpenExisting(path.c_str(), true));
        }
        whileHeld();
        ASSERT_TRUE(a.Unlock(0, 100));
      },
      [&](auto inside) {
        platform::File b;
        ASSERT_TRUE(b.OpenExisting(path.c_str(), true));
        ASSERT_TRUE(b.Lock(0, 1, false));  // shared, overlapping byte 0
        inside();
        ASSERT_TRUE(b.Unlock(0, 1));
      });
}

TEST(NamedMutexTest, ExcludesThreadsWithTheirOwnOrASharedObject) {
  const std::u16string name = MutexName();
  for (const bool shared : {true, false}) {
    platform::NamedMutex first;
    ASSERT_TRUE(first.Open(name.c_str()));
    ExpectContenderWaits(
        [&](auto whileHeld) {
          ASSERT_TRUE(first.Acquire());
          whileHeld();
          ASSERT_TRUE(first.Release());
        },
        [&](auto inside) {
          platform::NamedMutex second;
          platform::NamedMutex& m = shared ? first : second;
          if (!shared) {
            ASSERT_TRUE(second.Open(name.c_str()));
          }
          ASSERT_TRUE(m.Acquire());
          inside();
          ASSERT_TRUE(m.Release());
        });
  }
}

TEST(NamedMutexTest, RefusesAnEmptyName) {
  platform::NamedMutex m;
  EXPECT_FALSE(m.Open(u""));
}

}  // namespace
}  // namespace hv
