// A stand-in for the system services whose every answer the test sets.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace hv::testing {

// A local time as the system reports one.
inline platform::LocalTime At(uint16_t year, uint16_t month, uint16_t day, uint16_t hour = 0,
                              uint16_t minute = 0, uint16_t second = 0, uint16_t ms = 0) {
  return {year, month, /*dayOfWeek=*/0, day, hour, minute, second, ms};
}

class FakeServices : public platform::Services {
 public:
  struct Wow64Answer {
    bool succeeds;
    int32_t flag;
  };

  std::optional<platform::VersionRecord> version;  // none: the query fails
  int32_t mediaCenter = 0;
  int32_t tabletPC = 0;
  bool hasIsWow64Process = true;
  std::deque<Wow64Answer> wow64Answers;  // one per call; an empty queue answers "not WOW64"
  bool is64BitProcess = false;
  // IsWow64Process2: none when the system lacks it; else what the call answers (none: it fails).
  std::optional<std::optional<uint16_t>> wow64Process2NativeMachine;
  uint16_t processorArchitecture = platform::kArchitectureX64;
  std::optional<std::u16string> computerName;  // none: the query fails
  platform::LocalTime localTime{};
  std::vector<uint32_t> sleeps;
  std::vector<int32_t> metricsAsked;
  int wow64Calls = 0;

  bool GetVersionRecord(platform::VersionRecord* record) override {
    if (!version) return false;
    *record = *version;
    return true;
  }
  int32_t GetSystemMetric(int32_t index) override {
    metricsAsked.push_back(index);
    if (index == platform::kMetricMediaCenter) return mediaCenter;
    if (index == platform::kMetricTabletPC) return tabletPC;
    return 0;
  }
  const void* FindIsWow64Process() override { return hasIsWow64Process ? this : nullptr; }
  bool CallIsWow64Process(const void*, int32_t* wow64) override {
    ++wow64Calls;
    if (wow64Answers.empty()) {
      *wow64 = 0;
      return true;
    }
    const Wow64Answer answer = wow64Answers.front();
    wow64Answers.pop_front();
    if (answer.succeeds) *wow64 = answer.flag;
    return answer.succeeds;
  }
  bool ProcessIs64Bit() override { return is64BitProcess; }
  const void* FindIsWow64Process2() override {
    return wow64Process2NativeMachine ? &wow64Process2NativeMachine : nullptr;
  }
  bool CallIsWow64Process2(const void*, uint16_t* nativeMachine) override {
    if (!*wow64Process2NativeMachine) return false;
    *nativeMachine = **wow64Process2NativeMachine;
    return true;
  }
  uint16_t NativeProcessorArchitecture() override { return processorArchitecture; }
  bool GetComputerName(char16_t* buffer, uint32_t* size) override {
    if (!computerName || computerName->size() + 1 > *size) return false;
    computerName->copy(buffer, computerName->size());
    buffer[computerName->size()] = 0;
    *size = static_cast<uint32_t>(computerName->size());
    return true;
  }
  platform::LocalTime GetLocalTime() override { return localTime; }
  void Sleep(uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
};

// A version record with the given numbers.
inline platform::VersionRecord Version(uint32_t major, uint32_t minor, uint8_t productType = 1,
                                       uint32_t platformId = 2, uint16_t suiteMask = 0) {
  platform::VersionRecord r;
  r.majorVersion = major;
  r.minorVersion = minor;
  r.platformId = platformId;
  r.productType = productType;
  r.suiteMask = suiteMask;
  r.buildNumber = 1000;
  return r;
}

}  // namespace hv::testing
