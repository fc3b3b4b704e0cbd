// Both locks are re-entrant on every system: the holder may take one again, and other threads
// wait until every Acquire has had its Release.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/File.h"
#include "platform/Platform.h"

namespace hv::platform {
namespace {

bool Take(LocalMutex& lock) {
  lock.Acquire();
  return true;
}
bool Take(NamedMutex& lock) { return lock.Acquire(); }
bool Give(LocalMutex& lock) {
  lock.Release();
  return true;
}
bool Give(NamedMutex& lock) { return lock.Release(); }

template <typename Lock>
void ExpectReentrantAndExclusive(Lock& lock) {
  ASSERT_TRUE(Take(lock));
  ASSERT_TRUE(Take(lock));  // never returns if the lock is not re-entrant
  std::atomic<bool> otherHolds{false};
  std::thread other([&] {
    if (Take(lock)) {
      otherHolds = true;
      Give(lock);
    }
  });
  EXPECT_TRUE(Give(lock));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(otherHolds) << "one Release of two gave the lock away";
  EXPECT_TRUE(Give(lock));
  other.join();
  EXPECT_TRUE(otherHolds);
}

TEST(LockReentrancyTest, LocalMutex) {
  LocalMutex lock;
  ExpectReentrantAndExclusive(lock);
}

TEST(LockReentrancyTest, NamedMutex) {
  NamedMutex lock;
  const std::u16string name =
      u"hv-reentrancy-" + Decimal(std::chrono::steady_clock::now().time_since_epoch().count());
  ASSERT_TRUE(lock.Open(name.c_str())) << Narrow(Describe(lock.LastError()));
  ExpectReentrantAndExclusive(lock);
}

}  // namespace
}  // namespace hv::platform
