#!/usr/bin/env bash
# Prints how much test text there is against the code it proves: non-blank
# lines of the text files under tests/ against src/, platform/, tools/,
# bench/, scripts/, cmake/, the layout and translation sources under res/ and
# the top-level CMakeLists.txt. Test data is left out of both sides: the
# golden PNGs, the fuzz corpora and the mutation runs' fault lists
# (scripts/mutants), which are inputs to tests, not tests or code.
# Informational: it never fails on the figure.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

files() {  # paths... -> the files under them, tracked or new, no build trees
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files --cached --others --exclude-standard -- "$@" 2>/dev/null
  else
    find "$@" -type f 2>/dev/null
  fi | while read -r f; do [ -f "$f" ] && printf '%s\n' "$f"; done | sort -u
}

count() {  # reads file names, prints the non-blank lines of the text ones
  local total=0 f n
  while read -r f; do
    grep -Iq . "$f" 2>/dev/null || continue   # binary or empty
    n=$(grep -c '[^[:space:]]' "$f")
    total=$((total + n))
  done
  echo "$total"
}

tests=$(files tests | grep -v -E '\.png$|^tests/fuzz/corpus/' | count)
code=$( { files src platform tools bench cmake scripts | grep -v '^scripts/mutants/'
          files res | grep -E '\.(edc|po)$'
          [ -f CMakeLists.txt ] && echo CMakeLists.txt; } | count)
ratio() { awk -v t="$1" -v c="$2" 'BEGIN { if (c > 0) printf "%.2f", t / c; else print "n/a" }'; }
echo "test ratio: $(ratio "$tests" "$code") (tests ${tests} non-blank lines / code ${code}; target <= 0.35;" \
  "golden images, fuzz corpora and mutation fault lists left out)"
exit 0
