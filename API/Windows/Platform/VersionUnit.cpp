#include "API/Windows/Platform/VersionUnit.h"

#include <cstddef>
#include <cstdlib>
#include <iterator>
#include <memory>

#include "core/Diagnostics.h"
#include "core/WideText.h"
#include "platform/Platform.h"

namespace hv {

VersionFactsRecord VersionFacts{};

namespace {

// The path the reports name, in the form the Windows build records it.
constexpr const char* kSourcePath = "API\\Windows\\Platform\\VersionUnit.cpp";

constexpr uint32_t kPlatformWindows = 1;  // VER_PLATFORM_WIN32_WINDOWS
constexpr uint32_t kPlatformNT = 2;       // VER_PLATFORM_WIN32_NT
constexpr uint8_t kWorkstation = 1;       // VER_NT_WORKSTATION
constexpr uint8_t kDomainController = 2;  // VER_NT_DOMAIN_CONTROLLER
constexpr uint8_t kServer = 3;            // VER_NT_SERVER
constexpr uint16_t kSuiteEnterprise = 0x0002;
constexpr uint16_t kSuiteDatacenter = 0x0080;
constexpr uint16_t kSuitePersonal = 0x0200;
constexpr uint16_t kSuiteBlade = 0x0400;

int32_t Flag(bool value) { return value ? 1 : 0; }

void SetFamilies(VersionFactsRecord& f, const platform::VersionRecord& r) {
  const uint32_t major = r.majorVersion;
  const uint32_t minor = r.minorVersion;
  const bool workstation = r.productType == kWorkstation;
  const bool nt = f.IsWinNT != 0;
  const bool nine = f.IsWin9x != 0;
  f.IsWin95 = Flag(nine && major == 4 && minor == 0);
  f.IsWin98 = Flag(nine && major == 4 && minor == 10);
  f.IsWinMe = Flag(nine && major == 4 && minor == 90);
  f.IsNT4 = Flag(nt && major == 4);
  f.IsWin2000 = Flag(nt && major == 5 && minor == 0);
  f.IsWinXP = Flag(nt && major == 5 && minor == 1);
  f.IsWin2003 = Flag(nt && major == 5 && minor == 2);
  f.IsWinVista = Flag(nt && major == 6 && minor == 0 && workstation);
  f.IsWin2008 = Flag(nt && major == 6 && minor == 0 && !workstation);
  f.IsWin7 = Flag(nt && major == 6 && minor == 1 && workstation);
  f.IsWin2008R2 = Flag(nt && major == 6 && minor == 1 && !workstation);
  f.IsWin8Client = Flag(nt && major == 6 && minor == 2 && workstation);
  f.IsWin8Server = Flag(nt && major == 6 && minor == 2 && !workstation);
  f.IsWin8 = Flag(nt && major == 6 && minor == 2);
}

// The long-term server releases of 10.0 by first build, oldest first.
struct ServerRelease {
  uint32_t firstBuild;
  int32_t VersionFactsRecord::*flag;
};
constexpr ServerRelease kServerReleases[] = {
    {14393, &VersionFactsRecord::IsWin2016},
    {17763, &VersionFactsRecord::IsWin2019},
    {20348, &VersionFactsRecord::IsWin2022},
    {26100, &VersionFactsRecord::IsWin2025},
};
constexpr uint32_t kFirstWindows11Build = 22000;

void SetCurrentReleases(VersionFactsRecord& f, const platform::VersionRecord& r) {
  const bool nt = f.IsWinNT != 0;
  const bool workstation = r.productType == kWorkstation;
  const bool win63 = nt && r.majorVersion == 6 && r.minorVersion == 3;
  const bool win10 = nt && r.majorVersion == 10 && r.minorVersion == 0;
  const uint32_t build = r.buildNumber;
  f.IsWin81 = Flag(win63 && workstation);
  f.IsWin2012 = Flag(nt && r.majorVersion == 6 && r.minorVersion == 2 && !workstation);
  f.IsWin2012R2 = Flag(win63 && !workstation);
  f.IsWin10 = Flag(win10 && workstation && build < kFirstWindows11Build);
  f.IsWin11 = Flag(win10 && workstation && build >= kFirstWindows11Build);
  // Each release runs up to the next one's first build; builds past the newest count as it.
  const size_t count = std::size(kServerReleases);
  for (size_t i = 0; i < count; ++i) {
    const bool reached = build >= kServerReleases[i].firstBuild;
    const bool passed = i + 1 < count && build >= kServerReleases[i + 1].firstBuild;
    f.*kServerReleases[i].flag = Flag(win10 && !workstation && reached && !passed);
  }
  f.IsServer = Flag(nt && !workstation);
  f.IsClient = Flag(nt && workstation);
  f.IsDomainController = Flag(nt && r.productType == kDomainController);
}

// The machine's native architecture as an IMAGE_FILE_MACHINE code, 0 when no probe can tell.
uint16_t NativeMachine() {
  platform::Services& services = platform::CurrentServices();
  const void* function = services.FindIsWow64Process2();
  VersionFacts.IsWow64Process2Address = function;
  if (function != nullptr) {
    uint16_t machine = 0;
    if (services.CallIsWow64Process2(function, &machine)) return machine;
    ReportDiagnostic(kSourcePath, __LINE__, u"IsWow64Process2 call failed");
    return 0;
  }
  // Without IsWow64Process2 there is no emulation on ARM64 to see through.
  switch (services.NativeProcessorArchitecture()) {
    case platform::kArchitectureX86:
      return platform::kMachineX86;
    case platform::kArchitectureX64:
      return platform::kMachineX64;
    case platform::kArchitectureArm64:
      return platform::kMachineArm64;
    case platform::kArchitectureUnknown:
      ReportDiagnostic(kSourcePath, __LINE__, u"GetNativeSystemInfo() named no architecture");
      return 0;
    default:  // a machine none of the values names: 32-bit ARM, Itanium
      return 0;
  }
}

void SetArchitecture(VersionFactsRecord& f) {
  const uint16_t machine = NativeMachine();
  f.IsX86 = Flag(machine == platform::kMachineX86);
  f.IsX64 = Flag(machine == platform::kMachineX64);
  f.IsARM64 = Flag(machine == platform::kMachineArm64);
}

void SetEditions(VersionFactsRecord& f, const platform::VersionRecord& r) {
  if (f.IsWin2000 != 0) {
    f.IsWin2000Pro = Flag(r.productType == kWorkstation);
    f.IsWin2000Server = Flag(r.productType == kServer);
  } else if (f.IsWinXP != 0) {
    if ((r.suiteMask & kSuitePersonal) != 0) {
      f.IsWinXPHome = 1;
    } else {
      f.IsWinXPPro = 1;
    }
    platform::Services& services = platform::CurrentServices();
    if (services.GetSystemMetric(platform::kMetricMediaCenter) != 0) f.IsMediaCenter = 1;
    if (services.GetSystemMetric(platform::kMetricTabletPC) != 0) f.IsTabletPC = 1;
  } else if (f.IsWin2003 != 0) {
    if ((r.suiteMask & kSuiteDatacenter) != 0) {
      f.IsWin2003Datacenter = 1;
    } else if ((r.suiteMask & kSuiteEnterprise) != 0) {
      f.IsWin2003Enterprise = 1;
    } else if ((r.suiteMask & kSuiteBlade) != 0) {
      f.IsWin2003Web = 1;
    } else {
      f.IsWin2003Standard = 1;
    }
  }
}

void ReplaceText(WideText*& slot, WideText* replacement) {
  delete slot;
  slot = replacement;
}

}  // namespace

int32_t GatherVersionFacts() {
  platform::Services& services = platform::CurrentServices();
  platform::VersionRecord r{};
  const bool haveRecord = services.GetVersionRecord(&r);
  if (!haveRecord) ReportDiagnostic(kSourcePath, __LINE__, u"GetVersionEx() call failed");
  VersionFactsRecord& f = VersionFacts;
  SetArchitecture(f);
  // A 64-bit process never runs under WOW64, so that probe cannot tell; the process itself
  // proves the system is 64-bit, with or without a version record.
  const bool process64 = services.ProcessIs64Bit();
  if (process64) {
    f.Is32Bit = 0;
    f.Is64Bit = 1;
  }
  if (!haveRecord) return 0;

  f.IsClassic = Flag(r.majorVersion < 6);
  f.IsWin2000Pro = f.IsWin2000Server = 0;
  f.IsWinXPHome = f.IsWinXPPro = f.IsMediaCenter = f.IsTabletPC = 0;
  f.IsWin2003Datacenter = f.IsWin2003Enterprise = f.IsWin2003Web = f.IsWin2003Standard = 0;
  f.IsWin9x = Flag(r.platformId == kPlatformWindows);
  f.IsWinNT = Flag(r.platformId == kPlatformNT);
  SetFamilies(f, r);
  SetCurrentReleases(f, r);
  SetEditions(f, r);
  if (!process64) {
    f.Is32Bit = Flag(IsWow64() == 0);
    f.Is64Bit = IsWow64();
  }

  // Both texts are built before either replaces its predecessor, so an allocation failure never
  // leaves a half-built text behind.
  auto description = std::make_unique<WideText>();
  auto servicePack = std::make_unique<WideText>();
  description->AppendNarrow("Windows Version: (Major=");
  description->AppendInt(static_cast<int32_t>(r.majorVersion)).AppendNarrow(") (Minor=");
  description->AppendInt(static_cast<int32_t>(r.minorVersion)).AppendNarrow(") (Build Number=");
  description->AppendInt(static_cast<int32_t>(r.buildNumber)).AppendNarrow(") (PlatformID=");
  description->AppendInt(static_cast<int32_t>(r.platformId)).AppendNarrow(") (Service Pack Major=");
  description->AppendInt(r.servicePackMajor).AppendNarrow(") (Service Pack Minor=");
  description->AppendInt(r.servicePackMinor).AppendNarrow(")");
  r.servicePack[127] = 0;
  servicePack->Append(r.servicePack);
  ReplaceText(f.VersionDescription, description.release());
  ReplaceText(f.ServicePackText, servicePack.release());
  return 1;
}

int32_t IsWow64() {
  platform::Services& services = platform::CurrentServices();
  const void* function = services.FindIsWow64Process();
  VersionFacts.IsWow64ProcessAddress = function;
  if (function == nullptr) return 0;
  int32_t wow64 = 0;
  if (!services.CallIsWow64Process(function, &wow64)) {
    ReportDiagnostic(kSourcePath, __LINE__, u"IsWow64Process call failed");
    return 0;
  }
  return wow64;
}

void ReleaseVersionTexts() {
  ReplaceText(VersionFacts.VersionDescription, nullptr);
  ReplaceText(VersionFacts.ServicePackText, nullptr);
}

namespace {

// The unit's start-up action: it runs before the entry of every program that links the unit, and
// registers the exit action that frees the texts.
struct StartUp {
  StartUp() {
    GatherVersionFacts();
    std::atexit(ReleaseVersionTexts);
  }
} startUp;

}  // namespace

}  // namespace hv
