// The real Windows services behind the Services interface.
#include "platform/Platform.h"
#include "platform/win32/WindowsApi.h"

namespace hv::platform {
namespace {

// The extended record; systems that know only the short one refuse this size.
static_assert(sizeof(OSVERSIONINFOEXW) == 284, "OSVERSIONINFOEXW is 284 bytes");
static_assert(sizeof(BOOL) == sizeof(int32_t), "the WOW64 flag is a 32-bit BOOL");

using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
using SystemInfoFunction = void(WINAPI*)(LPSYSTEM_INFO);

// Looked up by name, never imported: the functions a system lacks must not stop the program
// from loading there.
const void* FindKernelFunction(const char* name) {
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<const void*>(GetProcAddress(kernel, name));
}

template <typename Function>
Function AsFunction(const void* address) {
  return reinterpret_cast<Function>(const_cast<void*>(address));
}

class Win32Services final : public Services {
 public:
  bool GetVersionRecord(VersionRecord* record) override {
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
    record->majorVersion = info.dwMajorVersion;
    record->minorVersion = info.dwMinorVersion;
    record->buildNumber = info.dwBuildNumber;
    record->platformId = info.dwPlatformId;
    for (int i = 0; i < 128; ++i) record->servicePack[i] = info.szCSDVersion[i];
    record->servicePackMajor = info.wServicePackMajor;
    record->servicePackMinor = info.wServicePackMinor;
    record->suiteMask = info.wSuiteMask;
    record->productType = info.wProductType;
    record->reserved = info.wReserved;
    return true;
  }

  int32_t GetSystemMetric(int32_t index) override { return GetSystemMetrics(index); }

  const void* FindIsWow64Process() override {
    // Systems before XP SP2 do not have it.
    return FindKernelFunction("IsWow64Process");
  }

  bool CallIsWow64Process(const void* function, int32_t* wow64) override {
    const auto isWow64Process = AsFunction<IsWow64ProcessFunction>(function);
    BOOL flag = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &flag)) return false;
    *wow64 = flag;
    return true;
  }

  bool ProcessIs64Bit() override { return sizeof(void*) == 8; }

  const void* FindIsWow64Process2() override { return FindKernelFunction("IsWow64Process2"); }

  bool CallIsWow64Process2(const void* function, uint16_t* nativeMachine) override {
    const auto isWow64Process2 = AsFunction<IsWow64Process2Function>(function);
    USHORT process = 0;
    USHORT native = 0;
    if (!isWow64Process2(GetCurrentProcess(), &process, &native)) return false;
    *nativeMachine = native;
    return true;
  }

  uint16_t NativeProcessorArchitecture() override {
    // GetNativeSystemInfo arrived with XP; before it there was no WOW64, so the plain query
    // already describes the machine.
    auto query = AsFunction<SystemInfoFunction>(FindKernelFunction("GetNativeSystemInfo"));
    if (query == nullptr) query = ::GetSystemInfo;
    SYSTEM_INFO info{};
    query(&info);
    return info.wProcessorArchitecture;
  }

  bool GetComputerName(char16_t* buffer, uint32_t* size) override {
    DWORD units = *size;
    const bool ok = GetComputerNameW(win32::AsWide(buffer), &units) != FALSE;
    *size = units;
    return ok;
  }

  LocalTime GetLocalTime() override {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    LocalTime t;
    t.year = now.wYear;
    t.month = now.wMonth;
    t.dayOfWeek = now.wDayOfWeek;
    t.day = now.wDay;
    t.hour = now.wHour;
    t.minute = now.wMinute;
    t.second = now.wSecond;
    t.milliseconds = now.wMilliseconds;
    return t;
  }

  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

Services& SystemServices() {
  static Win32Services services;
  return services;
}

}  // namespace hv::platform
