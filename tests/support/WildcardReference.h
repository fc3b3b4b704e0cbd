// The plain recursive definition of a DOS wildcard match: try every split of the text at every
// star. Its time grows exponentially with the number of stars, so it serves only as the obviously
// right answer for short inputs in tests, fuzzing and benchmarks.
#pragma once

#include <cstddef>
#include <string>

namespace hv::testing {

inline int TryEverySplit(const std::u16string& text, size_t t, const std::u16string& pattern,
                         size_t p) {
  if (pattern.empty()) return 1;
  for (;;) {
    if (t >= text.size() && p >= pattern.size()) return 1;
    if (p >= pattern.size()) return 0;
    if (pattern[p] == u'*') {
      if (p + 1 == pattern.size()) return 1;
      for (size_t s = t; s <= text.size(); ++s) {
        if (TryEverySplit(text, s, pattern, p + 1) != 0) return 1;
      }
      return 0;
    }
    if (t >= text.size() || (pattern[p] != u'?' && pattern[p] != text[t])) return 0;
    ++t;
    ++p;
  }
}

}  // namespace hv::testing
