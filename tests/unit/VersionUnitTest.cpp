#include "API/Windows/Platform/VersionUnit.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/WideText.h"
#include "support/FakeServices.h"
#include "support/FakeSystemTest.h"
#include "support/RecordingLog.h"

namespace hv {
namespace {

using testing::FakeServices;
using testing::RecordingLog;
using testing::Version;

// The facts as they stand when the test program's entry has started, before any test resets them.
VersionFactsRecord factsAtEntry{};
class FactsAtEntry : public ::testing::Environment {
  void SetUp() override { factsAtEntry = VersionFacts; }
};
[[maybe_unused]] ::testing::Environment* const factsAtEntryProbe =
    ::testing::AddGlobalTestEnvironment(new FactsAtEntry);

TEST(VersionUnitStartUpTest, FactsAreGatheredBeforeTheEntryOfAnyProgramLinkingTheUnit) {
  // Every gathering here settles the bitness one way or the other: a 64-bit process knows it
  // without a version record, and each Windows we test on supplies one.
  EXPECT_NE(factsAtEntry.Is64Bit != 0, factsAtEntry.Is32Bit != 0);
}

// Every yes/no fact by name, so a table row can list just the ones that must be 1.
std::map<std::string, int32_t> Flags(const VersionFactsRecord& f) {
  return {{"IsClassic", f.IsClassic},
          {"IsWin9x", f.IsWin9x},
          {"IsWinNT", f.IsWinNT},
          {"IsWin95", f.IsWin95},
          {"IsWin98", f.IsWin98},
          {"IsWinMe", f.IsWinMe},
          {"IsNT4", f.IsNT4},
          {"IsWin2000", f.IsWin2000},
          {"IsWinXP", f.IsWinXP},
          {"IsWin2003", f.IsWin2003},
          {"IsWinVista", f.IsWinVista},
          {"IsWin2008", f.IsWin2008},
          {"IsWin7", f.IsWin7},
          {"IsWin2008R2", f.IsWin2008R2},
          {"IsWin8", f.IsWin8},
          {"IsWin8Client", f.IsWin8Client},
          {"IsWin8Server", f.IsWin8Server},
          {"IsWin81", f.IsWin81},
          {"IsWin2012", f.IsWin2012},
          {"IsWin2012R2", f.IsWin2012R2},
          {"IsWin10", f.IsWin10},
          {"IsWin11", f.IsWin11},
          {"IsWin2016", f.IsWin2016},
          {"IsWin2019", f.IsWin2019},
          {"IsWin2022", f.IsWin2022},
          {"IsWin2025", f.IsWin2025},
          {"IsServer", f.IsServer},
          {"IsClient", f.IsClient},
          {"IsDomainController", f.IsDomainController},
          {"IsWin2000Pro", f.IsWin2000Pro},
          {"IsWin2000Server", f.IsWin2000Server},
          {"IsWinXPHome", f.IsWinXPHome},
          {"IsWinXPPro", f.IsWinXPPro},
          {"IsMediaCenter", f.IsMediaCenter},
          {"IsTabletPC", f.IsTabletPC},
          {"IsWin2003Datacenter", f.IsWin2003Datacenter},
          {"IsWin2003Enterprise", f.IsWin2003Enterprise},
          {"IsWin2003Web", f.IsWin2003Web},
          {"IsWin2003Standard", f.IsWin2003Standard},
          {"Is64Bit", f.Is64Bit},
          {"Is32Bit", f.Is32Bit}};
}

class VersionUnitTest : public testing::FakeSystemTest {
 protected:
  // Asserts that exactly the named flags are 1 and every other is 0.
  static void ExpectExactly(std::initializer_list<std::string> set) {
    for (const auto& [name, value] : Flags(VersionFacts)) {
      const bool expected = std::find(set.begin(), set.end(), name) != set.end();
      EXPECT_EQ(value, expected ? 1 : 0) << name;
    }
  }

