#!/usr/bin/env bash
# Every log line's head names the gadget function that writes it, twice, with
# one line number: "FILE: FUNC(LINE) > [APP][FUNC:LINE] ". Reads the lines the
# scenario tests kept; fails on a head naming no function the gadget defines
# (a lambda, or code outside the gadget), and on viewer commands sharing a site.
set -uo pipefail
build=$(cd "$2" && pwd)
src=$(cd "$3" && pwd)
log="$build/log_heads.log"
kept=()
for scenario in "$src"/examples/*.scenario "$src"/tests/scenarios/*.scenario; do
  kept+=("$build/log-heads.d/$(basename "$(dirname "$scenario")").$(basename "$scenario" .scenario).log")
  [ -s "${kept[-1]}" ] || { echo "no log lines kept for $scenario (run it through ctest)"; exit 1; }
done
cat "${kept[@]}" >"$log"
[ -s "$log" ] || { echo "no log lines were written"; exit 1; }
status=0
bad=$(grep -v -E '^[A-Za-z]+\.cpp: ([A-Za-z_~0-9]+)\(([0-9]+)\) > \[APP\]\[\1:\2\] ' "$log" | sort -u | head -5)
[ -z "$bad" ] || { echo "heads out of form:"; echo "$bad"; status=1; }
# The gadget's definitions start at the line's first column; calls never do.
allowed=$(grep -rhE '^[A-Za-z_~].*\(' "$src/src" --include='*.cpp' | sed -E 's/\(.*//' \
  | grep -oE '~?[A-Za-z_][A-Za-z_0-9]*$' | sort -u)
unknown=$(sed -n 's/^[A-Za-z]*\.cpp: \([A-Za-z_~0-9]*\)(.*/\1/p' "$log" | sort -u | grep -vxF "$allowed")
[ -z "$unknown" ] || { echo "heads name functions the gadget does not have:"; echo "$unknown"; status=1; }
sites=$(grep -E '\] (process the sports ug show|process the sports ug hide|process the exit sportzoommode|Process enter zoom msg\.)$' "$log" \
  | sed 's/ > .*\] / /' | sort -u | awk '{print $2}' | sort | uniq -d)
[ -z "$sites" ] || { echo "viewer commands share a log site: $sites"; status=1; }
[ $status = 0 ] && echo "log heads ok: $(wc -l <"$log") lines"
exit $status
