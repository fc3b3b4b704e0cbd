// DOS-style wildcard matching: "*" stands for any run of units (also none), "?" for exactly one.
// Units are compared exactly; callers upper-case both sides first.
#pragma once

#include <cstdint>

namespace hv {

// 1 when `text` from `textPos` matches `pattern` from `patPos` as a whole, else 0. An empty
// pattern matches everything. Negative positions count as 0. Time grows no faster than the
// product of the two lengths, whatever the number of stars.
int32_t WildcardMatch(const char16_t* text, int32_t textPos, const char16_t* pattern,
                      int32_t patPos);

}  // namespace hv
