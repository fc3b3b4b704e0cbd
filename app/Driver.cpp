#include "app/Driver.h"

#include "API/Windows/Platform/VersionUnit.h"
#include "app/Criteria.h"
#include "app/Usage.h"
#include "app/WildcardMatch.h"
#include "core/WideText.h"
#include "platform/Platform.h"

namespace hv {
namespace {

constexpr uint32_t kNameBufferUnits = 1023;

void AppendFrom(WideText& value, const WideText& argument, int32_t position) {
  value.Append(argument.Data() + position);
}

WideText& Normalise(WideText& text) {
  text.TrimLeft().TrimRight();
  platform::WideUpperInPlace(text.Buffer());
  return text;
}

// The computer name, trimmed and upper-cased; empty when the system cannot supply it.
void ReadComputerName(WideText& computerName) {
  char16_t buffer[kNameBufferUnits + 1] = {};
  uint32_t size = kNameBufferUnits;
  if (!platform::CurrentServices().GetComputerName(buffer, &size)) buffer[0] = 0;
  buffer[kNameBufferUnits] = 0;
  computerName.Append(buffer);
  Normalise(computerName);
}

}  // namespace

int RunDriver(int argc, const char16_t* const* argv) {
  WideText namePattern;
  WideText osValue;
  WideText platformValue;
  GatherVersionFacts();
  if (argc < 2) {
    PrintUsage();
    return kUsage;
  }
  WideText computerName;
  bool quiet = false;

  for (int i = 1; i < argc; ++i) {
    WideText argument;
    argument.Append(argv[i]);
    platform::WideUpperInPlace(argument.Buffer());
    argument.TrimLeft().TrimRight();
    const char16_t* text = argument.Data();
    if (WildcardMatch(text, 0, u"/NAME:*", 0) != 0) {
      AppendFrom(namePattern, argument, 6);
    } else if (WildcardMatch(text, 0, u"/OS:*", 0) != 0) {
      AppendFrom(osValue, argument, 4);
    } else if (WildcardMatch(text, 0, u"/PLATFORM:*", 0) != 0) {
      AppendFrom(platformValue, argument, 10);
    } else if (WildcardMatch(text, 0, u"/QUIET*", 0) != 0) {
      quiet = true;
    }
  }
  // The platform value is deliberately left as collected: only the OS value and the name
  // pattern are trimmed again.
  Normalise(osValue);
  Normalise(namePattern);
  ReadComputerName(computerName);

  const Verdict os = EvaluateOsOption(osValue);
  if (os == Verdict::kRejected) return kNoMatch;
  const Verdict bitness = EvaluatePlatformOption(platformValue);
  if (bitness == Verdict::kRejected) return kNoMatch;
  const bool nameHolds =
      namePattern.Empty() || WildcardMatch(computerName.Data(), 0, namePattern.Data(), 0) != 0;

  if (os == Verdict::kHolds && bitness == Verdict::kHolds && nameHolds) {
    if (!quiet) platform::PrintStdout("The computer matches the specified options\r\n");
    return kMatch;
  }
  if (!quiet) platform::PrintStdout("The computer does not match the specified options\r\n");
  return kNoMatch;
}

}  // namespace hv
