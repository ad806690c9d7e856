// Registration shared by the benchmark programs: five repetitions reported
// as aggregates only, so a figure is a median over runs, not one lucky run.
#ifndef VANTRO_BENCH_REPEATED_H
#define VANTRO_BENCH_REPEATED_H

#include <benchmark/benchmark.h>

#include <string>
#include <utility>

namespace vbench {

template <class... Args>
benchmark::internal::Benchmark* Repeated(const std::string& name, benchmark::TimeUnit unit, Args&&... args) {
    return benchmark::RegisterBenchmark(name.c_str(), std::forward<Args>(args)...)
        ->Unit(unit)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
}

// For benchmarks that time each iteration themselves.
template <class... Args>
benchmark::internal::Benchmark* RepeatedManual(const std::string& name, benchmark::TimeUnit unit, Args&&... args) {
    return Repeated(name, unit, std::forward<Args>(args)...)->UseManualTime();
}

}  // namespace vbench

#endif
