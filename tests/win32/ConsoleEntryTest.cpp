// The wide console entry hands the runtime's UTF-16 arguments to the portable entry unchanged.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ConsoleEntry.h"

namespace hv::platform {
namespace {

std::vector<std::u16string> seen;
bool terminated = false;

int Record(int argc, const char16_t* const* argv) {
  seen.clear();
  for (int i = 0; i < argc; ++i) seen.emplace_back(argv[i]);
  terminated = argv[argc] == nullptr;
  return 42;
}

TEST(Win32ConsoleEntryTest, ArgumentsArriveUnchanged) {
  std::vector<std::wstring> args = {L"C:\\tools\\Hostvetter.exe", L"/os:windows7\u00e9", L"",
                                    L"  /name:\U0001F600*  "};
  std::vector<wchar_t*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  EXPECT_EQ(RunConsoleEntry(static_cast<int>(args.size()), argv.data(), Record), 42);
  const std::vector<std::u16string> expected = {u"C:\\tools\\Hostvetter.exe", u"/os:windows7\u00e9",
                                                u"", u"  /name:\U0001F600*  "};
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(terminated);
}

}  // namespace
}  // namespace hv::platform
