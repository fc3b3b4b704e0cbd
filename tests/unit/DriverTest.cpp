// The driver against system facts the test chooses: every way the OS and platform criteria meet
// the version record, and a computer name the system cannot supply.
#include "app/Driver.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "API/Windows/Platform/VersionUnit.h"
#include "support/FakeServices.h"
#include "support/FakeSystemTest.h"

namespace hv {
namespace {

using testing::FakeServices;
using testing::Version;

// Captured output is read back in the runtime's text mode, which on Windows folds the CR LF that
// text mode wrote back into LF; so carriage returns are left out of the comparison here. The
// end-to-end suites check the exact bytes of both builds.
const std::string kMatch = "The computer matches the specified options\n";
const std::string kNoMatch = "The computer does not match the specified options\n";

struct Outcome {
  int code;
  std::string out;
};

class DriverTest : public testing::FakeSystemTest {
 protected:
  Outcome Drive(std::vector<std::u16string> args) {
    std::vector<const char16_t*> argv{u"Hostvetter.exe"};
    for (const auto& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    ::testing::internal::CaptureStdout();
    const int code = RunDriver(static_cast<int>(argv.size() - 1), argv.data());
    std::string out = ::testing::internal::GetCapturedStdout();
    std::erase(out, '\r');
    return {code, out};
  }
};

struct OsRow {
  const char* label;
  std::optional<platform::VersionRecord> record;  // none: the version query fails
  bool wow64;
  std::u16string arg;
  int expected;
};

TEST_F(DriverTest, CriteriaFollowTheVersionRecord) {
  const OsRow rows[] = {
      {"7 is windows7", Version(6, 1, 1), false, u"/os:Windows7", 1},
      {"2008 R2 is not windows7", Version(6, 1, 3), false, u"/os:windows7", 0},
      {"2008 R2 is windows2008", Version(6, 1, 3), false, u"/os:windows2008", 1},
      {"2008 is windows2008", Version(6, 0, 3), false, u"/os:windows2008", 1},
      {"Vista", Version(6, 0, 1), false, u"/os:windowsvista", 1},
      {"6.0 is modern", Version(6, 0, 1), false, u"/os:modern", 1},
      {"XP is not modern", Version(5, 1, 1), false, u"/os:modern", 0},
      {"XP is classic", Version(5, 1, 1), false, u"/os:classic", 1},
      {"XP", Version(5, 1, 1), false, u"/os:windowsxp", 1},
      {"2000", Version(5, 0, 1), false, u"/os:windows2000", 1},
      {"2003", Version(5, 2, 3), false, u"/os:windows2003", 1},
      {"8 server is windows8", Version(6, 2, 3), false, u"/os:windows8", 1},
      {"8 client is windows8", Version(6, 2, 1), false, u"/os:windows8", 1},
      {"8 server is not the client", Version(6, 2, 3), false, u"/os:windows8client", 0},
      {"8 server", Version(6, 2, 3), false, u"/os:windows8server", 1},
      {"8 client", Version(6, 2, 1), false, u"/os:windows8client", 1},
      {"10 is not windows8", Version(10, 0, 1), false, u"/os:windows8", 0},
      {"under WOW64: 64", Version(6, 1, 1), true, u"/platform:64", 1},
      {"under WOW64: not 32", Version(6, 1, 1), true, u"/platform:32", 0},
      {"no WOW64: 32", Version(6, 1, 1), false, u"/platform:32", 1},
      {"no WOW64: not 64", Version(6, 1, 1), false, u"/platform:64", 0},
      {"failed gathering: modern", std::nullopt, false, u"/os:modern", 1},
      {"failed gathering: not classic", std::nullopt, false, u"/os:classic", 0},
      {"failed gathering: no named version", std::nullopt, false, u"/os:windows2000", 0},
      {"failed gathering: not 64", std::nullopt, true, u"/platform:64", 0},
      {"failed gathering: not 32", std::nullopt, true, u"/platform:32", 0},
      {"8.1 by its other spelling", Version(6, 3, 1), false, u"/os:Windows8.1", 1},
      {"2008 R2 by its own name", Version(6, 1, 3), false, u"/os:windows2008r2", 1},
      {"2008 is not 2008 R2", Version(6, 0, 3), false, u"/os:windows2008r2", 0},
      {"2012 R2 is windows2012", Version(6, 3, 3), false, u"/os:windows2012", 1},
      {"a domain controller", Version(6, 3, 2), false, u"/os:domaincontroller", 1},
      {"x64 machine", Version(10, 0, 1), false, u"/platform:x64", 1},
      {"x64 machine: not ARM64", Version(10, 0, 1), false, u"/platform:arm64", 0},
      {"x64 machine: not x86", Version(10, 0, 1), false, u"/platform:x86", 0},
      {"architecture without a version record", std::nullopt, false, u"/platform:x64", 1},
  };
  for (const OsRow& row : rows) {
    SCOPED_TRACE(row.label);
    ResetVersionFacts();
    fake.version = row.record;
    fake.wow64Answers = {{true, row.wow64 ? 1 : 0}, {true, row.wow64 ? 1 : 0}};
    const Outcome run = Drive({row.arg});
    EXPECT_EQ(run.code, row.expected);
    EXPECT_EQ(run.out, row.expected == 1 ? kMatch : kNoMatch);
  }
}

TEST_F(DriverTest, A64BitBuildAnswersBitnessWithoutAVersionRecord) {
  fake.is64BitProcess = true;
  EXPECT_EQ(Drive({u"/platform:64"}).code, 1);
  EXPECT_EQ(Drive({u"/platform:32"}).code, 0);
}

TEST_F(DriverTest, GathersTheFactsAgainAtEveryRun) {
  fake.version = Version(5, 1, 1);
  GatherVersionFacts();
  fake.version = Version(6, 1, 1);
  EXPECT_EQ(Drive({u"/os:windows7"}).code, 1);
  EXPECT_EQ(Drive({}).code, kUsage);
}

TEST_F(DriverTest, ComputerNameIsTrimmedAndUpperCased) {
  fake.computerName = u" lab-12\t";
  EXPECT_EQ(Drive({u"/name:LAB-1?"}).code, 1);
  EXPECT_EQ(Drive({u"/name:lab-12"}).code, 1);
}

TEST_F(DriverTest, ANameTheSystemCannotSupplyIsEmpty) {
  fake.computerName.reset();
  EXPECT_EQ(Drive({u"/name:*"}).code, 1);
  EXPECT_EQ(Drive({u"/name:**"}).code, 1);
  EXPECT_EQ(Drive({u"/name:?*"}).code, 0);
  EXPECT_EQ(Drive({u"/name:A*"}).code, 0);
}

TEST_F(DriverTest, ValuesAreUpperCasedBeforeTheMessage) {
  fake.version = Version(6, 1, 1);
  const Outcome run = Drive({u"/os:win7", u"/quiet"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out, "Unknown OS Option: WIN7\n");
}

}  // namespace
}  // namespace hv
