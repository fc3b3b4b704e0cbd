#include "app/Criteria.h"

#include <string>

#include "API/Windows/Platform/VersionUnit.h"
#include "core/WideText.h"
#include "platform/Platform.h"

namespace hv {
namespace {

Verdict FromFlag(int32_t flag) { return flag != 0 ? Verdict::kHolds : Verdict::kFails; }

using Facts = VersionFactsRecord;

// An OS value holds when its flag is set, or its second flag where it has one; a negated value
// holds when its flag is clear.
struct OsOption {
  const char* name;
  int32_t Facts::*flag;
  int32_t Facts::*orFlag = nullptr;
  bool negated = false;

  bool Holds(const Facts& f) const {
    const bool set = f.*flag != 0 || (orFlag != nullptr && f.*orFlag != 0);
    return set != negated;
  }
};

// Checked in this order; the first equal name decides.
constexpr OsOption kOsOptions[] = {
    {"WINDOWS2000", &Facts::IsWin2000},
    {"WINDOWSXP", &Facts::IsWinXP},
    {"WINDOWS2003", &Facts::IsWin2003},
    {"WINDOWSVISTA", &Facts::IsWinVista},
    {"WINDOWS7", &Facts::IsWin7},
    {"WINDOWS8", &Facts::IsWin8},
    {"WINDOWS8CLIENT", &Facts::IsWin8Client},
    {"WINDOWS8SERVER", &Facts::IsWin8Server},
    {"WINDOWS2008", &Facts::IsWin2008, &Facts::IsWin2008R2},
    {"CLASSIC", &Facts::IsClassic},
    {"MODERN", &Facts::IsClassic, nullptr, true},
    // Later names come after every older one, so none of them can change an older name's verdict.
    {"WINDOWS81", &Facts::IsWin81},
    {"WINDOWS8.1", &Facts::IsWin81},
    {"WINDOWS10", &Facts::IsWin10},
    {"WINDOWS11", &Facts::IsWin11},
    {"WINDOWS2008R2", &Facts::IsWin2008R2},
    {"WINDOWS2012", &Facts::IsWin2012, &Facts::IsWin2012R2},
    {"WINDOWS2012R2", &Facts::IsWin2012R2},
    {"WINDOWS2016", &Facts::IsWin2016},
    {"WINDOWS2019", &Facts::IsWin2019},
    {"WINDOWS2022", &Facts::IsWin2022},
    {"WINDOWS2025", &Facts::IsWin2025},
    {"SERVER", &Facts::IsServer},
    {"CLIENT", &Facts::IsClient},
    {"DOMAINCONTROLLER", &Facts::IsDomainController},
};

// The platform values after "64" and "32": the machine's native architecture.
struct PlatformOption {
  const char16_t* name;
  int32_t Facts::*flag;
};
constexpr PlatformOption kArchitectureOptions[] = {
    {u"X64", &Facts::IsX64},
    {u"ARM64", &Facts::IsARM64},
    {u"X86", &Facts::IsX86},
};

void PrintRejection(const char* label, WideText& value) {
  std::string line = label;
  line += value.ToNarrow();
  line += "\r\n";
  platform::PrintStdout(line.c_str());
}

}  // namespace

Verdict EvaluateOsOption(WideText& osValue) {
  if (osValue.Empty()) return Verdict::kHolds;
  for (const OsOption& option : kOsOptions) {
    if (WideText::CompareNarrow(osValue, option.name) == 0) {
      return option.Holds(VersionFacts) ? Verdict::kHolds : Verdict::kFails;
    }
  }
  PrintRejection("Unknown OS Option: ", osValue);
  return Verdict::kRejected;
}

Verdict EvaluatePlatformOption(WideText& platformValue) {
  if (platformValue.Empty()) return Verdict::kHolds;
  if (platform::WideCompare(platformValue.Data(), u"64") == 0) {
    return FromFlag(VersionFacts.Is64Bit);
  }
  if (platform::WideCompare(platformValue.Data(), u"32") == 0) {
    return FromFlag(VersionFacts.Is32Bit);
  }
  for (const PlatformOption& option : kArchitectureOptions) {
    if (platform::WideCompare(platformValue.Data(), option.name) == 0) {
      return FromFlag(VersionFacts.*option.flag);
    }
  }
  PrintRejection("Unknown platform: ", platformValue);
  return Verdict::kRejected;
}

}  // namespace hv
