#include "core/Diagnostics.h"

#include <gtest/gtest.h>

#include <string>

#include "core/WideText.h"
#include "support/RecordingLog.h"

namespace hv {
namespace {

TEST(DiagnosticsTest, ComposesFileLineAndText) {
  struct Case {
    const char* path;
    int32_t line;
    std::u16string expected;
  };
  for (const Case& c : {Case{"src\\unit\\Thing.cpp", 64, u"(Thing.cpp) at 64 - went wrong"},
                        Case{"Thing.cpp", 0, u"(Thing.cpp) at 0 - went wrong"},
                        Case{"src\\dir\\", -12, u"() at -12 - went wrong"}}) {
    WideText message;
    ComposeDiagnostic(c.path, c.line, u"went wrong", message);
    EXPECT_EQ(std::u16string(message.Data()), c.expected);
  }
}

TEST(DiagnosticsTest, GoesToAnOpenLogOnly) {
  EXPECT_EQ(ReportDiagnostic("a\\b.cpp", 1, u"nobody listens"), 0);

  testing::RecordingLog log;
  EXPECT_EQ(ReportDiagnostic("a\\b.cpp", 7, u"heard"), 1);
  log.open = false;
  EXPECT_EQ(ReportDiagnostic("a\\b.cpp", 8, u"closed"), 0);
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0], u"(b.cpp) at 7 - heard");
}

}  // namespace
}  // namespace hv
