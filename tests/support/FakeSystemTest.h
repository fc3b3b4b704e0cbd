// A fixture for code that reads the version facts: the system services are fakes the test sets,
// and the process-wide facts start and end empty.
#pragma once

#include <gtest/gtest.h>

#include "API/Windows/Platform/VersionUnit.h"
#include "support/FakeServices.h"

namespace hv::testing {

class FakeSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetVersionFacts(); }
  void TearDown() override { ResetVersionFacts(); }

  static void ResetVersionFacts() {
    ReleaseVersionTexts();
    VersionFacts = VersionFactsRecord{};
  }

  FakeServices fake;
  platform::ScopedServices scope{fake};
};

}  // namespace hv::testing
