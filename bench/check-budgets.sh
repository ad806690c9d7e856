#!/usr/bin/env bash
# CI step: fails when a path's instruction total exceeds bench/budgets.txt by more than 3 %.
exec "$(dirname "${BASH_SOURCE[0]}")/instructions.sh" --check
