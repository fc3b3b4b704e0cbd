#include "app/WildcardMatch.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>

#include "support/WildcardReference.h"

namespace hv {
namespace {

struct Case {
  std::u16string text, pattern;
  int expected;
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << "'" << std::string(c.text.begin(), c.text.end()) << "' against '"
      << std::string(c.pattern.begin(), c.pattern.end()) << "'";
}

class WildcardMatchTable : public ::testing::TestWithParam<Case> {};

TEST_P(WildcardMatchTable, Decides) {
  const Case& c = GetParam();
  EXPECT_EQ(WildcardMatch(c.text.c_str(), 0, c.pattern.c_str(), 0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WildcardMatchTable,
    ::testing::Values(
        Case{u"", u"", 1}, Case{u"ANY", u"", 1}, Case{u"", u"*", 1}, Case{u"ABC", u"*", 1},
        Case{u"", u"**", 1}, Case{u"MOBILE", u"MOBILE*", 1}, Case{u"MOBILE-07", u"MOBILE*", 1},
        Case{u"AMOBILE", u"MOBILE*", 0}, Case{u"SERVER", u"*SERVER*", 1},
        Case{u"WEBSERVER2", u"*SERVER*", 1}, Case{u"MYSERVERS", u"*SERVER*", 1},
        Case{u"SERVE", u"*SERVER*", 0}, Case{u"COMPUTER1AB", u"COMPUTER1??", 1},
        Case{u"COMPUTER1", u"COMPUTER1??", 0}, Case{u"COMPUTER1A", u"COMPUTER1??", 0},
        Case{u"COMPUTER1ABC", u"COMPUTER1??", 0}, Case{u"AB", u"A*B", 1}, Case{u"AXXB", u"A*B", 1},
        Case{u"AXXBC", u"A*B", 0}, Case{u"ABXB", u"A*B", 1}, Case{u"", u"?", 0},
        Case{u"", u"*?", 0}, Case{u"/NAME:", u"/NAME:*", 1}, Case{u"/NAME:X", u"/NAME:*", 1},
        Case{u"/NAM", u"/NAME:*", 0}, Case{u"NAME:X", u"/NAME:*", 0}, Case{u"ABC", u"abc", 0},
        Case{u"ABC", u"ABC", 1}, Case{u"ABCD", u"ABC", 0}, Case{u"AAB", u"*AB", 1},
        Case{u"ABAB", u"*AB*AB", 1}, Case{u"ABA", u"*AB*AB", 0}, Case{u"X\u00C9", u"X?", 1}));

TEST(WildcardMatchTest, StartPositionsSkipPrefixes) {
  EXPECT_EQ(WildcardMatch(u"XXABC", 2, u"ABC", 0), 1);
  EXPECT_EQ(WildcardMatch(u"ABC", 0, u"--ABC", 2), 1);
  EXPECT_EQ(WildcardMatch(u"ABC", 5, u"*", 0), 1);
  EXPECT_EQ(WildcardMatch(u"ABC", 5, u"*X", 0), 0);
  EXPECT_EQ(WildcardMatch(u"ABC", -3, u"ABC", -1), 1);  // negative starts count as 0
}

TEST(WildcardMatchTest, AgreesWithTheRecursiveDefinitionOnRandomInputs) {
  std::mt19937 random(20261211);
  const std::u16string textAlphabet = u"AB";
  const std::u16string patternAlphabet = u"AB*?";
  for (int i = 0; i < 20000; ++i) {
    std::u16string text, pattern;
    const int textLength = static_cast<int>(random() % 8);
    const int patternLength = static_cast<int>(random() % 7);
    for (int k = 0; k < textLength; ++k) text += textAlphabet[random() % textAlphabet.size()];
    for (int k = 0; k < patternLength; ++k) {
      pattern += patternAlphabet[random() % patternAlphabet.size()];
    }
    ASSERT_EQ(WildcardMatch(text.c_str(), 0, pattern.c_str(), 0),
              testing::TryEverySplit(text, 0, pattern, 0))
        << "text '" << std::string(text.begin(), text.end()) << "' pattern '"
        << std::string(pattern.begin(), pattern.end()) << "'";
  }
}

TEST(WildcardMatchTest, ManyStarsAgainstALongNameAnswer) {
  // Trying every split at every star would take longer than the universe has left here.
  std::u16string pattern;
  for (int i = 0; i < 40; ++i) pattern += u"*A";
  pattern += u"*B";
  const std::u16string text(5000, u'A');
  EXPECT_EQ(WildcardMatch(text.c_str(), 0, pattern.c_str(), 0), 0);
  EXPECT_EQ(WildcardMatch((text + u"B").c_str(), 0, pattern.c_str(), 0), 1);
}

}  // namespace
}  // namespace hv
