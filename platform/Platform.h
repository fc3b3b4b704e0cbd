// The one seam between Hostvetter and the operating system.
//
// Everything the program asks of the system goes through this header. Two backends implement it,
// chosen at build time: platform/win32 calls the real Windows services, platform/posix is our own
// stand-in for them so the program builds, runs and is tested on a POSIX machine. Portable code
// includes this header and never an OS header; UTF-16 text is held as char16_t.
//
// Text services are plain functions (they never need swapping in tests). The facts a test must
// control -- version record, WOW64 and architecture probes, computer name, clock -- sit behind
// the virtual Services interface, which a test replaces with ScopedServices.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace hv::platform {

// ---- Text, in the active ANSI code page (POSIX: the locale the console entry selected) ----

// lstrlenW: units before the terminator; 0 for a null pointer.
int32_t WideLength(const char16_t* text);

// lstrcmpW: locale-aware, case-sensitive comparison; 0 when the texts are equal. Windows also
// answers 0 for texts that differ only in characters its collation ignores (a soft hyphen, say);
// the POSIX stand-in breaks collation ties by code point, so there 0 means identical.
int32_t WideCompare(const char16_t* a, const char16_t* b);

// CharUpperW: upper-cases each UTF-16 unit in place with the locale's rules; the length never
// changes (a unit with no single-unit upper case stays as it is).
void WideUpperInPlace(char16_t* text);

// MultiByteToWideChar(CP_ACP, 0, ...): converts exactly `sourceBytes` bytes (no terminator is
// implied). Returns the units written, or 0 when `destination` is too small. With
// `destinationUnits` 0 it writes nothing and returns the units needed. Bytes that are not valid in
// the code page become U+FFFD on Windows; the POSIX stand-in turns each such byte into its own lone
// surrogate (U+DC80 to U+DCFF), which WideToAnsi turns back into the byte.
int32_t AnsiToWide(const char* source, int32_t sourceBytes, char16_t* destination,
                   int32_t destinationUnits);

// WideCharToMultiByte(CP_ACP, 0, ...): the same contract in the other direction. A unit the code
// page cannot represent becomes a close letter where Windows knows one (U+0101 becomes 'a'), else
// the code page's default character; the POSIX stand-in always uses the default character, as it
// does for a lone surrogate other than an escaped byte.
int32_t WideToAnsi(const char16_t* source, int32_t sourceUnits, char* destination,
                   int32_t destinationBytes);

// The whole text through AnsiToWide / WideToAnsi, sized from the conversion itself.
std::u16string Widen(std::string_view ansi);
std::string Narrow(std::u16string_view wide);

// `value` in decimal digits (with a leading minus sign when negative).
std::u16string Decimal(int64_t value);

// The runtime's printf("%s", text) to standard output in text mode: every line feed leaves the
// process as carriage return + line feed, on both backends.
void PrintStdout(const char* text);

// ---- Services that tests replace ----

// OSVERSIONINFOEXW, field for field.
struct VersionRecord {
  uint32_t majorVersion = 0;
  uint32_t minorVersion = 0;
  uint32_t buildNumber = 0;
  uint32_t platformId = 0;
  char16_t servicePack[128] = {};
  uint16_t servicePackMajor = 0;
  uint16_t servicePackMinor = 0;
  uint16_t suiteMask = 0;
  uint8_t productType = 0;
  uint8_t reserved = 0;
};

// The GetSystemMetrics indexes the version facts ask for.
inline constexpr int32_t kMetricTabletPC = 86;     // SM_TABLETPC
inline constexpr int32_t kMetricMediaCenter = 87;  // SM_MEDIACENTER

// The codes the architecture probes answer.
inline constexpr uint16_t kMachineX86 = 0x014C;           // IMAGE_FILE_MACHINE_I386
inline constexpr uint16_t kMachineX64 = 0x8664;           // IMAGE_FILE_MACHINE_AMD64
inline constexpr uint16_t kMachineArm64 = 0xAA64;         // IMAGE_FILE_MACHINE_ARM64
inline constexpr uint16_t kArchitectureX86 = 0;           // PROCESSOR_ARCHITECTURE_INTEL
inline constexpr uint16_t kArchitectureArm = 5;           // PROCESSOR_ARCHITECTURE_ARM
inline constexpr uint16_t kArchitectureX64 = 9;           // PROCESSOR_ARCHITECTURE_AMD64
inline constexpr uint16_t kArchitectureArm64 = 12;        // PROCESSOR_ARCHITECTURE_ARM64
inline constexpr uint16_t kArchitectureUnknown = 0xFFFF;  // PROCESSOR_ARCHITECTURE_UNKNOWN

// SYSTEMTIME, field for field.
struct LocalTime {
  uint16_t year = 0, month = 0, dayOfWeek = 0, day = 0;
  uint16_t hour = 0, minute = 0, second = 0, milliseconds = 0;
};

class Services {
 public:
  virtual ~Services() = default;

  // GetVersionExW with the extended record (size field 284). False when the system supplies none.
  virtual bool GetVersionRecord(VersionRecord* record) = 0;

  // GetSystemMetrics.
  virtual int32_t GetSystemMetric(int32_t index) = 0;

  // GetProcAddress(GetModuleHandleW(u"kernel32"), "IsWow64Process"); null when it does not exist.
  virtual const void* FindIsWow64Process() = 0;

  // Calls the function found above for GetCurrentProcess(). False when the call fails; otherwise
  // *wow64 holds the flag exactly as the system set it.
  virtual bool CallIsWow64Process(const void* function, int32_t* wow64) = 0;

  // True for a 64-bit build of the program: such a process can only run on a 64-bit system.
  virtual bool ProcessIs64Bit() = 0;

  // GetProcAddress(GetModuleHandleW(u"kernel32"), "IsWow64Process2"); null when it does not exist
  // (before Windows 10 1511). Only this probe sees through the emulation of an x64 or x86 process
  // on ARM64.
  virtual const void* FindIsWow64Process2() = 0;

  // Calls the function found above for GetCurrentProcess(). False when the call fails; otherwise
  // *nativeMachine holds the system's IMAGE_FILE_MACHINE_* code.
  virtual bool CallIsWow64Process2(const void* function, uint16_t* nativeMachine) = 0;

  // wProcessorArchitecture of GetNativeSystemInfo (GetSystemInfo where that does not exist):
  // a PROCESSOR_ARCHITECTURE_* code, 0xFFFF when the system does not know it. The POSIX
  // stand-in answers from uname().
  virtual uint16_t NativeProcessorArchitecture() = 0;

  // GetComputerNameW: *size is the buffer's room in units on entry; on success the buffer holds
  // the terminated name and *size its length. The buffer is untouched when the call fails.
  virtual bool GetComputerName(char16_t* buffer, uint32_t* size) = 0;

  // GetLocalTime.
  virtual LocalTime GetLocalTime() = 0;

  // Sleep.
  virtual void Sleep(uint32_t milliseconds) = 0;
};

// The services in force: the real ones unless a ScopedServices is alive.
Services& CurrentServices();

// Installs `replacement` for its lifetime and restores the previous services afterwards.
// Not thread-safe: install before the code under test starts threads.
class ScopedServices {
 public:
  explicit ScopedServices(Services& replacement);
  ~ScopedServices();
  ScopedServices(const ScopedServices&) = delete;
  ScopedServices& operator=(const ScopedServices&) = delete;

 private:
  Services* previous_;
};

}  // namespace hv::platform
