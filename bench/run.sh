#!/usr/bin/env bash
# Builds the Release tree, runs every benchmark and writes the figures, each
# beside its target and marked met or not, with the commit they were measured
# on, into the generated tables of README.md and docs/performance.md
# (bench/report.py). Raw results (console tables, JSON, the machine) go to
# $OUT, default build-bench/bench-results; tables.md there holds every median.
#
#   bench/run.sh                      # build-bench, everything, docs rewritten
#   BUILD=build-keys OUT=build-keys/r bench/run.sh --benchmark_filter=KeyDecision   # docs left alone
#
# Extra arguments go to every benchmark program. Run on a quiet machine: the
# figures in real time include whatever else runs on the cores. Each program
# runs pinned to one core (PIN, default 1; PIN= to let it move): on two cores
# an unpinned run now and then came out up to 1.8 times slower.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# Absolute: the programs run from inside the build tree.
build="$(realpath -m "${BUILD:-$root/build-bench}")"
out="$(realpath -m "${OUT:-$build/bench-results}")"
jobs="${JOBS:-2}"
pin=()
if [[ -n "${PIN-1}" ]] && command -v taskset >/dev/null; then pin=(taskset -c "${PIN-1}"); fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVANTRO_BENCH=ON -DVANTRO_RES_DIR="$build/res" >/dev/null
cmake --build "$build" -j"$jobs" --target vantro_bench_keys vantro_bench_bookmark vantro_bench_viewer

mkdir -p "$out" "$build/tmp"
export ELM_DISPLAY=buffer ELM_ACCEL=none ECORE_NO_SYSTEM_MODULES=1 EINA_LOG_BACKTRACE=0 TMPDIR="$build/tmp"

{
    echo "date: $(date -u +%Y-%m-%dT%H:%M:%SZ)"
    echo "commit: $(git -C "$root" describe --always --dirty --abbrev=7 2>/dev/null || echo unknown)"
    echo "nproc: $(nproc)"
    echo "cpu: $(lscpu | sed -n 's/^Model name: *//p' | head -1)"
    echo "memory: $(free -h | awk '/^Mem:/ {print $2}')"
    echo "kernel: $(uname -r)"
    echo "compiler: $(c++ --version | head -1)"
    echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
    echo "pinned: ${pin[*]:-no}"
} >"$out/machine.txt"

# The pop-up's fallback thumbnail is found relative to the working directory.
cd "$build"
for name in keys bookmark viewer; do
    "${pin[@]}" "$build/bench/vantro_bench_$name" --benchmark_out="$out/$name.json" --benchmark_out_format=json "$@" \
        2>"$out/$name.stderr" | tee "$out/$name.txt"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)" >>"$out/machine.txt"

python3 "$root/bench/tables.py" "$out/keys.json" "$out/bookmark.json" "$out/viewer.json" >"$out/tables.md"
python3 "$root/bench/report.py" "$out" "$root"
echo "results in $out (tables.md, *.json, *.txt, machine.txt)"
