// Every /os: name on every version record, against verdicts worked out here from the record's
// numbers alone: the older names must answer as they always did, and the later ones by their
// own rules.
#include "app/Criteria.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "API/Windows/Platform/VersionUnit.h"
#include "core/WideText.h"
#include "support/FakeServices.h"
#include "support/FakeSystemTest.h"

namespace hv {
namespace {

using testing::Version;

const char* const kOlderNames[] = {"WINDOWS2000", "WINDOWSXP", "WINDOWS2003",    "WINDOWSVISTA",
                                   "WINDOWS7",    "WINDOWS8",  "WINDOWS8CLIENT", "WINDOWS8SERVER",
                                   "WINDOWS2008", "CLASSIC",   "MODERN"};
const char* const kLaterNames[] = {
    "WINDOWS81",   "WINDOWS8.1",    "WINDOWS10",   "WINDOWS11",       "WINDOWS2008R2",
    "WINDOWS2012", "WINDOWS2012R2", "WINDOWS2016", "WINDOWS2019",     "WINDOWS2022",
    "WINDOWS2025", "SERVER",        "CLIENT",      "DOMAINCONTROLLER"};

bool Holds(const std::string& name, const platform::VersionRecord& r) {
  const bool nt = r.platformId == 2;
  const bool client = r.productType == 1;
  const uint32_t b = r.buildNumber;
  auto is = [&](uint32_t major, uint32_t minor) {
    return nt && r.majorVersion == major && r.minorVersion == minor;
  };
  auto server10 = [&](uint32_t from, uint32_t to) {
    return is(10, 0) && !client && b >= from && b <= to;
  };
  if (name == "WINDOWS2000") return is(5, 0);
  if (name == "WINDOWSXP") return is(5, 1);
  if (name == "WINDOWS2003") return is(5, 2);
  if (name == "WINDOWSVISTA") return is(6, 0) && client;
  if (name == "WINDOWS7") return is(6, 1) && client;
  if (name == "WINDOWS8") return is(6, 2);
  if (name == "WINDOWS8CLIENT") return is(6, 2) && client;
  if (name == "WINDOWS8SERVER") return is(6, 2) && !client;
  if (name == "WINDOWS2008") return (is(6, 0) || is(6, 1)) && !client;
  if (name == "CLASSIC") return r.majorVersion < 6;
  if (name == "MODERN") return r.majorVersion >= 6;
  if (name == "WINDOWS81" || name == "WINDOWS8.1") return is(6, 3) && client;
  if (name == "WINDOWS10") return is(10, 0) && client && b < 22000;
  if (name == "WINDOWS11") return is(10, 0) && client && b >= 22000;
  if (name == "WINDOWS2008R2") return is(6, 1) && !client;
  if (name == "WINDOWS2012") return (is(6, 2) || is(6, 3)) && !client;
  if (name == "WINDOWS2012R2") return is(6, 3) && !client;
  if (name == "WINDOWS2016") return server10(14393, 17762);
  if (name == "WINDOWS2019") return server10(17763, 20347);
  if (name == "WINDOWS2022") return server10(20348, 26099);
  if (name == "WINDOWS2025") return server10(26100, UINT32_MAX);
  if (name == "SERVER") return nt && !client;
  if (name == "CLIENT") return nt && client;
  if (name == "DOMAINCONTROLLER") return nt && r.productType == 2;
  ADD_FAILURE() << "no rule for " << name;
  return false;
}

platform::VersionRecord Build(uint32_t major, uint32_t minor, uint8_t productType, uint32_t build) {
  platform::VersionRecord r = Version(major, minor, productType);
  r.buildNumber = build;
  return r;
}

class CriteriaTest : public testing::FakeSystemTest {
 protected:
  static Verdict Os(const char* value) {
    WideText text;
    text.AppendNarrow(value);
    return EvaluateOsOption(text);
  }

