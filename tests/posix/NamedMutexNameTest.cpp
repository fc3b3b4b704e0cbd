// On POSIX a named mutex lives in a lock file, so a name longer than a file name may be is
// refused, with a cause the user can read.
#include <gtest/gtest.h>

#include <string>

#include "platform/File.h"

namespace hv {
namespace {

TEST(PosixNamedMutexTest, ReportsANameTooLongForALockFile) {
  platform::NamedMutex m;
  const std::u16string tooLong(300, u'x');
  EXPECT_FALSE(m.Open(tooLong.c_str()));
  EXPECT_EQ(m.LastError().kind, platform::SystemError::Kind::kOther);
  EXPECT_NE(m.LastError().code, 0);
  EXPECT_FALSE(platform::Describe(m.LastError()).empty());
}

}  // namespace
}  // namespace hv
