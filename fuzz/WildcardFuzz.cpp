// Differential fuzzing of the name check against the recursive definition it replaces.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/WildcardMatch.h"
#include "support/WildcardReference.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // First byte splits the input into text and pattern; both are kept short so the reference
  // answers in reasonable time. A small alphabet makes stars and near-misses likely.
  if (size < 1 || size > 24) return 0;
  static const char16_t kAlphabet[] = {u'A', u'B', u'*', u'?'};
  const size_t split = data[0] % size;
  std::u16string text, pattern;
  for (size_t i = 1; i < size; ++i) {
    const char16_t unit = kAlphabet[data[i] % 4];
    if (i <= split) {
      text += unit == u'*' || unit == u'?' ? u'A' : unit;
    } else {
      pattern += unit;
    }
  }
  if (hv::WildcardMatch(text.c_str(), 0, pattern.c_str(), 0) !=
      hv::testing::TryEverySplit(text, 0, pattern, 0)) {
    std::abort();
  }
  return 0;
}
