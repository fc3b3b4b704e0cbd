// Arbitrary argument vectors through the whole driver, on a system the fuzzer cannot reach:
// any input must give an exit code, never a crash or a sanitizer report.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Driver.h"
#include "support/FakeServices.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Arguments are separated by a zero unit; the first argument is the program path.
  std::vector<std::u16string> args{u"Hostvetter.exe", u""};
  for (size_t i = 0; i + 1 < size; i += 2) {
    const auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) {
      args.emplace_back();
    } else {
      args.back() += unit;
    }
  }
  hv::testing::FakeServices fake;
  fake.computerName = u"LAB-12";
  fake.version = hv::testing::Version(6, 1, 1);
  hv::platform::ScopedServices scope(fake);
  std::vector<const char16_t*> argv;
  for (const auto& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);
  const int code = hv::RunDriver(static_cast<int>(args.size()), argv.data());
  if (code != hv::kMatch && code != hv::kNoMatch) std::abort();
  return 0;
}
