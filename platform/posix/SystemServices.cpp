// POSIX stand-in for the Windows system services. A POSIX system has no Windows version record,
// so that query fails and callers take their failure path.
#include <sys/utsname.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/Platform.h"

namespace hv::platform {
namespace {

// Stands for the resolved IsWow64Process: the probe always exists here.
int wow64_probe_marker;

bool KernelIs64Bit() {
  utsname info{};
  if (uname(&info) != 0) return false;
  const char* machine = info.machine;
  return std::strcmp(machine, "x86_64") == 0 || std::strcmp(machine, "aarch64") == 0 ||
         std::strcmp(machine, "ppc64le") == 0 || std::strcmp(machine, "s390x") == 0 ||
         std::strcmp(machine, "riscv64") == 0 || std::strcmp(machine, "ppc64") == 0;
}

// The kernel's machine name as the Windows architecture code; unknown when uname fails or names
// a machine Windows has no code for.
uint16_t KernelArchitecture() {
  utsname info{};
  if (uname(&info) != 0) return kArchitectureUnknown;
  const std::string_view machine = info.machine;
  if (machine == "x86_64" || machine == "amd64") return kArchitectureX64;
  if (machine == "aarch64" || machine == "arm64") return kArchitectureArm64;
  if (machine == "i386" || machine == "i486" || machine == "i586" || machine == "i686") {
    return kArchitectureX86;
  }
  if (machine.starts_with("arm")) return kArchitectureArm;
  return kArchitectureUnknown;
}

class PosixServices final : public Services {
 public:
  bool GetVersionRecord(VersionRecord*) override { return false; }

  int32_t GetSystemMetric(int32_t) override { return 0; }

  const void* FindIsWow64Process() override { return &wow64_probe_marker; }

  bool CallIsWow64Process(const void*, int32_t* wow64) override {
    *wow64 = (sizeof(void*) == 4 && KernelIs64Bit()) ? 1 : 0;
    return true;
  }

  bool ProcessIs64Bit() override { return sizeof(void*) == 8; }

  // There is no emulation to see through here: the kernel names its own machine.
  const void* FindIsWow64Process2() override { return nullptr; }

  bool CallIsWow64Process2(const void*, uint16_t*) override { return false; }

  uint16_t NativeProcessorArchitecture() override { return KernelArchitecture(); }

  bool GetComputerName(char16_t* buffer, uint32_t* size) override {
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) != 0) return false;
    if (char* dot = std::strchr(host, '.')) *dot = 0;
    const std::u16string name = Widen(host);
    if (name.size() + 1 > *size) {
      *size = static_cast<uint32_t>(name.size()) + 1;
      return false;
    }
    std::copy(name.begin(), name.end(), buffer);
    buffer[name.size()] = 0;
    *size = static_cast<uint32_t>(name.size());
    return true;
  }

  LocalTime GetLocalTime() override {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    LocalTime t;
    t.year = static_cast<uint16_t>(local.tm_year + 1900);
    t.month = static_cast<uint16_t>(local.tm_mon + 1);
    t.dayOfWeek = static_cast<uint16_t>(local.tm_wday);
    t.day = static_cast<uint16_t>(local.tm_mday);
    t.hour = static_cast<uint16_t>(local.tm_hour);
    t.minute = static_cast<uint16_t>(local.tm_min);
    // A leap second is folded into the last second of the minute, as Windows reports it.
    t.second = static_cast<uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
    t.milliseconds = static_cast<uint16_t>(now.tv_nsec / 1000000);
    return t;
  }

  void Sleep(uint32_t milliseconds) override {
    timespec wait{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
  }
};

}  // namespace

Services& SystemServices() {
  static PosixServices services;
  return services;
}

}  // namespace hv::platform
