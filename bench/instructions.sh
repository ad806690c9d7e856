#!/usr/bin/env bash
# Instructions executed by each key path and by the pop-up's show, counted by
# callgrind around the measured press only (start-up and toolkit set-up are
# not counted), per object: the gadget (libvantro), the simulated platform
# (libvantro-platform-sim), the rest (EFL, C/C++ runtimes, harness).
# The budgeted total is gadget + sim: both are exact from run to run. The
# rest is shown but not budgeted: EFL's worker threads (image loading,
# rendering) are scheduled differently by valgrind from run to run, which
# moves it by up to 0.3 % on a key and 7 % on the pop-up's show.
#
#   bench/instructions.sh            # print the table
#   bench/instructions.sh --check    # and fail when a total is over its budget by more than 3 %
#   bench/instructions.sh --update   # write the totals as the new bench/budgets.txt
#
# BUILD (default build/, the tree CI builds with default flags) is the build
# tree; the program is built there. Counts are the same for the same binary
# whatever the machine's load: the environment, locale and working directory
# are pinned below, and the clock is virtual.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD:-$root/build}"
mode="${1:-}"
budgets="$root/bench/budgets.txt"
tolerance="${TOLERANCE:-3}"

command -v valgrind >/dev/null || { echo "instructions.sh: valgrind is needed (Debian package valgrind)"; exit 1; }
cmake --build "$build" -j"${JOBS:-2}" --target vantro_bench_instructions >/dev/null
work="$build/instr"
rm -rf "$work"
mkdir -p "$work"
cd "$work"
env -i PATH=/usr/bin:/bin HOME="$work" LANG=C LC_ALL=C TZ=UTC \
    ELM_DISPLAY=buffer ELM_ACCEL=none ECORE_NO_SYSTEM_MODULES=1 EINA_LOG_BACKTRACE=0 EINA_LOG_LEVEL=0 \
    XDG_RUNTIME_DIR="$work" XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$work/callgrind.out" \
    "$build/bench/vantro_bench_instructions" >"$work/program.out" 2>"$work/valgrind.err" \
    || { echo "instructions.sh: the program failed:"; cat "$work/program.out"; tail -20 "$work/valgrind.err"; exit 1; }

# callgrind.out.1 .. .N, one per dump, in the program's order.
mapfile -t dumps < <(ls "$work"/callgrind.out.* | sort -t. -k3 -n)
python3 "$root/bench/callgrind_split.py" "${dumps[@]}" >"$work/counts.txt"

printf '%-20s %12s %12s %12s %12s %12s' path gadget sim gadget+sim other all
[ "$mode" = --check ] && printf ' %12s %7s' budget ratio
printf '\n'
status=0
while read -r name gadget sim other all; do
    total=$((gadget + sim))
    printf '%-20s %12s %12s %12s %12s %12s' "$name" "$gadget" "$sim" "$total" "$other" "$all"
    if [ "$mode" = --check ]; then
        budget="$(awk -v n="$name" '$1 == n {print $2}' "$budgets")"
        if [ -z "$budget" ]; then
            printf ' %12s %7s  no budget\n' - -
            status=1
            continue
        fi
        ratio="$(awk -v t="$total" -v b="$budget" 'BEGIN {printf "%.3f", t / b}')"
        verdict="$(awk -v r="$ratio" -v tol="$tolerance" 'BEGIN {print (r > 1 + tol / 100) ? "OVER" : "ok"}')"
        printf ' %12s %7s  %s' "$budget" "$ratio" "$verdict"
        [ "$verdict" = ok ] || status=1
    fi
    printf '\n'
done <"$work/counts.txt"

if [ "$mode" = --update ]; then
    {
        echo "# Instruction budgets: instructions (callgrind's Ir) run in libvantro and libvantro-platform-sim for one press or show,"
        echo "# written by bench/instructions.sh --update; the check fails above budget + ${tolerance} %."
        echo "# Measured on $(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown), build $(basename "$build"), $(c++ --version | head -1)."
        awk '{print $1, $2 + $3}' "$work/counts.txt"
    } >"$budgets"
    echo "written: $budgets"
fi
[ "$mode" = --check ] && { [ $status = 0 ] && echo "within budgets (+${tolerance} %)" || echo "OVER BUDGET"; }
exit $status
