// The Win32 system services, each checked against a second, independent source of the same fact.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <string>

#include "platform/Platform.h"
#include "platform/win32/WindowsApi.h"

namespace hv::platform {
namespace {

TEST(Win32ServicesTest, VersionRecordAgreesWithTheShortVersionQuery) {
  VersionRecord record;
  ASSERT_TRUE(CurrentServices().GetVersionRecord(&record));
  const DWORD packed = GetVersion();
  EXPECT_EQ(record.majorVersion, LOBYTE(LOWORD(packed)));
  EXPECT_EQ(record.minorVersion, HIBYTE(LOWORD(packed)));
  EXPECT_EQ(record.buildNumber & 0xFFFF, HIWORD(packed));
  EXPECT_EQ(record.platformId, 2u);
  EXPECT_GE(record.productType, 1);
  EXPECT_LE(record.productType, 3);
}

TEST(Win32ServicesTest, Wow64ProbeAgreesWithTheNativeProcessor) {
  Services& services = CurrentServices();
  const void* function = services.FindIsWow64Process();
  ASSERT_NE(function, nullptr);
  int32_t wow64 = -1;
  ASSERT_TRUE(services.CallIsWow64Process(function, &wow64));
  SYSTEM_INFO native{};
  GetNativeSystemInfo(&native);
  const bool systemIs64Bit = native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                             native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64;
  // Only a 32-bit process on a 64-bit system runs under WOW64.
  EXPECT_EQ(wow64 != 0, sizeof(void*) == 4 && systemIs64Bit);
  EXPECT_EQ(services.ProcessIs64Bit(), sizeof(void*) == 8);
}

TEST(Win32ServicesTest, BothArchitectureQueriesNameTheSameMachine) {
  Services& services = CurrentServices();
  const uint16_t architecture = services.NativeProcessorArchitecture();
  if (sizeof(void*) == 8) {
    EXPECT_TRUE(architecture == kArchitectureX64 || architecture == kArchitectureArm64);
  }
  const void* function = services.FindIsWow64Process2();
  if (function == nullptr) GTEST_SKIP() << "this system has no IsWow64Process2";
  uint16_t machine = 0;
  ASSERT_TRUE(services.CallIsWow64Process2(function, &machine));
  // Only an emulated process on ARM64 is told another machine by the older query.
  if (machine == kMachineArm64) return;
  EXPECT_EQ(machine, architecture == kArchitectureX64   ? kMachineX64
                     : architecture == kArchitectureX86 ? kMachineX86
                                                        : 0);
}

TEST(Win32ServicesTest, ComputerNameMatchesTheEnvironment) {
  const char* expected = std::getenv("COMPUTERNAME");
  if (expected == nullptr) GTEST_SKIP() << "COMPUTERNAME is not set";
  char16_t buffer[1024];
  uint32_t size = 1023;
  ASSERT_TRUE(CurrentServices().GetComputerName(buffer, &size));
  EXPECT_EQ(size, static_cast<uint32_t>(WideLength(buffer)));
  EXPECT_EQ(std::u16string(buffer), std::u16string(expected, expected + std::strlen(expected)));
}

TEST(Win32ServicesTest, ComputerNameTooLongForTheBufferLeavesItAlone) {
  char16_t probe[1024];
  uint32_t length = 1023;
  ASSERT_TRUE(CurrentServices().GetComputerName(probe, &length));
  ASSERT_GE(length, 1u);

  char16_t buffer[1024];
  std::fill(std::begin(buffer), std::end(buffer), u'#');
  uint32_t size = length;  // no room for the terminator
  EXPECT_FALSE(CurrentServices().GetComputerName(buffer, &size));
  EXPECT_EQ(size, length + 1) << "the room needed, terminator included";
  EXPECT_EQ(buffer[0], u'#');
}

TEST(Win32ServicesTest, LocalTimeAgreesWithTheRuntimeClock) {
  // Retried in the rare case that the second turns between the two readings.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::time_t now = std::time(nullptr);
    const LocalTime t = CurrentServices().GetLocalTime();
    const std::tm* local = std::localtime(&now);
    ASSERT_NE(local, nullptr);
    if (t.second != local->tm_sec) continue;
    EXPECT_EQ(t.year, local->tm_year + 1900);
    EXPECT_EQ(t.month, local->tm_mon + 1);
    EXPECT_EQ(t.day, local->tm_mday);
    EXPECT_EQ(t.dayOfWeek, local->tm_wday);
    EXPECT_EQ(t.hour, local->tm_hour);
    EXPECT_EQ(t.minute, local->tm_min);
    EXPECT_LT(t.milliseconds, 1000);
    return;
  }
  FAIL() << "the clocks never agreed on the second";
}

TEST(Win32ServicesTest, SleepWaitsAtLeastAboutAsLongAsAsked) {
  const ULONGLONG before = GetTickCount64();
  CurrentServices().Sleep(60);
  // The tick count advances in steps of up to about 16 ms.
  EXPECT_GE(GetTickCount64() - before, 40u);
}

}  // namespace
}  // namespace hv::platform
