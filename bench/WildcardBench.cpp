// How long the name check takes on the inputs that used to make it slow: many stars against a
// long name that almost matches.
#include <benchmark/benchmark.h>

#include <string>

#include "app/WildcardMatch.h"
#include "support/WildcardReference.h"

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
void BM_TryEverySplitAgainstNearMiss(benchmark::State& state) {
  std::u16string pattern;
  for (int64_t i = 0; i < state.range(0); ++i) pattern += u"*A";
  pattern += u"*B";
  const std::u16string text(static_cast<size_t>(state.range(1)), u'A');
  for (auto _ : state) benchmark::DoNotOptimize(hv::testing::TryEverySplit(text, 0, pattern, 0));
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
