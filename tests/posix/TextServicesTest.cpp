// The POSIX stand-in's text services under the two locales a script may run them in: the C locale,
// where every byte above 0x7F is undecodable, and UTF-8.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "platform/Platform.h"

namespace hv::platform {
namespace {

std::u16string Widen(const std::string& bytes) {
  const auto size = static_cast<int32_t>(bytes.size());
  std::u16string out(static_cast<size_t>(AnsiToWide(bytes.data(), size, nullptr, 0)), u'\0');
  EXPECT_EQ(AnsiToWide(bytes.data(), size, out.data(), static_cast<int32_t>(out.size())),
            static_cast<int32_t>(out.size()));
  return out;
}

std::string Narrow(const std::u16string& text) {
  const auto units = static_cast<int32_t>(text.size());
  std::string out(static_cast<size_t>(WideToAnsi(text.data(), units, nullptr, 0)), '\0');
  EXPECT_EQ(WideToAnsi(text.data(), units, out.data(), static_cast<int32_t>(out.size())),
            static_cast<int32_t>(out.size()));
  return out;
}

class PosixLocaleTest : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (std::setlocale(LC_ALL, GetParam()) == nullptr) GTEST_SKIP() << GetParam() << " missing";
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }
};

TEST_P(PosixLocaleTest, UndecodableBytesStayDistinctAndComeBackUnchanged) {
  // Latin-1 bytes: undecodable in both locales (a lone 0xE9 is no UTF-8 sequence).
  const std::string elan = "\xE9LAN";
  const std::string alan = "\xE0LAN";
  const std::u16string wideElan = Widen(elan);
  const std::u16string wideAlan = Widen(alan);
  EXPECT_NE(wideElan, wideAlan);
  EXPECT_NE(WideCompare(wideElan.c_str(), wideAlan.c_str()), 0);
  EXPECT_EQ(Narrow(wideElan), elan);
  EXPECT_EQ(Narrow(wideAlan), alan);

  // Upper-casing leaves an escaped byte alone and still changes what it can.
  std::u16string lower = Widen(
      "\xFF"
      "ab");
  WideUpperInPlace(lower.data());
  EXPECT_EQ(Narrow(lower),
            "\xFF"
            "AB");
}

TEST_P(PosixLocaleTest, ACutOffSequenceKeepsEachOfItsBytes) {
  const std::string bytes = "a\xE2\x82";  // the first two bytes of a three-byte sequence
  EXPECT_EQ(Narrow(Widen(bytes)), bytes);
}

INSTANTIATE_TEST_SUITE_P(Locales, PosixLocaleTest, testing::Values("C", "C.UTF-8"),
                         [](const auto& info) {
                           return std::string(info.param[1] == 0 ? "C" : "Utf8");
                         });

TEST(PosixTextTest, UnitsWithNoByteFormBecomeTheDefaultCharacter) {
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(Narrow(u"\u00e9\xD800x"), "??x");  // no C-locale form; a lone high surrogate
}

}  // namespace
}  // namespace hv::platform
