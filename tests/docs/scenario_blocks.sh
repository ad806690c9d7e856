#!/usr/bin/env bash
# Runs every fenced `scenario` block of the README and docs/ through the viewer,
# each in a directory of its own, so that no documented recipe can rot. A fence
# without a language fails: it could be a scenario never run.
#   scenario_blocks.sh VIEWER GADGET SOURCE_DIR WORK_DIR
set -uo pipefail
viewer=$1 gadget=$2 src=$3 work=$4
rm -rf "$work" && mkdir -p "$work"
status=0
for doc in "$src/README.md" "$src"/docs/*.md; do
  name=$(basename "$doc" .md)
  # Writes NAME-LINE/block.scenario per scenario block (LINE: the opening
  # fence) and prints the line of each fence that names no language.
  unnamed=$(awk -v out="$work/$name" '
    /^```/ && !open { open = 1; lang = substr($0, 4); line = FNR
                      if (lang == "") print line
                      else if (lang == "scenario") { file = out "-" line "/block.scenario"; system("mkdir -p \"" out "-" line "\"") }
                      next }
    /^```/ && open  { open = 0; file = ""; next }
    open && file    { print > file }
  ' "$doc")
  for line in $unnamed; do
    echo "${doc#"$src"/}:$line: a fence without a language (scenario, sh or text)"
    status=1
  done
done
blocks=0
for dir in "$work"/*/; do
  [ -f "$dir/block.scenario" ] || continue
  blocks=$((blocks + 1))
  # The directory's name is the document and the line of the block's fence.
  where=$(basename "$dir")
  # A cross build's viewer runs under its emulator.
  if ! (cd "$dir" && ${VANTRO_EMULATOR:+"$VANTRO_EMULATOR"} "$viewer" --gadget "$gadget" --quiet block.scenario \
        >transcript.txt 2>&1); then
    echo "${where%-*}.md, the block at line ${where##*-}:"
    cat "$dir/transcript.txt"
    status=1
  fi
done
[ "$blocks" -gt 0 ] || { echo "no scenario block found"; status=1; }
echo "$blocks scenario blocks run"
exit $status