  static Verdict Platform(const char16_t* value) {
    WideText text;
    text.Append(value);
    return EvaluatePlatformOption(text);
  }
};

TEST_F(CriteriaTest, EveryNameOnEveryRecordFollowsTheRecord) {
  const platform::VersionRecord records[] = {
      Version(4, 0, 0, 1),    Version(4, 10, 0, 1),
      Version(4, 90, 0, 1),   Version(4, 0, 1),
      Version(4, 7, 3),       Version(5, 0, 1),
      Version(5, 0, 2),       Version(5, 0, 3),
      Version(5, 1, 1),       Version(5, 1, 1, 2, 0x0200),
      Version(5, 2, 1),       Version(5, 2, 3, 2, 0x0082),
      Version(6, 0, 1),       Version(6, 0, 2),
      Version(6, 0, 3),       Version(6, 1, 1),
      Version(6, 1, 2),       Version(6, 1, 3),
      Version(6, 2, 1),       Version(6, 2, 3),
      Version(6, 3, 1),       Version(6, 3, 2),
      Version(6, 3, 3),       Version(10, 0, 1),
      Version(10, 0, 3),      Version(5, 1, 1, 3),
      Build(10, 0, 1, 10240), Build(10, 0, 1, 19045),
      Build(10, 0, 1, 21999), Build(10, 0, 1, 22000),
      Build(10, 0, 1, 26100), Build(10, 0, 3, 14392),
      Build(10, 0, 3, 14393), Build(10, 0, 3, 16299),
      Build(10, 0, 3, 17762), Build(10, 0, 3, 17763),
      Build(10, 0, 3, 20347), Build(10, 0, 3, 20348),
      Build(10, 0, 2, 20348), Build(10, 0, 3, 26099),
      Build(10, 0, 3, 26100), Build(10, 0, 3, 30000),
      Build(10, 0, 2, 26100), Build(10, 1, 3, 26100),
  };
  for (const platform::VersionRecord& r : records) {
    SCOPED_TRACE(::testing::Message()
                 << r.majorVersion << "." << r.minorVersion << " type " << int{r.productType}
                 << " build " << r.buildNumber << " platform " << r.platformId);
    ResetVersionFacts();
    fake.version = r;
    ASSERT_EQ(GatherVersionFacts(), 1);
    for (const char* name : kOlderNames) {
      EXPECT_EQ(Os(name), Holds(name, r) ? Verdict::kHolds : Verdict::kFails) << name;
    }
    for (const char* name : kLaterNames) {
      EXPECT_EQ(Os(name), Holds(name, r) ? Verdict::kHolds : Verdict::kFails) << name;
    }
  }
}

TEST_F(CriteriaTest, WithoutAVersionRecordOnlyModernHolds) {
  for (const bool process64 : {false, true}) {
    SCOPED_TRACE(process64 ? "64-bit process" : "32-bit process");
    ResetVersionFacts();
    fake.is64BitProcess = process64;
    ASSERT_EQ(GatherVersionFacts(), 0);
    for (const char* name : kOlderNames) {
      const bool modern = std::string(name) == "MODERN";
      EXPECT_EQ(Os(name), modern ? Verdict::kHolds : Verdict::kFails) << name;
    }
    for (const char* name : kLaterNames) EXPECT_EQ(Os(name), Verdict::kFails) << name;
    // A 64-bit process is proof of a 64-bit system; a 32-bit one knows nothing.
    EXPECT_EQ(Platform(u"64"), process64 ? Verdict::kHolds : Verdict::kFails);
    EXPECT_EQ(Platform(u"32"), Verdict::kFails);
  }
}

TEST_F(CriteriaTest, NamesCloseToKnownOnesAreStillRejected) {
  fake.version = Build(10, 0, 3, 20348);
  GatherVersionFacts();
  for (const char* name : {"WINDOWS2012R3", "WINDOWS 2022", "WIN2022", "SERVERS", "WINDOWS8.0",
                           "DOMAIN CONTROLLER", "WINDOWS2022 "}) {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Os(name), Verdict::kRejected) << name;
    // Line ends differ with the runtime's text mode; the end-to-end suites check their bytes.
    std::string out = ::testing::internal::GetCapturedStdout();
    std::erase(out, '\r');
    EXPECT_EQ(out, std::string("Unknown OS Option: ") + name + "\n");
  }
}

TEST_F(CriteriaTest, ArchitectureNamesTheMachine) {
  struct Row {
    uint16_t architecture;
    Verdict x64, arm64, x86;
  };
  const Row rows[] = {
      {platform::kArchitectureX64, Verdict::kHolds, Verdict::kFails, Verdict::kFails},
      {platform::kArchitectureArm64, Verdict::kFails, Verdict::kHolds, Verdict::kFails},
      {platform::kArchitectureX86, Verdict::kFails, Verdict::kFails, Verdict::kHolds},
      {platform::kArchitectureUnknown, Verdict::kFails, Verdict::kFails, Verdict::kFails},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.architecture);
    fake.processorArchitecture = row.architecture;
    fake.version = Version(10, 0, 1);
    GatherVersionFacts();
    EXPECT_EQ(Platform(u"X64"), row.x64);
    EXPECT_EQ(Platform(u"ARM64"), row.arm64);
    EXPECT_EQ(Platform(u"X86"), row.x86);
  }
  // Only the exact upper-cased names: the value is not trimmed again.
  for (const char16_t* value : {u" X64", u"AMD64", u"X86_64", u"ARM", u"x64"}) {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Platform(value), Verdict::kRejected);
    EXPECT_EQ(::testing::internal::GetCapturedStdout().rfind("Unknown platform: ", 0), 0u);
  }
}

}  // namespace
}  // namespace hv
