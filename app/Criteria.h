// The criteria that depend on the running system: the Windows version or family named by /OS:,
// and the bitness or architecture named by /PLATFORM:. Both read VersionFacts and never change
// it.
#pragma once

namespace hv {

class WideText;

enum class Verdict { kHolds, kFails, kRejected };

// `osValue` is trimmed and upper-cased. An unknown value prints its message and is rejected.
Verdict EvaluateOsOption(WideText& osValue);

// `platformValue` is used exactly as collected. An unknown value prints its message and is
// rejected.
Verdict EvaluatePlatformOption(WideText& platformValue);

}  // namespace hv
