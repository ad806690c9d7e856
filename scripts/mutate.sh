#!/usr/bin/env bash
# Mutation run: see scripts/mutate.py for the mutants' format.
# Usage: scripts/mutate.sh BUILD_DIR MUTANTS.txt... [-- CTEST_ARGS...]
exec python3 "$(dirname "$0")/mutate.py" "$@"
