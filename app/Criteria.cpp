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
  PrintRejection("Unknown platform: ", platformValue);
  return Verdict::kRejected;
}

}  // namespace hv
