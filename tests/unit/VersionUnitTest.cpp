#include "API/Windows/Platform/VersionUnit.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "FakeServices.h"
#include "FakeSystemTest.h"
#include "RecordingLog.h"
#include "core/WideText.h"

namespace hv {
namespace {

using testing::FakeServices;
using testing::RecordingLog;
using testing::Version;

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
      {"NT4", Version(4, 0, 1, 2), {"IsClassic", "IsWinNT", "IsNT4"}},
      {"NT4 any minor", Version(4, 7, 3, 2), {"IsClassic", "IsWinNT", "IsNT4"}},
      {"2000 Pro", Version(5, 0, 1), {"IsClassic", "IsWinNT", "IsWin2000", "IsWin2000Pro"}},
      {"2000 Server", Version(5, 0, 3), {"IsClassic", "IsWinNT", "IsWin2000", "IsWin2000Server"}},
      {"2000 DC", Version(5, 0, 2), {"IsClassic", "IsWinNT", "IsWin2000"}},
      {"XP Pro", Version(5, 1, 1), {"IsClassic", "IsWinNT", "IsWinXP", "IsWinXPPro"}},
      {"XP Home", Version(5, 1, 1, 2, 0x0200), {"IsClassic", "IsWinNT", "IsWinXP", "IsWinXPHome"}},
      {"XP Media Center",
       Version(5, 1, 1),
       {"IsClassic", "IsWinNT", "IsWinXP", "IsWinXPPro", "IsMediaCenter"},
       1},
      {"XP Tablet",
       Version(5, 1, 1, 2, 0x0200),
       {"IsClassic", "IsWinNT", "IsWinXP", "IsWinXPHome", "IsTabletPC"},
       0,
       5},
      {"2003 Datacenter first",
       Version(5, 2, 3, 2, 0x0082),
       {"IsClassic", "IsWinNT", "IsWin2003", "IsWin2003Datacenter"}},
      {"2003 Enterprise",
       Version(5, 2, 3, 2, 0x0402),
       {"IsClassic", "IsWinNT", "IsWin2003", "IsWin2003Enterprise"}},
      {"2003 Web",
       Version(5, 2, 3, 2, 0x0400),
       {"IsClassic", "IsWinNT", "IsWin2003", "IsWin2003Web"}},
      {"2003 Standard on a workstation",
       Version(5, 2, 1),
       {"IsClassic", "IsWinNT", "IsWin2003", "IsWin2003Standard"}},
      {"Vista", Version(6, 0, 1), {"IsWinNT", "IsWinVista"}},
      {"2008", Version(6, 0, 3), {"IsWinNT", "IsWin2008"}},
      {"2008 DC", Version(6, 0, 2), {"IsWinNT", "IsWin2008"}},
      {"7", Version(6, 1, 1), {"IsWinNT", "IsWin7"}},
      {"2008 R2", Version(6, 1, 3), {"IsWinNT", "IsWin2008R2"}},
      {"8 client", Version(6, 2, 1), {"IsWinNT", "IsWin8", "IsWin8Client"}},
      {"8 server", Version(6, 2, 3), {"IsWinNT", "IsWin8", "IsWin8Server"}},
      {"8.1", Version(6, 3, 1), {"IsWinNT"}},
      {"10", Version(10, 0, 1), {"IsWinNT"}},
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

TEST_F(VersionUnitTest, EditionFlagsDoNotLeakIntoTheNextGathering) {
  fake.version = Version(5, 2, 3, 2, 0x0080);
  GatherVersionFacts();
  fake.version = Version(6, 1, 1);
  GatherVersionFacts();
  ExpectExactly({"IsWinNT", "IsWin7", "Is32Bit"});
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
  ExpectExactly({"IsWinNT", "IsWin8", "IsWin8Client", "Is32Bit"});
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

}  // namespace
}  // namespace hv
