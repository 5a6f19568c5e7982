#include <benchmark/benchmark.h>

#include <string>

#include "common/number_text.h"
#include "scrubwright/filler.h"

namespace {

void BM_PlanFillPlain(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(scrubwright::PlanFill(u"512"));
}
BENCHMARK(BM_PlanFillPlain);

// The worst command line a user can hand over: 32 767 characters, the Windows maximum.
void BM_PlanFillLongest(benchmark::State& state) {
  const std::u16string line(32767, u'9');
  for (auto _ : state) benchmark::DoNotOptimize(scrubwright::PlanFill(line));
}
BENCHMARK(BM_PlanFillLongest);

void BM_ReadLeadingNumberBlanks(benchmark::State& state) {
  const std::u16string line = std::u16string(32760, u' ') + u"1 2 3";
  for (auto _ : state) benchmark::DoNotOptimize(common::ReadLeadingNumber(line));
}
BENCHMARK(BM_ReadLeadingNumberBlanks);

}  // namespace

BENCHMARK_MAIN();
