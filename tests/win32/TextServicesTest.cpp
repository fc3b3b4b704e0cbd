// The Win32 text services against Windows itself: the locale's order and upper case, and the
// active ANSI code page with no conversion flags.
#include <gtest/gtest.h>

#include <string>

#include "platform/Platform.h"
#include "platform/win32/WindowsApi.h"

namespace hv::platform {
namespace {

int Sign(int32_t value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

TEST(Win32TextTest, LengthCountsUnitsAndTakesNullAsEmpty) {
  EXPECT_EQ(WideLength(nullptr), 0);
  EXPECT_EQ(WideLength(u""), 0);
  EXPECT_EQ(WideLength(u"a\U0001F600b"), 4);  // a surrogate pair is two units
}

TEST(Win32TextTest, CompareUsesTheLocaleOrderAndKeepsCase) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    int sign;
  };
  const Case cases[] = {
      {u"WINDOWS7", u"WINDOWS7", 0},
      {u"a", u"B", -1},  // the locale's order; by unit value 'a' would follow 'B'
      {u"B", u"a", 1},
      {u"WINDOWS7", u"windows7", 1},  // case-sensitive: never equal
      {u"", u"A", -1},
      {u"WINDOWS8", u"WINDOWS8CLIENT", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Sign(WideCompare(c.a, c.b)), c.sign)
        << std::string(c.a, c.a + WideLength(c.a)) << " vs "
        << std::string(c.b, c.b + WideLength(c.b));
  }
}

TEST(Win32TextTest, UpperCaseKeepsTheLength) {
  std::u16string text = u"mobile-07 \u00e9\u00ff \u00df";
  WideUpperInPlace(text.data());
  // No single unit is the upper case of sharp s, so it stays as it is.
  EXPECT_EQ(text, u"MOBILE-07 \u00c9\u0178 \u00df");
}

// The conversions in the code page an English Windows uses; Wine picks it for the C locale.
class Cp1252Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetACP() != 1252) GTEST_SKIP() << "active code page is " << GetACP() << ", not 1252";
  }
};

TEST_F(Cp1252Test, EveryByteRoundTrips) {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes.push_back(static_cast<char>(b));
  const auto n = static_cast<int32_t>(bytes.size());
  std::u16string wide(static_cast<size_t>(n), u'\0');
  ASSERT_EQ(AnsiToWide(bytes.data(), n, wide.data(), n), n);
  // The code page, not Latin-1: 0x80 is the euro sign.
  EXPECT_EQ(wide[0x80 - 1], u'\u20ac');
  EXPECT_EQ(wide[0xe9 - 1], u'\u00e9');
  std::string back(static_cast<size_t>(n), '\0');
  ASSERT_EQ(WideToAnsi(wide.data(), n, back.data(), n), n);
  EXPECT_EQ(back, bytes);
}

TEST_F(Cp1252Test, SizesAndRefusals) {
  char16_t wide[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(AnsiToWide("abc", 3, nullptr, 0), 3) << "counting mode";
  EXPECT_EQ(AnsiToWide("abc", 3, wide, 0), 3) << "counting mode writes nothing";
  EXPECT_EQ(wide[0], u'x');
  EXPECT_EQ(AnsiToWide("abc", 3, wide, 2), 0) << "too small";
  EXPECT_EQ(AnsiToWide("abc", 0, wide, 4), 0) << "no bytes";
  EXPECT_EQ(AnsiToWide("abc", 2, wide, 4), 2) << "exactly the bytes given, no terminator";
  EXPECT_EQ(std::u16string(wide, 3), u"abx");

  char narrow[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(WideToAnsi(u"abc", 3, nullptr, 0), 3);
  EXPECT_EQ(WideToAnsi(u"abc", 3, narrow, 2), 0);
  EXPECT_EQ(WideToAnsi(u"abc", 0, narrow, 4), 0);
}

TEST_F(Cp1252Test, UnitsOutsideTheCodePage) {
  struct Case {
    const char16_t* wide;
    const char* ansi;
  };
  const Case cases[] = {
      {u"x\u4e00", "x?"},  // the code page's default character
      {u"\xd800", "?"},    // a lone surrogate
      // With no flags Windows maps a letter it lacks to the nearest one it has.
      {u"\u0101", "a"},
  };
  for (const Case& c : cases) {
    char out[8] = {};
    const int32_t n = WideToAnsi(c.wide, WideLength(c.wide), out, 7);
    EXPECT_EQ(std::string(out, static_cast<size_t>(n)), c.ansi);
  }
}

}  // namespace
}  // namespace hv::platform
