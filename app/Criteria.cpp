#include "app/Criteria.h"

#include <string>

#include "API/Windows/Platform/VersionUnit.h"
#include "core/WideText.h"
#include "platform/Platform.h"

namespace hv {
namespace {

Verdict FromFlag(int32_t flag) { return flag != 0 ? Verdict::kHolds : Verdict::kFails; }

struct OsOption {
  const char* name;
  int32_t (*holds)(const VersionFactsRecord&);
};

// Checked in this order; the first equal name decides.
constexpr OsOption kOsOptions[] = {
    {"WINDOWS2000", [](const VersionFactsRecord& f) { return f.IsWin2000; }},
    {"WINDOWSXP", [](const VersionFactsRecord& f) { return f.IsWinXP; }},
    {"WINDOWS2003", [](const VersionFactsRecord& f) { return f.IsWin2003; }},
    {"WINDOWSVISTA", [](const VersionFactsRecord& f) { return f.IsWinVista; }},
    {"WINDOWS7", [](const VersionFactsRecord& f) { return f.IsWin7; }},
    {"WINDOWS8", [](const VersionFactsRecord& f) { return f.IsWin8; }},
    {"WINDOWS8CLIENT", [](const VersionFactsRecord& f) { return f.IsWin8Client; }},
    {"WINDOWS8SERVER", [](const VersionFactsRecord& f) { return f.IsWin8Server; }},
    {"WINDOWS2008",
     [](const VersionFactsRecord& f) { return (f.IsWin2008 != 0 || f.IsWin2008R2 != 0) ? 1 : 0; }},
    {"CLASSIC", [](const VersionFactsRecord& f) { return f.IsClassic; }},
    {"MODERN", [](const VersionFactsRecord& f) { return f.IsClassic == 0 ? 1 : 0; }},
    // Later names come after every older one, so none of them can change an older name's verdict.
    {"WINDOWS81", [](const VersionFactsRecord& f) { return f.IsWin81; }},
    {"WINDOWS8.1", [](const VersionFactsRecord& f) { return f.IsWin81; }},
    {"WINDOWS10", [](const VersionFactsRecord& f) { return f.IsWin10; }},
    {"WINDOWS11", [](const VersionFactsRecord& f) { return f.IsWin11; }},
    {"WINDOWS2008R2", [](const VersionFactsRecord& f) { return f.IsWin2008R2; }},
    {"WINDOWS2012",
     [](const VersionFactsRecord& f) { return (f.IsWin2012 != 0 || f.IsWin2012R2 != 0) ? 1 : 0; }},
    {"WINDOWS2012R2", [](const VersionFactsRecord& f) { return f.IsWin2012R2; }},
    {"WINDOWS2016", [](const VersionFactsRecord& f) { return f.IsWin2016; }},
    {"WINDOWS2019", [](const VersionFactsRecord& f) { return f.IsWin2019; }},
    {"WINDOWS2022", [](const VersionFactsRecord& f) { return f.IsWin2022; }},
    {"WINDOWS2025", [](const VersionFactsRecord& f) { return f.IsWin2025; }},
    {"SERVER", [](const VersionFactsRecord& f) { return f.IsServer; }},
    {"CLIENT", [](const VersionFactsRecord& f) { return f.IsClient; }},
    {"DOMAINCONTROLLER", [](const VersionFactsRecord& f) { return f.IsDomainController; }},
};

// The platform values after "64" and "32": the machine's native architecture.
struct PlatformOption {
  const char16_t* name;
  int32_t VersionFactsRecord::*flag;
};
constexpr PlatformOption kArchitectureOptions[] = {
    {u"X64", &VersionFactsRecord::IsX64},
    {u"ARM64", &VersionFactsRecord::IsARM64},
    {u"X86", &VersionFactsRecord::IsX86},
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
      return FromFlag(option.holds(VersionFacts));
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
