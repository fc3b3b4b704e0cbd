#include "core/WideText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <clocale>
#include <string>

#include "core/Exception.h"

namespace hv {
namespace {

std::u16string Units(const WideText& t) { return std::u16string(t.Data()); }

TEST(WideTextTest, NewTextIsEmptyWithRoomFor510Units) {
  WideText t;
  EXPECT_EQ(t.Length(), 0);
  EXPECT_EQ(t.CapacityBytes(), 1020);
  EXPECT_EQ(Units(t), u"");
}

TEST(WideTextTest, GrowsOnlyWhenTheTerminatorNoLongerFits) {
  struct Case {
    int units;
    int capacityAfter;
  };
  for (const Case c : {Case{509, 1020}, Case{510, 2040}, Case{600, 2040}, Case{1500, 4080}}) {
    WideText t;
    t.Append(u"ab");
    const std::u16string tail(static_cast<size_t>(c.units) - 2, u'x');
    t.Append(tail.c_str());
    EXPECT_EQ(t.CapacityBytes(), c.capacityAfter) << c.units;
    EXPECT_EQ(t.Length(), c.units);
    EXPECT_EQ(Units(t), u"ab" + tail);
  }
}

TEST(WideTextTest, AppendAfterNulAtFrontStartsOver) {
  WideText t;
  t.Append(u"hello");
  t.Buffer()[0] = 0;
  t.Append(u"xy");
  EXPECT_EQ(Units(t), u"xy");
  EXPECT_EQ(t.Length(), 2);

  t.Buffer()[0] = 0;
  t.AppendNarrow("");
  EXPECT_EQ(t.Length(), 0);
}

TEST(WideTextTest, AppendOfItsOwnContentSurvivesGrowth) {
  WideText t;
  const std::u16string half(400, u'q');
  t.Append(half.c_str());
  t.Append(t.Data());  // needs 801 units: the source buffer is replaced mid-append
  EXPECT_EQ(Units(t), half + half);
}

TEST(WideTextTest, SizesBeyond32BitsRaiseInsteadOfWrapping) {
  // 2^29 units appended to themselves need 2^31 + 2 bytes: more than the 32-bit capacity field
  // holds. The append must be refused before anything is allocated and leave the text untouched.
  constexpr int32_t kUnits = 1 << 29;
  WideText t;
  char16_t* buffer = nullptr;
  try {
    buffer = t.Reserve(kUnits + 1);
  } catch (const EOutOfMemory&) {
    // A 32-bit process may hold no free gigabyte in one piece; that is no fault of the text.
    if (sizeof(void*) == 4) GTEST_SKIP() << "no free 1 GiB block in this 32-bit process";
    throw;
  }
  std::fill(buffer, buffer + kUnits, u'z');
  buffer[kUnits] = 0;
  t.Append(u"");  // recounts the length from the terminator
  ASSERT_EQ(t.Length(), kUnits);
  const int32_t capacity = t.CapacityBytes();
  try {
    t.Append(t.Data());
    FAIL() << "no exception";
  } catch (const EOutOfMemory& e) {
    EXPECT_EQ(std::u16string(e.Message()), u"EOutOfMemory (0)");
    EXPECT_EQ(e.Code(), 0);
  }
  EXPECT_EQ(t.Length(), kUnits);
  EXPECT_EQ(t.CapacityBytes(), capacity);
  EXPECT_EQ(t.Buffer(), buffer);
}

TEST(WideTextTest, ReserveBeyond32BitsRaisesAndLeavesNoBuffer) {
  WideText t;
  t.Append(u"old");
  try {
    t.Reserve(0x40000000);
    FAIL() << "no exception";
  } catch (const EOutOfMemory& e) {
    EXPECT_EQ(std::u16string(e.Message()), u"EOutOfMemory");
  }
  EXPECT_EQ(t.Buffer(), nullptr);
  EXPECT_EQ(Units(t), u"");
  t.Append(u"again");  // an object left without a buffer can still take text
  EXPECT_EQ(Units(t), u"again");
}

TEST(WideTextTest, Trims) {
  struct Case {
    std::u16string in, out;
  };
  for (const Case& c : {Case{u"\t x \r\n", u"x"}, Case{u"   ", u""}, Case{u"", u""},
                        Case{u"a b", u"a b"}, Case{u"\v x", u"\v x"}, Case{u" \tab", u"ab"}}) {
    WideText t;
    t.Append(c.in.c_str());
    t.TrimLeft().TrimRight();
    EXPECT_EQ(Units(t), c.out);
    EXPECT_EQ(t.Length(), static_cast<int32_t>(c.out.size()));
  }
}

TEST(WideTextTest, AppendIntWritesDecimal) {
  for (const int32_t v : {0, -5, 2147483647, INT32_MIN}) {
    WideText t;
    t.AppendInt(v).AppendNarrow("|");
    const std::string expected = std::to_string(v) + "|";
    EXPECT_EQ(Units(t), std::u16string(expected.begin(), expected.end()));
  }
}

TEST(WideTextTest, FileNameOfPath) {
  struct Case {
    std::u16string path, name;
  };
  for (const Case& c : {Case{u"plain.cpp", u"plain.cpp"}, Case{u"a\\b\\c.cpp", u"c.cpp"},
                        Case{u"dir\\", u""}, Case{u"a/b.cpp", u"a/b.cpp"}, Case{u"", u""}}) {
    WideText out;
    out.Append(u"stale");
    WideText::FileNameOfPath(c.path.c_str(), out);
    EXPECT_EQ(Units(out), c.name) << std::string(c.path.begin(), c.path.end());
    EXPECT_EQ(out.Length(), static_cast<int32_t>(c.name.size()));
  }
}

TEST(WideTextTest, CompareNarrowIsZeroOnlyForEqualText) {
  WideText t;
  t.Append(u"WINDOWS7");
  EXPECT_EQ(WideText::CompareNarrow(t, "WINDOWS7"), 0);
  EXPECT_NE(WideText::CompareNarrow(t, "WINDOWS8"), 0);
  EXPECT_NE(WideText::CompareNarrow(t, "windows7"), 0);
  EXPECT_NE(WideText::CompareNarrow(t, "WINDOWS-7"), 0);
}

// Non-ASCII text in a UTF-8 locale: the ANSI form needs more bytes than the text has units.
class Utf8Locale : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_F(Utf8Locale, NarrowAndBackKeepsEveryCharacter) {
  const char* utf8 =
      "Stra\xc3\x9f"
      "e \xe2\x82\xac \xf0\x9f\x98\x80";  // Straße € 😀
  WideText t;
  t.AppendNarrow(utf8);
  EXPECT_EQ(Units(t), u"Straße € 😀");
  EXPECT_STREQ(t.ToNarrow(), utf8);
}

TEST_F(Utf8Locale, InvalidBytesSurviveTheRoundTrip) {
  const char* bytes =
      "a\xff"
      "b\xc3";
  WideText t;
  t.AppendNarrow(bytes);
  EXPECT_EQ(Units(t),
            u"a\xDCFF"
            u"b\xDCC3");
  EXPECT_STREQ(t.ToNarrow(), bytes);
}

}  // namespace
}  // namespace hv
