#include "app/Driver.h"

#include <string_view>

#include "API/Windows/Platform/VersionUnit.h"
#include "app/Criteria.h"
#include "app/Usage.h"
#include "app/WildcardMatch.h"
#include "core/WideText.h"
#include "platform/Platform.h"

namespace hv {
namespace {

constexpr uint32_t kNameBufferUnits = 1023;

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

  // Tried in this order; the first pattern that matches decides. A value starts where its
  // pattern's star stands. /QUIET carries no value.
  const struct {
    std::u16string_view pattern;
    WideText* value;
  } switches[] = {{u"/NAME:*", &namePattern},
                  {u"/OS:*", &osValue},
                  {u"/PLATFORM:*", &platformValue},
                  {u"/QUIET*", nullptr}};

  for (int i = 1; i < argc; ++i) {
    WideText argument;
    argument.Append(argv[i]);
    platform::WideUpperInPlace(argument.Buffer());
    argument.TrimLeft().TrimRight();
    for (const auto& sw : switches) {
      if (WildcardMatch(argument.Data(), 0, sw.pattern.data(), 0) == 0) continue;
      if (sw.value == nullptr) {
        quiet = true;
      } else {
        sw.value->Append(argument.Data() + (sw.pattern.size() - 1));
      }
      break;
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
