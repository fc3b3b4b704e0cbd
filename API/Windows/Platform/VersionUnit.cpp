#include "API/Windows/Platform/VersionUnit.h"

#include <cstdlib>
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
constexpr uint8_t kServer = 3;            // VER_NT_SERVER
constexpr uint16_t kSuiteEnterprise = 0x0002;
constexpr uint16_t kSuiteDatacenter = 0x0080;
constexpr uint16_t kSuitePersonal = 0x0200;
constexpr uint16_t kSuiteBlade = 0x0400;
constexpr int32_t kMetricTabletPC = 86;
constexpr int32_t kMetricMediaCenter = 87;

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
    if (services.GetSystemMetric(kMetricMediaCenter) != 0) f.IsMediaCenter = 1;
    if (services.GetSystemMetric(kMetricTabletPC) != 0) f.IsTabletPC = 1;
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
  if (!services.GetVersionRecord(&r)) {
    ReportDiagnostic(kSourcePath, __LINE__, u"GetVersionEx() call failed");
    return 0;
  }
  VersionFactsRecord& f = VersionFacts;
  f.IsClassic = Flag(r.majorVersion < 6);
  f.IsWin2000Pro = f.IsWin2000Server = 0;
  f.IsWinXPHome = f.IsWinXPPro = f.IsMediaCenter = f.IsTabletPC = 0;
  f.IsWin2003Datacenter = f.IsWin2003Enterprise = f.IsWin2003Web = f.IsWin2003Standard = 0;
  f.Is64Bit = f.Is32Bit = 0;
  f.IsWin9x = Flag(r.platformId == kPlatformWindows);
  f.IsWinNT = Flag(r.platformId == kPlatformNT);
  SetFamilies(f, r);
  SetEditions(f, r);

  if (services.ProcessIs64Bit()) {
    // A 64-bit process never runs under WOW64, so the probe cannot tell; the process itself
    // proves the system is 64-bit.
    f.Is32Bit = 0;
    f.Is64Bit = 1;
  } else {
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

void StartVersionUnit() {
  GatherVersionFacts();
  std::atexit(ReleaseVersionTexts);
}

}  // namespace hv
