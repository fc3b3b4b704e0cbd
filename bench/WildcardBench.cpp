// How long the name check takes on the inputs that used to make it slow: many stars against a
// long name that almost matches.
#include <benchmark/benchmark.h>

#include <string>

#include "app/WildcardMatch.h"

namespace {

void BM_StarsAgainstNearMiss(benchmark::State& state) {
  std::u16string pattern;
  for (int64_t i = 0; i < state.range(0); ++i) pattern += u"*A";
  pattern += u"*B";
  const std::u16string text(static_cast<size_t>(state.range(1)), u'A');
  for (auto _ : state) {
    benchmark::DoNotOptimize(hv::WildcardMatch(text.c_str(), 0, pattern.c_str(), 0));
  }
}
BENCHMARK(BM_StarsAgainstNearMiss)->ArgsProduct({{1, 8, 32}, {15, 63, 1023}});

// For comparison: trying every split of the text at every star, on inputs small enough to end.
int TryEverySplit(const std::u16string& text, size_t t, const std::u16string& pattern, size_t p) {
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

void BM_TryEverySplitAgainstNearMiss(benchmark::State& state) {
  std::u16string pattern;
  for (int64_t i = 0; i < state.range(0); ++i) pattern += u"*A";
  pattern += u"*B";
  const std::u16string text(static_cast<size_t>(state.range(1)), u'A');
  for (auto _ : state) benchmark::DoNotOptimize(TryEverySplit(text, 0, pattern, 0));
}
BENCHMARK(BM_TryEverySplitAgainstNearMiss)->ArgsProduct({{1, 4, 8}, {15, 24}});

void BM_TypicalSwitch(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(hv::WildcardMatch(u"/PLATFORM:64", 0, u"/NAME:*", 0));
    benchmark::DoNotOptimize(hv::WildcardMatch(u"/PLATFORM:64", 0, u"/PLATFORM:*", 0));
  }
}
BENCHMARK(BM_TypicalSwitch);

}  // namespace

BENCHMARK_MAIN();