  RecordingLog log;
};

struct Row {
  const char* label;
  platform::VersionRecord record;
  std::initializer_list<std::string> flags;  // besides Is32Bit, which every row has
  int32_t mediaCenter = 0;
  int32_t tabletPC = 0;
};

TEST_F(VersionUnitTest, ClassifiesEveryFamilyAndEdition) {
  const Row rows[] = {
      {"95", Version(4, 0, 0, 1), {"IsClassic", "IsWin9x", "IsWin95"}},
      {"98", Version(4, 10, 0, 1), {"IsClassic", "IsWin9x", "IsWin98"}},
      {"Me", Version(4, 90, 0, 1), {"IsClassic", "IsWin9x", "IsWinMe"}},
      {"NT4", Version(4, 0, 1, 2), {"IsClassic", "IsWinNT", "IsNT4", "IsClient"}},
      {"NT4 any minor", Version(4, 7, 3, 2), {"IsClassic", "IsWinNT", "IsNT4", "IsServer"}},
      {"2000 Pro",
       Version(5, 0, 1),
       {"IsClassic", "IsWinNT", "IsWin2000", "IsWin2000Pro", "IsClient"}},
      {"2000 Server",
       Version(5, 0, 3),
       {"IsClassic", "IsWinNT", "IsWin2000", "IsWin2000Server", "IsServer"}},
      {"2000 DC",
       Version(5, 0, 2),
       {"IsClassic", "IsWinNT", "IsWin2000", "IsServer", "IsDomainController"}},
      {"XP Pro", Version(5, 1, 1), {"IsClassic", "IsWinNT", "IsWinXP", "IsWinXPPro", "IsClient"}},
      {"XP Home",
       Version(5, 1, 1, 2, 0x0200),
       {"IsClassic", "IsWinNT", "IsWinXP", "IsWinXPHome", "IsClient"}},
      {"XP Media Center",
       Version(5, 1, 1),
       {"IsClassic", "IsWinNT", "IsWinXP", "IsWinXPPro", "IsMediaCenter", "IsClient"},
       1},
      {"XP Tablet",
       Version(5, 1, 1, 2, 0x0200),
       {"IsClassic", "IsWinNT", "IsWinXP", "IsWinXPHome", "IsTabletPC", "IsClient"},
       0,
       5},
      {"2003 Datacenter first",
       Version(5, 2, 3, 2, 0x0082),
       {"IsClassic", "IsWinNT", "IsWin2003", "IsWin2003Datacenter", "IsServer"}},
      {"2003 Enterprise",
       Version(5, 2, 3, 2, 0x0402),
       {"IsClassic", "IsWinNT", "IsWin2003", "IsWin2003Enterprise", "IsServer"}},
      {"2003 Web",
       Version(5, 2, 3, 2, 0x0400),
       {"IsClassic", "IsWinNT", "IsWin2003", "IsWin2003Web", "IsServer"}},
      {"2003 Standard on a workstation",
       Version(5, 2, 1),
       {"IsClassic", "IsWinNT", "IsWin2003", "IsWin2003Standard", "IsClient"}},
      {"Vista", Version(6, 0, 1), {"IsWinNT", "IsWinVista", "IsClient"}},
      {"2008", Version(6, 0, 3), {"IsWinNT", "IsWin2008", "IsServer"}},
      {"2008 DC", Version(6, 0, 2), {"IsWinNT", "IsWin2008", "IsServer", "IsDomainController"}},
      {"7", Version(6, 1, 1), {"IsWinNT", "IsWin7", "IsClient"}},
      {"2008 R2", Version(6, 1, 3), {"IsWinNT", "IsWin2008R2", "IsServer"}},
      {"8 client", Version(6, 2, 1), {"IsWinNT", "IsWin8", "IsWin8Client", "IsClient"}},
      {"8 server",
       Version(6, 2, 3),
       {"IsWinNT", "IsWin8", "IsWin8Server", "IsWin2012", "IsServer"}},
      {"8.1", Version(6, 3, 1), {"IsWinNT", "IsWin81", "IsClient"}},
      {"10", Version(10, 0, 1), {"IsWinNT", "IsWin10", "IsClient"}},
      {"unknown platform", Version(5, 1, 1, 3), {"IsClassic"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    fake.version = row.record;
    fake.mediaCenter = row.mediaCenter;
    fake.tabletPC = row.tabletPC;
    fake.metricsAsked.clear();
    ASSERT_EQ(GatherVersionFacts(), 1);
    std::initializer_list<std::string> flags = row.flags;
    std::vector<std::string> expected(flags.begin(), flags.end());
    expected.push_back("Is32Bit");
    for (const auto& [name, value] : Flags(VersionFacts)) {
      const bool want = std::find(expected.begin(), expected.end(), name) != expected.end();
      EXPECT_EQ(value, want ? 1 : 0) << name;
    }
    // Only Windows XP asks for the two metrics.
    EXPECT_EQ(fake.metricsAsked.size(), VersionFacts.IsWinXP != 0 ? 2u : 0u);
  }
  EXPECT_TRUE(log.messages.empty());
}

platform::VersionRecord Build(uint32_t major, uint32_t minor, uint8_t productType, uint32_t build) {
  platform::VersionRecord r = Version(major, minor, productType);
  r.buildNumber = build;
  return r;
}

TEST_F(VersionUnitTest, NamesTheCurrentReleasesOnTheirBoundaryBuilds) {
  const Row rows[] = {
      {"8.1", Build(6, 3, 1, 9600), {"IsWinNT", "IsWin81", "IsClient"}},
      {"2012 R2", Build(6, 3, 3, 9600), {"IsWinNT", "IsWin2012R2", "IsServer"}},
      {"2012 R2 DC",
       Build(6, 3, 2, 9600),
       {"IsWinNT", "IsWin2012R2", "IsServer", "IsDomainController"}},
      {"2012",
       Build(6, 2, 3, 9200),
       {"IsWinNT", "IsWin8", "IsWin8Server", "IsWin2012", "IsServer"}},
      {"10 first build", Build(10, 0, 1, 10240), {"IsWinNT", "IsWin10", "IsClient"}},
      {"10 last build", Build(10, 0, 1, 21999), {"IsWinNT", "IsWin10", "IsClient"}},
      {"11 first build", Build(10, 0, 1, 22000), {"IsWinNT", "IsWin11", "IsClient"}},
      {"11 past the newest", Build(10, 0, 1, 4000000000u), {"IsWinNT", "IsWin11", "IsClient"}},
      {"server pre-release", Build(10, 0, 3, 14392), {"IsWinNT", "IsServer"}},
      {"2016 first build", Build(10, 0, 3, 14393), {"IsWinNT", "IsWin2016", "IsServer"}},
      {"semi-annual 1709 counts as 2016",
       Build(10, 0, 3, 16299),
       {"IsWinNT", "IsWin2016", "IsServer"}},
      {"2016 last build", Build(10, 0, 3, 17762), {"IsWinNT", "IsWin2016", "IsServer"}},
      {"2019 first build", Build(10, 0, 3, 17763), {"IsWinNT", "IsWin2019", "IsServer"}},
      {"2019 last build", Build(10, 0, 3, 20347), {"IsWinNT", "IsWin2019", "IsServer"}},
      {"2022 first build", Build(10, 0, 3, 20348), {"IsWinNT", "IsWin2022", "IsServer"}},
      {"2022 last build", Build(10, 0, 3, 26099), {"IsWinNT", "IsWin2022", "IsServer"}},
      {"2025 first build", Build(10, 0, 3, 26100), {"IsWinNT", "IsWin2025", "IsServer"}},
      {"2025 past the newest", Build(10, 0, 3, 4000000000u), {"IsWinNT", "IsWin2025", "IsServer"}},
      {"2022 domain controller",
       Build(10, 0, 2, 20348),
       {"IsWinNT", "IsWin2022", "IsServer", "IsDomainController"}},
      {"a workstation build number is no server year",
       Build(10, 0, 1, 17763),
       {"IsWinNT", "IsWin10", "IsClient"}},
      {"a server build number is no workstation name",
       Build(10, 0, 3, 22000),
       {"IsWinNT", "IsWin2022", "IsServer"}},
      {"10.1 is no named release", Build(10, 1, 1, 26100), {"IsWinNT", "IsClient"}},
      {"6.4 is no named release", Build(6, 4, 3, 9800), {"IsWinNT", "IsServer"}},
      {"9x is neither client nor server",
       Version(4, 10, 1, 1),
       {"IsClassic", "IsWin9x", "IsWin98"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    fake.version = row.record;
    ASSERT_EQ(GatherVersionFacts(), 1);
    std::vector<std::string> expected(row.flags.begin(), row.flags.end());
    expected.push_back("Is32Bit");
    for (const auto& [name, value] : Flags(VersionFacts)) {
      const bool want = std::find(expected.begin(), expected.end(), name) != expected.end();
      EXPECT_EQ(value, want ? 1 : 0) << name;
    }
  }
}

TEST_F(VersionUnitTest, EditionFlagsDoNotLeakIntoTheNextGathering) {
  fake.version = Version(5, 2, 3, 2, 0x0080);
  GatherVersionFacts();
  fake.version = Version(6, 1, 1);
  GatherVersionFacts();
  ExpectExactly({"IsWinNT", "IsWin7", "IsClient", "Is32Bit"});
}

TEST_F(VersionUnitTest, DescribesTheVersionAndServicePack) {
  platform::VersionRecord r = Version(6, 1, 1);
  r.buildNumber = 7601;
  r.servicePackMajor = 1;
  std::u16string sp = u"Service Pack 1";
  sp.copy(r.servicePack, sp.size());
  fake.version = r;
  GatherVersionFacts();
  ASSERT_NE(VersionFacts.VersionDescription, nullptr);
  EXPECT_EQ(std::u16string(VersionFacts.VersionDescription->Data()),
            u"Windows Version: (Major=6) (Minor=1) (Build Number=7601) (PlatformID=2) "
            u"(Service Pack Major=1) (Service Pack Minor=0)");
  EXPECT_EQ(std::u16string(VersionFacts.ServicePackText->Data()), u"Service Pack 1");

  // A second gathering replaces both texts (ASan reports the first ones if they leak).
  r.servicePack[0] = 0;
  r.servicePackMajor = 65535;
  fake.version = r;
  GatherVersionFacts();
  EXPECT_EQ(std::u16string(VersionFacts.ServicePackText->Data()), u"");
  EXPECT_NE(std::u16string(VersionFacts.VersionDescription->Data()).find(u"Major=65535)"),
            std::u16string::npos);
}

TEST_F(VersionUnitTest, FailedGatheringReportsOnceAndChangesNothing) {
  EXPECT_EQ(GatherVersionFacts(), 0);
  ExpectExactly({});
  EXPECT_EQ(VersionFacts.VersionDescription, nullptr);
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].rfind(u"(VersionUnit.cpp) at ", 0), 0u);
  EXPECT_NE(log.messages[0].find(u" - GetVersionEx() call failed"), std::u16string::npos);

  // Later failures keep what an earlier gathering found.
  fake.version = Version(6, 2, 1);
  GatherVersionFacts();
  const WideText* description = VersionFacts.VersionDescription;
  fake.version.reset();
  EXPECT_EQ(GatherVersionFacts(), 0);
  ExpectExactly({"IsWinNT", "IsWin8", "IsWin8Client", "IsClient", "Is32Bit"});
  EXPECT_EQ(VersionFacts.VersionDescription, description);
}

TEST_F(VersionUnitTest, BitnessProbesOfA32BitProcess) {
  using Answer = FakeServices::Wow64Answer;
  struct Probe {
    const char* label;
    bool exists;
    std::deque<Answer> answers;
    int32_t is32, is64;
    size_t reports;
  };
  const Probe probes[] = {
      {"plain 32-bit system", true, {{true, 0}, {true, 0}}, 1, 0, 0},
      {"under WOW64", true, {{true, 1}, {true, 1}}, 0, 1, 0},
      {"flag kept as the system set it", true, {{true, 7}, {true, 7}}, 0, 7, 0},
      {"the two probes are separate", true, {{true, 0}, {true, 1}}, 1, 1, 0},
      {"no IsWow64Process", false, {}, 1, 0, 0},
      {"both calls fail", true, {{false, 1}, {false, 1}}, 1, 0, 2},
  };
  for (const Probe& probe : probes) {
    SCOPED_TRACE(probe.label);
    log.messages.clear();
    fake.version = Version(6, 1, 1);
    fake.hasIsWow64Process = probe.exists;
    fake.wow64Answers = probe.answers;
    GatherVersionFacts();
    EXPECT_EQ(VersionFacts.Is32Bit, probe.is32);
    EXPECT_EQ(VersionFacts.Is64Bit, probe.is64);
    EXPECT_EQ(VersionFacts.IsWow64ProcessAddress != nullptr, probe.exists);
    ASSERT_EQ(log.messages.size(), probe.reports);
    for (const auto& m : log.messages) {
      EXPECT_NE(m.find(u" - IsWow64Process call failed"), std::u16string::npos);
    }
  }
}

TEST_F(VersionUnitTest, A64BitProcessKnowsTheSystemIs64Bit) {
  // WOW64 only ever says "no" to a 64-bit process; believing it would call the system 32-bit.
  fake.is64BitProcess = true;
  fake.version = Version(10, 0, 1);
  fake.wow64Answers = {{true, 0}, {true, 0}};
  GatherVersionFacts();
  EXPECT_EQ(VersionFacts.Is64Bit, 1);
  EXPECT_EQ(VersionFacts.Is32Bit, 0);
}

TEST_F(VersionUnitTest, A64BitProcessKnowsItWithoutAVersionRecord) {
  fake.is64BitProcess = true;
  EXPECT_EQ(GatherVersionFacts(), 0);
  ExpectExactly({"Is64Bit"});
  EXPECT_EQ(log.messages.size(), 1u);
}

TEST_F(VersionUnitTest, ArchitectureIsTheMachinesOwn) {
  using platform::kArchitectureArm;
  using platform::kArchitectureArm64;
  using platform::kArchitectureUnknown;
  using platform::kArchitectureX64;
  using platform::kArchitectureX86;
  using platform::kMachineArm64;
  using platform::kMachineX64;
  using platform::kMachineX86;
  using NativeMachine = std::optional<std::optional<uint16_t>>;
  struct Probe {
    const char* label;
    NativeMachine isWow64Process2;  // none: absent; an empty answer: the call fails
    uint16_t processorArchitecture;
    int32_t x86, x64, arm64;
    const char16_t* report;  // the one report expected, or none
  };
  const Probe probes[] = {
      // The older query names the emulated machine; the newer one sees through it.
      {"emulated on ARM64", NativeMachine{kMachineArm64}, kArchitectureX64, 0, 0, 1, nullptr},
      {"x64 by the newer query", NativeMachine{kMachineX64}, kArchitectureX86, 0, 1, 0, nullptr},
      {"x86 by the newer query", NativeMachine{kMachineX86}, kArchitectureX64, 1, 0, 0, nullptr},
      {"32-bit ARM by the newer query", NativeMachine{uint16_t{0x01C4}}, kArchitectureX86, 0, 0, 0,
       nullptr},
      {"newer query fails: no guess", NativeMachine{std::optional<uint16_t>{}}, kArchitectureX64, 0,
       0, 0, u" - IsWow64Process2 call failed"},
      {"x64 without the newer query", std::nullopt, kArchitectureX64, 0, 1, 0, nullptr},
      {"ARM64 without the newer query", std::nullopt, kArchitectureArm64, 0, 0, 1, nullptr},
      {"x86 without the newer query", std::nullopt, kArchitectureX86, 1, 0, 0, nullptr},
      {"32-bit ARM is none of them", std::nullopt, kArchitectureArm, 0, 0, 0, nullptr},
      {"unknown architecture", std::nullopt, kArchitectureUnknown, 0, 0, 0,
       u" - GetNativeSystemInfo() named no architecture"},
  };
  for (const Probe& probe : probes) {
    SCOPED_TRACE(probe.label);
    log.messages.clear();
    // A first gathering on another machine shows that a failed probe clears what it found.
    fake.wow64Process2NativeMachine = NativeMachine{kMachineX86};
    fake.version = Version(10, 0, 1);
    GatherVersionFacts();
    fake.wow64Process2NativeMachine = probe.isWow64Process2;
    fake.processorArchitecture = probe.processorArchitecture;
    log.messages.clear();
    ASSERT_EQ(GatherVersionFacts(), 1);
    EXPECT_EQ(VersionFacts.IsX86, probe.x86);
    EXPECT_EQ(VersionFacts.IsX64, probe.x64);
    EXPECT_EQ(VersionFacts.IsARM64, probe.arm64);
    EXPECT_EQ(VersionFacts.IsWow64Process2Address != nullptr, probe.isWow64Process2.has_value());
    if (probe.report == nullptr) {
      EXPECT_TRUE(log.messages.empty());
    } else {
      ASSERT_EQ(log.messages.size(), 1u);
      EXPECT_EQ(log.messages[0].rfind(u"(VersionUnit.cpp) at ", 0), 0u);
      EXPECT_NE(log.messages[0].find(probe.report), std::u16string::npos);
    }
  }
}

TEST_F(VersionUnitTest, ArchitectureIsProbedWithoutAVersionRecord) {
  // The POSIX stand-in never has a version record, yet knows its machine.
  fake.processorArchitecture = platform::kArchitectureArm64;
  EXPECT_EQ(GatherVersionFacts(), 0);
  EXPECT_EQ(VersionFacts.IsARM64, 1);
  EXPECT_EQ(VersionFacts.IsX64, 0);
  ExpectExactly({});  // no version or bitness fact of a 32-bit process changes
}

}  // namespace
}  // namespace hv
