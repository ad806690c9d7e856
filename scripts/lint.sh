#!/usr/bin/env bash
# Static checks: clang-tidy (.clang-tidy) over the gadget, the simulated
# platform and the tools, cppcheck over the gadget and the platform, the
# shell scripts through shellcheck, and the layout of every C and C++ file
# against .clang-format.
# Usage: scripts/lint.sh [BUILD_DIR]   (default: build; configured if needed)
# Prints every finding once and exits 1 when there is any, 2 on a tool error.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
build=${1:-build}
jobs=${LINT_JOBS:-2}

for tool in clang-tidy cppcheck shellcheck clang-format; do
    command -v "$tool" >/dev/null || { echo "lint: $tool is not installed" >&2; exit 2; }
done

# clang-tidy reads the compile flags of each source from the build.
if [ ! -f "$build/compile_commands.json" ]; then
    cmake -S . -B "$build" -DVANTRO_RES_DIR="$PWD/$build/res" >/dev/null || { echo "lint: configure failed" >&2; exit 2; }
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

# Sources of the build that are ours to check: not the tests, not generated files.
sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$build/compile_commands.json" \
    | grep -E "^$PWD/(src|tools|platform/sim)/" | while read -r file; do [ -f "$file" ] && echo "$file"; done \
    | sort -u >"$out/files"
[ -s "$out/files" ] || { echo "lint: no sources in $build/compile_commands.json" >&2; exit 2; }
echo "== clang-tidy ($(wc -l <"$out/files") files, $jobs jobs)"
xargs -a "$out/files" -P "$jobs" -n 2 clang-tidy -p "$build" --quiet >"$out/tidy" 2>"$out/tidy.err"
# A header's finding is reported by every source that includes it: print it once.
grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error): ' "$out/tidy" | sed "s|^$PWD/||" | sort -u >"$out/tidy.findings"
if grep -qE 'error: (unable to|error while|no such file)|Error while processing' "$out/tidy.err"; then
    grep -E 'error|Error' "$out/tidy.err" | sort -u >&2
    echo "lint: clang-tidy could not process every file" >&2
    exit 2
fi
cat "$out/tidy.findings"
tidy_count=$(wc -l <"$out/tidy.findings")

# cppcheck: style and above. Suppressed, one reason each:
#   useStlAlgorithm       raw loops over the fixed C tables read more plainly here
#   constParameter        framework operations and callbacks take the framework's non-const pointers
#   unusedStructMember    the platform's opaque handle records are reached through their C typedefs,
#                         which cppcheck does not follow (it flags fields the sim does use)
#   missingIncludeSystem  EFL and libc headers are not ours to analyse
echo "== cppcheck"
includes=(-I platform/include -I platform/sim)
for dir in src/*/; do includes+=(-I "$dir"); done
cppcheck --quiet --std=c++17 --library=posix -j "$jobs" \
    --enable=warning,style,performance,portability --inline-suppr \
    --suppress=useStlAlgorithm --suppress=constParameter --suppress=unusedStructMember \
    --suppress=missingIncludeSystem \
    "${includes[@]}" --template='{file}:{line}: {severity}: {message} [{id}]' \
    src platform 2>"$out/cppcheck"
status=$?
[ "$status" -le 1 ] || { cat "$out/cppcheck" >&2; echo "lint: cppcheck failed" >&2; exit 2; }
sort -u "$out/cppcheck" >"$out/cppcheck.findings"
cat "$out/cppcheck.findings"
cppcheck_count=$(wc -l <"$out/cppcheck.findings")

# Shell scripts: warnings and errors; shellcheck's style notes are left to taste.
echo "== shellcheck"
mapfile -t scripts < <(find scripts tests/shell .ci -type f \( -name '*.sh' -o -path .ci/run \) | sort)
shellcheck --severity=warning --format=gcc "${scripts[@]}" >"$out/shellcheck"
[ $? -le 1 ] || { cat "$out/shellcheck" >&2; echo "lint: shellcheck failed" >&2; exit 2; }
cat "$out/shellcheck"
shell_count=$(wc -l <"$out/shellcheck")

# Layout: each file that clang-format would change is one finding.
echo "== clang-format"
git ls-files '*.c' '*.cpp' '*.h' | while read -r file; do
    clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || echo "$file: not formatted (clang-format -i $file)"
done >"$out/format"
cat "$out/format"
format_count=$(wc -l <"$out/format")

echo "lint: $tidy_count clang-tidy, $cppcheck_count cppcheck, $shell_count shellcheck and $format_count clang-format findings"
[ "$tidy_count" -eq 0 ] && [ "$cppcheck_count" -eq 0 ] && [ "$shell_count" -eq 0 ] && [ "$format_count" -eq 0 ]
